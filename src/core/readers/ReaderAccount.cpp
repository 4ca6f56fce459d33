#include "ReaderAccount.h"

#include "admin/AdminLog.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace ReaderAccount {

namespace {

// Runs an update and tells how many rows it changed (-1 on a database error).
int updatedRows(const Statement &st, QString *error)
{
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        *error = Statement::lastError(q);
        return -1;
    }
    return q.numRowsAffected();
}

Result failed(const QString &message)
{
    return {false, message};
}

} // namespace

QString stateLogText(const QString &number, const QString &name, const QString &state,
                     const QString &remark)
{
    return QStringLiteral("读者编号:") + number + QStringLiteral(",姓名:") + name +
           QStringLiteral(",状态改为:[") + state + QStringLiteral("],") + remark;
}

Result changeState(const QString &number, const QString &name, const QString &typedState,
                   const QString &remark)
{
    // A blank around the state is invisible in the list but would keep the reader from
    // borrowing, as only "正常" may borrow.
    const QString state = typedState.trimmed();
    if (state.isEmpty())
        return failed(kEmptyState);

    Transaction tx;
    if (!tx.isActive())
        return failed(tx.error());
    Statement update(QStringLiteral("update 读者库 set 状态="));
    update.value(state).text(QStringLiteral(" where 读者编号=")).value(number);
    QString error;
    const int rows = updatedRows(update, &error);
    if (rows < 0)
        return failed(error);
    // Deleted at another workstation since the list was read: no entry for a change that
    // did not happen.
    if (rows == 0)
        return failed(kNotFound);
    if (!AdminLog::write(QStringLiteral("修改状态"), stateLogText(number, name, state, remark),
                         &error))
        return failed(error);
    if (!tx.commit(&error))
        return failed(error);
    return {true, QString()};
}

Lookup find(const QString &number)
{
    Lookup out;
    QStringList tries = {number};
    if (number.trimmed() != number)
        tries << number.trimmed();
    for (const QString &n : tries) {
        Statement st(QStringLiteral(
            "select 读者编号, 读者姓名, 性别, 卡内金额 from 读者库 where 读者编号="));
        st.value(n);
        QSqlQuery q = st.exec();
        if (q.lastError().isValid()) {
            out.message = Statement::lastError(q);
            return out;
        }
        if (q.next()) {
            out.found = true;
            out.reader = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                          Money::fromVariant(q.value(3))};
            return out;
        }
    }
    out.message = kNotFound;
    return out;
}

Money amountOf(const QString &text)
{
    return Money::parse(text).value_or(Money());
}

Result topUp(const QString &number, const QString &amountText, bool refund, const QString &remark)
{
    Money amount = amountOf(amountText);
    if (amount.isZero())
        return failed(kZeroAmount);
    if (refund)
        amount = -amount;

    Transaction tx;
    if (!tx.isActive())
        return failed(tx.error());
    // Relative to the stored balance: a top-up booked meanwhile at another workstation
    // stays in it.
    Statement update(QStringLiteral("update 读者库 set 卡内金额=coalesce(卡内金额,0)+"));
    update.value(amount.toSql()).text(QStringLiteral(" where 读者编号=")).value(number);
    QString error;
    const int rows = updatedRows(update, &error);
    if (rows < 0)
        return failed(error);
    if (rows == 0)
        return failed(kNotFound);

    Statement name(QStringLiteral("select 读者姓名 from 读者库 where 读者编号="));
    name.value(number);
    const QVariant readerName = name.scalar(&error);
    if (!error.isEmpty())
        return failed(error);

    const QDateTime now = QDateTime::currentDateTime();
    Statement income(
        QStringLiteral("insert into 收入(项目,时间,读者编号,读者姓名,金额,管理员,备注) values("));
    income.value(QStringLiteral("充值"))
        .text(QStringLiteral(","))
        .value(sqlDateTime(now.addMSecs(-now.time().msec())))
        .text(QStringLiteral(","))
        .value(number)
        .text(QStringLiteral(","))
        .value(readerName)
        .text(QStringLiteral(","))
        .value(amount.toSql())
        .text(QStringLiteral(","))
        .value(loginContext().adminName)
        .text(QStringLiteral(","))
        .value(remark)
        .text(QStringLiteral(")"));
    if (!income.run(&error))
        return failed(error);
    if (!tx.commit(&error))
        return failed(error);
    return {true, QString()};
}

} // namespace ReaderAccount
