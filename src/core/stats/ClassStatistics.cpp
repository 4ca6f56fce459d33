#include "ClassStatistics.h"

#include "ItemKind.h"
#include "print/ListReport.h"

namespace ClassStatistics {

bool statement(const QString &kind, Statement *out, QString *error)
{
    const QString table = ItemKind::checkedTable(kind, error);
    if (table.isEmpty())
        return false;
    *out =
        Statement(QStringLiteral("select 分类, sum(数量) as 数量, sum(数量*价格) as 金额 from ") +
                  table + QStringLiteral(" group by 分类"));
    return true;
}

bool buildReport(const Statement &rows, const QString &kind, const QDateTime &printedAt,
                 ReportModel *report, QString *error)
{
    const QStringList fields = {QStringLiteral("分类"), QStringLiteral("数量"),
                                QStringLiteral("金额")};
    ReportRows data;
    if (!data.load(rows, fields, error))
        return false;
    ListReportSpec setup;
    setup.title = QStringLiteral("分类统计");
    setup.heading = QStringLiteral("统计范围: %1").arg(kind);
    setup.columns = {{fields[0], fields[0], 0, CellFormat::Text},
                     {fields[1], fields[1], 40, CellFormat::Number},
                     {fields[2], fields[2], 40, CellFormat::Money}};
    setup.footer = QStringLiteral("打印日期: [DATE]");
    setup.printedAt = printedAt;
    *report = buildListReport(setup, data);
    return true;
}

} // namespace ClassStatistics
