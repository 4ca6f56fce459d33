#include "BatchChanges.h"

#include "AdminLog.h"
#include "db/RowOrder.h"

#include <QSqlQuery>

namespace BatchChanges {

namespace {

// " where 院系=? and 班级=?" for the chosen criteria.
void appendGroup(Statement &st, const ReaderGroup &group)
{
    const QString columns[] = {QStringLiteral("院系"), QStringLiteral("班级"),
                               QStringLiteral("单位部门")};
    const QString values[] = {group.department, group.className, group.unit};
    bool first = true;
    for (int i = 0; i < 3; ++i) {
        if (values[i].isEmpty())
            continue;
        st.text(first ? QStringLiteral(" where ") : QStringLiteral(" and "))
            .text(columns[i] + QLatin1Char('='))
            .value(values[i]);
        first = false;
    }
}

// A loan still out keeps its reader.
void appendHasOpenLoan(Statement &st)
{
    st.text(QStringLiteral("exists (select 1 from 借出记录 where 借出记录.读者编号=读者库.读者编号 "
                           "and 借出记录.已还="))
        .value(QStringLiteral("否"))
        .text(QStringLiteral(")"));
}

} // namespace

QStringList kinds()
{
    return {QStringLiteral("图书"), QStringLiteral("期刊")};
}

QStringList listNames(const QString &table, QString *error)
{
    QStringList names;
    QSqlQuery q = RowOrder::selectAll(table).exec();
    if (!q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return names;
    }
    while (q.next())
        names << q.value(0).toString();
    return names;
}

Statement locationChange(const QString &kind, const QString &from, const QString &to)
{
    if (!kinds().contains(kind))
        return Statement();
    Statement st(QStringLiteral("update ") + kind + QStringLiteral(" set 存放位置="));
    st.value(to).text(QStringLiteral(" where 存放位置=")).value(from);
    return st;
}

bool countReaders(const ReaderGroup &group, ReaderCount *count, QString *error)
{
    Statement st(QStringLiteral("select count(*), coalesce(sum(case when "));
    appendHasOpenLoan(st);
    st.text(QStringLiteral(" then 1 else 0 end), 0) from 读者库"));
    appendGroup(st, group);
    QSqlQuery q = st.exec();
    if (!q.isActive() || !q.next()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    count->withLoans = q.value(1).toInt();
    count->deletable = q.value(0).toInt() - count->withLoans;
    return true;
}

QString deletionQuestion(const ReaderCount &count)
{
    QString text = QStringLiteral("将删除 %1 位读者").arg(count.deletable);
    if (count.withLoans > 0)
        text += QStringLiteral(",另有 %1 位读者还有未还的借阅,将保留").arg(count.withLoans);
    return text + QStringLiteral(".\n您是否要删除这些读者?");
}

bool deleteReaders(const ReaderGroup &group, int *deleted, QString *error)
{
    *deleted = 0;
    if (group.isEmpty()) {
        if (error)
            *error = incompleteMessage();
        return false;
    }
    Transaction transaction(Transaction::Intent::Write);
    if (!transaction.isActive()) {
        if (error)
            *error = transaction.error();
        return false;
    }
    Statement st(QStringLiteral("delete from 读者库"));
    appendGroup(st, group);
    st.text(QStringLiteral(" and not "));
    appendHasOpenLoan(st);
    QSqlQuery q = st.exec();
    if (!q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    *deleted = q.numRowsAffected();
    QStringList criteria;
    if (!group.department.isEmpty())
        criteria << QStringLiteral("院系=") + group.department;
    if (!group.className.isEmpty())
        criteria << QStringLiteral("班级=") + group.className;
    if (!group.unit.isEmpty())
        criteria << QStringLiteral("单位部门=") + group.unit;
    if (!AdminLog::write(QStringLiteral("批量删除读者"),
                         criteria.join(QLatin1Char(' ')) +
                             QStringLiteral(",删除 %1 位读者").arg(*deleted),
                         error))
        return false;
    return transaction.commit(error);
}

QString deletedMessage(int deleted)
{
    return QStringLiteral("已删除 %1 位读者.").arg(deleted);
}

} // namespace BatchChanges
