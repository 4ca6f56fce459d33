#include "Returning.h"

#include "db/LoginContext.h"
#include "db/RowOrder.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"
#include "text/NumberText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace Returning {

namespace {

const QString kNo = QStringLiteral("否");
const QString kYes = QStringLiteral("是");

// The loan's 类别 names the item's table; only the two item tables may enter SQL text.
bool isItemTable(const QString &kind)
{
    return (kind == QStringLiteral("图书") || kind == QStringLiteral("期刊")) &&
           !Schema::checkedColumn(kind, QStringLiteral("数量")).isEmpty();
}

Loan loanFrom(const QSqlQuery &q)
{
    Loan l;
    l.id = q.value(QStringLiteral("id")).toLongLong();
    l.readerNumber = q.value(QStringLiteral("读者编号")).toString();
    l.readerName = q.value(QStringLiteral("读者姓名")).toString();
    l.itemNumber = q.value(QStringLiteral("编号")).toString();
    l.name = q.value(QStringLiteral("名称")).toString();
    l.barcode = q.value(QStringLiteral("条形码")).toString();
    l.kind = q.value(QStringLiteral("类别")).toString();
    l.lentOn = dateTimeFromSql(q.value(QStringLiteral("借阅日期")));
    l.dueOn = dateTimeFromSql(q.value(QStringLiteral("应还日期")));
    l.rentPerDay = q.value(QStringLiteral("租金"));
    l.condition = q.value(QStringLiteral("物品状况")).toString();
    return l;
}

ReturnOutcome failed(const QString &message)
{
    ReturnOutcome out;
    out.message = message;
    return out;
}

// Runs a write and tells how many rows it changed (-1 on a database error).
int changedRows(const Statement &st, QString *error)
{
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        *error = Statement::lastError(q);
        return -1;
    }
    return q.numRowsAffected();
}

} // namespace

Statement searchStatement(const Conditions &c)
{
    Statement st(QStringLiteral("select * from 借出记录 where 已还="));
    st.value(kNo);
    if (!c.itemNumber.isEmpty())
        st.text(QStringLiteral(" and 编号=")).value(c.itemNumber);
    if (!c.barcode.isEmpty())
        st.text(QStringLiteral(" and 条形码=")).value(c.barcode);
    if (!c.readerNumber.isEmpty())
        st.text(QStringLiteral(" and 读者编号=")).value(c.readerNumber);
    // The first row is the oldest loan on both databases.
    st.text(QStringLiteral(" order by id"));
    return st;
}

SearchResult search(const Conditions &conditions)
{
    SearchResult out;
    if (conditions.isEmpty()) {
        out.message = kNoCondition;
        return out;
    }
    QSqlQuery q = searchStatement(conditions).exec();
    if (q.lastError().isValid()) {
        out.message = Statement::lastError(q);
        return out;
    }
    while (q.next())
        out.loans.append(loanFrom(q));
    out.ok = true;
    return out;
}

std::optional<Loan> unreturnedLoan(qint64 id, QString *error)
{
    Statement st(QStringLiteral("select * from 借出记录 where id="));
    st.value(id).text(QStringLiteral(" and 已还=")).value(kNo);
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        if (error)
            *error = Statement::lastError(q);
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    return loanFrom(q);
}

ReturnCharges chargesOf(const Loan &loan, const QDate &today)
{
    return ReturnCharges::compute(loan.lentOn, loan.dueOn, loan.rentPerDay,
                                  loginContext().overdueFinePerDay, today);
}

CardLookup readerOfCard(const QString &cardId)
{
    CardLookup out;
    Statement st(QStringLiteral("select 读者编号,CardId from 读者库 where CardId="));
    st.value(cardId);
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        out.message = Statement::lastError(q);
        return out;
    }
    if (!q.next()) {
        out.message = kCardNotFound;
        return out;
    }
    out.found = true;
    out.readerNumber = q.value(0).toString();
    return out;
}

QString shelfPlace(const Loan &loan)
{
    if (!isItemTable(loan.kind))
        return QString();
    Statement st(QStringLiteral("select 存放位置 from ") + loan.kind +
                 QStringLiteral(" where 编号="));
    st.value(loan.itemNumber);
    return st.scalar().toString();
}

QString focusField(QString *error)
{
    Statement st(
        QStringLiteral("select 归还焦点图书编号,归还焦点条形码,归还焦点读者编号 from 系统设置") +
        RowOrder::orderBy() + QLatin1Char(' ') + limitClause(1));
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        if (error)
            *error = Statement::lastError(q);
        return QString();
    }
    if (!q.next())
        return QString();
    static const QStringList fields = {QStringLiteral("图书编号"), QStringLiteral("条形码"),
                                       QStringLiteral("读者编号")};
    QString chosen;
    for (int i = 0; i < fields.size(); ++i) {
        if (flagFromSql(q.value(i)))
            chosen = fields[i];
    }
    return chosen;
}

ReturnOutcome returnLoan(const ReturnRequest &request, const QDate &today)
{
    // Typed values are checked before anything is written.
    int typedPeriod = 0;
    if (request.rentPeriod &&
        (!NumberText::toInt(*request.rentPeriod, &typedPeriod) || typedPeriod < 1))
        return failed(kBadRentPeriod);
    QVariant compensation;
    if (request.damageUsed && !NumberText::normalized(request.compensation).isEmpty()) {
        const std::optional<Money> amount = Money::parse(request.compensation);
        if (!amount)
            return failed(kBadCompensation);
        compensation = amount->toSql();
    }

    Transaction tx;
    if (!tx.isActive())
        return failed(tx.error());
    QString error;

    // Closing the loan first takes its row for this return: a loan returned meanwhile at
    // another workstation changes no row here, and nothing else is written.
    Statement close(QStringLiteral("update 借出记录 set 已还="));
    close.value(kYes)
        .text(QStringLiteral(" where id="))
        .value(request.loanId)
        .text(QStringLiteral(" and 已还="))
        .value(kNo);
    const int closed = changedRows(close, &error);
    if (closed < 0)
        return failed(error);
    if (closed == 0)
        return failed(kAlreadyReturned);

    Statement read(QStringLiteral("select * from 借出记录 where id="));
    read.value(request.loanId);
    QSqlQuery q = read.exec();
    if (q.lastError().isValid())
        return failed(Statement::lastError(q));
    if (!q.next())
        return failed(kAlreadyReturned);
    ReturnOutcome out;
    out.loan = loanFrom(q);
    q.finish();

    const LoginContext &ctx = loginContext();
    const ReturnCharges computed = chargesOf(out.loan, today);
    if (request.rentPeriod)
        out.rentPeriod = typedPeriod;
    else if (computed.known)
        out.rentPeriod = computed.rentPeriod;
    else
        return failed(kRentPeriodNeeded);
    if (request.rent)
        out.rent = Money::parse(*request.rent).value_or(Money());
    else
        out.rent = ReturnCharges::rentFor(out.rentPeriod, out.loan.rentPerDay).value_or(Money());
    // The fine is always the computed one; without a due date there is none.
    if (out.loan.dueOn.isValid())
        out.fine = ReturnCharges::fineFor(ReturnCharges::daysOverdueOf(out.loan.dueOn, today),
                                          ctx.overdueFinePerDay);

    Statement loan(QStringLiteral("update 借出记录 set 归还日期="));
    loan.value(sqlDate(today))
        .text(QStringLiteral(", 归还经手人="))
        .value(ctx.adminName)
        .text(QStringLiteral(", 实际租期="))
        .value(out.rentPeriod);
    if (ctx.rentEnabled)
        loan.text(QStringLiteral(", 实际租金=")).value(out.rent.toSql());
    if (ctx.overdueFineEnabled)
        loan.text(QStringLiteral(", 罚金=")).value(out.fine.toSql());
    QString condition = out.loan.condition;
    if (request.damageUsed) {
        condition = request.condition;
        loan.text(QStringLiteral(", 物品状况="))
            .value(request.condition)
            .text(QStringLiteral(", 赔偿金额="))
            .value(compensation.isValid() ? compensation : QVariant(QMetaType(QMetaType::QString)))
            .text(QStringLiteral(", 归还备注="))
            .value(request.remark);
    }
    loan.text(QStringLiteral(" where id=")).value(request.loanId);
    if (!loan.run(&error))
        return failed(error);

    // A lost copy stays off the shelf.
    if (condition.trimmed() != kLost && isItemTable(out.loan.kind)) {
        Statement item(QStringLiteral("update ") + out.loan.kind +
                       QStringLiteral(" set 数量=coalesce(数量,0)+1 where 编号="));
        item.value(out.loan.itemNumber);
        if (!item.run(&error))
            return failed(error);
    }

    // The item before the reader, in the order lending writes them, so that a lending and a
    // return of the same reader and item at two workstations cannot deadlock.
    if (ctx.rentEnabled)
        out.charged += out.rent;
    if (ctx.overdueFineEnabled)
        out.charged += out.fine;
    Statement reader(QStringLiteral(
        "update 读者库 set 未还数量=case when 未还数量>0 then 未还数量-1 else 0 end"));
    if (ctx.rentEnabled || ctx.overdueFineEnabled)
        reader.text(QStringLiteral(", 卡内金额=coalesce(卡内金额,0)-")).value(out.charged.toSql());
    reader.text(QStringLiteral(" where 读者编号=")).value(out.loan.readerNumber);
    if (!reader.run(&error))
        return failed(error);

    if (!tx.commit(&error))
        return failed(error);
    out.ok = true;
    out.message = kReturned;
    return out;
}

} // namespace Returning
