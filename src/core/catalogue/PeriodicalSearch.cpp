#include "PeriodicalSearch.h"

#include "ItemReports.h"

namespace PeriodicalSearch {

namespace {

const QString kTable = QStringLiteral("期刊");

QString f(const char *field)
{
    return QString::fromUtf8(field);
}

} // namespace

Statement allStatement()
{
    return Statement(QStringLiteral("select * from 期刊"));
}

QStringList columnChoices()
{
    return {f("编号"), f("条形码"), f("名称"), f("存放位置")};
}

Search build(const Conditions &c)
{
    Search out;
    if (c.choice.trimmed().isEmpty() || c.value.isEmpty()) {
        out.message = QStringLiteral("请填写好查询条件!");
        return out;
    }
    const QString column = ColumnSearch::searchableColumn(kTable, c.choice);
    if (column.isEmpty()) {
        out.message =
            QStringLiteral("期刊中没有可以查询的“%1”, 请从列表中选择要查询的项目!").arg(c.choice);
        return out;
    }
    Statement st(QStringLiteral("select * from 期刊 where "));
    ColumnSearch::appendMatch(st, kTable, column, c.value, c.match);
    out.statement = st;
    out.ok = true;
    return out;
}

QStringList fieldsOf(Report report, bool single)
{
    switch (report) {
    case Report::List:
        return ItemReports::listFields();
    case Report::Barcodes:
        return {f("条形码")};
    case Report::Labels:
        return single ? QStringList{f("国内统一刊号"), f("编号"), f("条形码")}
                      : QStringList{f("编号"), f("分类"), f("条形码")};
    }
    return {};
}

ReportModel list(const ReportRows &issues, const QDateTime &printedAt)
{
    return ItemReports::list({QStringLiteral("期刊列表"), f("编号"), f("名称"),
                              QStringLiteral("总数量: "), QStringLiteral("  总价格:")},
                             issues, printedAt);
}

ReportModel barcodes(const ReportRows &issues)
{
    return ItemReports::barcodes(QStringLiteral("期刊条码"), issues);
}

ReportModel labels(const ReportRows &issues, bool single)
{
    return ItemReports::labels(QStringLiteral("期刊标签"), fieldsOf(Report::Labels, single),
                               issues);
}

bool build(Report report, const Statement &issues, const QDateTime &printedAt, ReportModel *out,
           QString *error)
{
    ReportRows rows;
    if (!rows.load(issues, fieldsOf(report), error))
        return false;
    switch (report) {
    case Report::List:
        *out = list(rows, printedAt);
        break;
    case Report::Barcodes:
        *out = barcodes(rows);
        break;
    case Report::Labels:
        *out = labels(rows);
        break;
    }
    return true;
}

} // namespace PeriodicalSearch
