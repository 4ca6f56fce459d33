#include "AdminLog.h"

#include "db/LoginContext.h"
#include "print/ListReport.h"

namespace AdminLog {

bool write(const QString &event, const QString &details, QString *error)
{
    return write(event, details, QDateTime::currentDateTime(), error);
}

bool write(const QString &event, const QString &details, const QDateTime &moment, QString *error)
{
    Statement st(QStringLiteral("insert into 管理员日志(事件,日期,管理员,说明) values("));
    const QDateTime toSecond = moment.addMSecs(-moment.time().msec());
    st.value(event)
        .text(QStringLiteral(","))
        .value(sqlDateTime(toSecond))
        .text(QStringLiteral(","))
        .value(loginContext().adminName)
        .text(QStringLiteral(","))
        .value(details)
        .text(QStringLiteral(")"));
    return st.run(error);
}

Statement selectStatement()
{
    return Statement(QStringLiteral("select id, 事件, 日期, 管理员, 说明 from 管理员日志"));
}

bool removeEntry(const QVariant &id, QString *error)
{
    Statement st(QStringLiteral("delete from 管理员日志 where id="));
    st.value(id.toLongLong());
    return st.run(error);
}

bool removeAll(QString *error)
{
    return Statement(QStringLiteral("delete from 管理员日志")).run(error);
}

bool buildReport(const Statement &rows, const QDateTime &printedAt, ReportModel *report,
                 QString *error)
{
    ReportRows data;
    if (!data.load(rows, error))
        return false;
    ListReportSpec setup;
    setup.title = QStringLiteral("管理员日志");
    setup.heading = QStringLiteral("共 %1 条").arg(data.count());
    setup.columns = {{QStringLiteral("id"), QStringLiteral("id"), 16, CellFormat::Text},
                     {QStringLiteral("事件"), QStringLiteral("事件"), 26, CellFormat::Text},
                     {QStringLiteral("日期"), QStringLiteral("日期"), 38, CellFormat::DateTime},
                     {QStringLiteral("管理员"), QStringLiteral("管理员"), 26, CellFormat::Text},
                     {QStringLiteral("说明"), QStringLiteral("说明"), 0, CellFormat::Text}};
    setup.printedAt = printedAt;
    *report = buildListReport(setup, data);
    return true;
}

} // namespace AdminLog
