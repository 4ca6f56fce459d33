#include "ReaderPrint.h"

#include "admin/SystemSettings.h"
#include "print/CardReports.h"
#include "print/ListReport.h"

namespace ReaderPrint {

bool listReport(const Statement &readers, const QDateTime &printedAt, ReportModel *report,
                QString *error)
{
    ListReportSpec setup;
    setup.title = QStringLiteral("读者列表");
    setup.heading = QStringLiteral("[DATE]       [TIME]");
    setup.columns = {
        {QStringLiteral("读者编号"), QStringLiteral("编号"), 30, CellFormat::Text},
        {QStringLiteral("读者姓名"), QStringLiteral("姓名"), 30, CellFormat::Text},
        {QStringLiteral("性别"), QStringLiteral("性别"), 14, CellFormat::Text},
        {QStringLiteral("单位部门"), QStringLiteral("单位部门"), 0, CellFormat::Text},
        {QStringLiteral("累计借阅次数"), QStringLiteral("借阅次数"), 22, CellFormat::Number},
        {QStringLiteral("未还数量"), QStringLiteral("未还数量"), 22, CellFormat::Number},
    };
    setup.printedAt = printedAt;
    QStringList fields;
    for (const ReportColumn &c : setup.columns)
        fields << c.field;
    ReportRows rows;
    if (!rows.load(readers, fields, error))
        return false;
    *report = buildListReport(setup, rows);
    return true;
}

bool cardBackText(QString *text, QString *error)
{
    SystemSettings settings;
    if (!settings.load(error))
        return false;
    *text = settings.form().texts.value(QStringLiteral("借阅证背面文字"));
    return true;
}

bool cardReports(const Statement &readers, const QString &libraryName,
                 QVector<ReportModel> *reports, QString *error)
{
    QString back;
    if (!cardBackText(&back, error))
        return false;
    ReportRows rows;
    if (!rows.load(readers,
                   {QStringLiteral("读者编号"), QStringLiteral("读者姓名"), QStringLiteral("类别")},
                   error))
        return false;
    *reports = {CardReports::readerCardFronts(rows, libraryName),
                CardReports::readerCardBacks(rows.count(), back)};
    return true;
}

} // namespace ReaderPrint
