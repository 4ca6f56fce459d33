// The reader's own loans: those still out with what they cost so far, and the history.
#include "ReaderPortal.h"

#include "ReaderPortalRows.h"
#include "db/LoginContext.h"

#include <QSqlQuery>
#include <algorithm>

using namespace ReaderPortalRows;

namespace {

const char kLoanColumns[] = "id, 类别, 编号, 名称, 条形码, 借阅日期, 应还日期, 租金, 已还, "
                            "归还日期, 罚金, 实际租金, 物品状况";

std::optional<Money> optionalMoney(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    return Money::fromVariant(v);
}

// A row of kLoanColumns.
ReaderPortal::Loan loanFrom(const QSqlQuery &q)
{
    ReaderPortal::Loan l;
    l.id = q.value(0).toLongLong();
    l.kind = text(q.value(1));
    l.itemNumber = text(q.value(2));
    l.title = text(q.value(3));
    l.barcode = text(q.value(4));
    l.lentOn = dateFromSql(q.value(5));
    l.dueOn = dateFromSql(q.value(6));
    l.returned = text(q.value(8)) == QStringLiteral("是");
    l.returnedOn = dateFromSql(q.value(9));
    l.fineCharged = optionalMoney(q.value(10));
    l.rentCharged = optionalMoney(q.value(11));
    l.condition = text(q.value(12));
    return l;
}

Statement loansOf(const QString &readerNumber)
{
    Statement st(QStringLiteral("select %1 from 借出记录 where 读者编号=")
                     .arg(QString::fromUtf8(kLoanColumns)));
    st.value(readerNumber);
    return st;
}

} // namespace

ReaderPortal::OpenLoans ReaderPortal::openLoans(const QString &readerNumber, const QDateTime &now)
{
    OpenLoans out;
    const LoginContext &ctx = loginContext();
    out.finesCharged = ctx.overdueFineEnabled;
    out.rentCharged = ctx.rentEnabled;
    if (readerNumber.isEmpty()) {
        out.message = QStringLiteral("没有该读者的资料,请重新登录.");
        return out;
    }
    QSqlQuery q = loansOf(readerNumber)
                      .text(QStringLiteral(" and 已还="))
                      .value(QStringLiteral("否"))
                      .text(QStringLiteral(" order by id"))
                      .exec(m_db);
    if (!q.isActive())
        return failed(out, q);
    const QDate today = now.date();
    while (q.next()) {
        Loan l = loanFrom(q);
        // The same values, from the same columns, as the return desk computes them today.
        l.charges = ReturnCharges::compute(dateTimeFromSql(q.value(5)), dateTimeFromSql(q.value(6)),
                                           q.value(7), ctx.overdueFinePerDay, today);
        out.totalFine += l.charges.fine;
        out.loans.append(l);
    }
    // The earliest due date first; loans without one at the end.
    std::stable_sort(out.loans.begin(), out.loans.end(), [](const Loan &a, const Loan &b) {
        if (a.dueOn.isValid() != b.dueOn.isValid())
            return a.dueOn.isValid();
        return a.dueOn < b.dueOn;
    });
    out.ok = true;
    return out;
}

ReaderPortal::LoanHistory ReaderPortal::loanHistory(const QString &readerNumber, int page,
                                                    int pageSize)
{
    LoanHistory out;
    out.pageSize = std::clamp(pageSize, 1, MaxPageSize);
    // Far enough for any reader; keeps the offset within range.
    out.page = std::clamp(page, 0, 1000000);
    if (readerNumber.isEmpty()) {
        out.message = QStringLiteral("没有该读者的资料,请重新登录.");
        return out;
    }
    QSqlQuery c = Statement(QStringLiteral("select count(*) from 借出记录 where 读者编号="))
                      .value(readerNumber)
                      .exec(m_db);
    if (!c.isActive())
        return failed(out, c);
    out.total = c.next() ? c.value(0).toInt() : 0;
    c.finish();

    // The newest first; both databases put loans without a date last.
    QSqlQuery q = loansOf(readerNumber)
                      .text(QStringLiteral(" order by case when 借阅日期 is null then 1 else 0 "
                                           "end, 借阅日期 desc, id desc limit "))
                      .value(out.pageSize)
                      .text(QStringLiteral(" offset "))
                      .value(qint64(out.page) * out.pageSize)
                      .exec(m_db);
    if (!q.isActive())
        return failed(out, q);
    while (q.next())
        out.loans.append(loanFrom(q));
    out.ok = true;
    return out;
}
