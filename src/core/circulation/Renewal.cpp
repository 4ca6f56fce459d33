#include "Renewal.h"

#include <QSqlQuery>

namespace Renewal {

Statement findStatement(const QString &readerNumber, const QString &itemNumber)
{
    Statement st(QStringLiteral("select * from 借出记录 where 读者编号="));
    st.value(readerNumber)
        .text(QStringLiteral(" and 编号="))
        .value(itemNumber)
        .text(QStringLiteral(" and 已还='否' order by id"));
    return st;
}

Found find(const QString &readerNumber, const QString &itemNumber)
{
    Found out;
    const Statement st = findStatement(readerNumber, itemNumber);
    out.statementText = st.displayText();
    QSqlQuery q = st.exec();
    if (!q.isActive()) {
        out.error = Statement::lastError(q);
        return out;
    }
    if (!q.next())
        return out;
    out.found = true;
    out.loanId = q.value(QStringLiteral("id")).toLongLong();
    out.dueDate = dateFromSql(q.value(QStringLiteral("应还日期")));
    return out;
}

Result renew(qint64 loanId, const QDate &dueDate)
{
    Result out;
    if (!dueDate.isValid()) {
        out.message = kNoDate;
        return out;
    }
    Statement st(QStringLiteral("update 借出记录 set 应还日期="));
    st.value(sqlDate(dueDate))
        .text(QStringLiteral(" where id="))
        .value(loanId)
        .text(QStringLiteral(" and 已还='否'"));
    QSqlQuery q = st.exec();
    if (!q.isActive()) {
        out.message = Statement::lastError(q);
        return out;
    }
    if (q.numRowsAffected() < 1) {
        out.message = kReturnedMeanwhile;
        return out;
    }
    out.ok = true;
    return out;
}

} // namespace Renewal
