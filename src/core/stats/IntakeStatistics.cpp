#include "IntakeStatistics.h"

#include "ItemKind.h"
#include "print/ListReport.h"

namespace IntakeStatistics {

namespace {

Statement period(Statement st, const QDate &from, const QDate &to)
{
    st.text(QStringLiteral(" 入库时间>=")).value(sqlDate(from));
    st.text(QStringLiteral(" and 入库时间<=")).value(sqlDate(to));
    return st;
}

} // namespace

bool itemsStatement(const QString &kind, const QDate &from, const QDate &to, Statement *out,
                    QString *error)
{
    if (to < from) {
        if (error)
            *error = PeriodReversed;
        return false;
    }
    const QString table = ItemKind::checkedTable(kind, error);
    if (table.isEmpty())
        return false;
    *out = period(Statement(QStringLiteral("select * from ") + table + QStringLiteral(" where")),
                  from, to);
    return true;
}

bool buildItemsReport(const Statement &rows, const QString &kind, const QDateTime &printedAt,
                      ReportModel *report, QString *error)
{
    const QString table = ItemKind::checkedTable(kind, error);
    if (table.isEmpty())
        return false;
    const bool books = table == QStringLiteral("图书");
    const QStringList fields = {QStringLiteral("编号"),     QStringLiteral("条形码"),
                                QStringLiteral("名称"),     QStringLiteral("分类"),
                                QStringLiteral("存放位置"), QStringLiteral("数量")};
    ReportRows data;
    if (!data.load(rows, fields, error))
        return false;
    ListReportSpec setup;
    setup.title = books ? QStringLiteral("图书入库登记信息") : QStringLiteral("期刊入库登记信息");
    setup.columns = {
        {fields[0], books ? QStringLiteral("图书编号") : QStringLiteral("编号"), 30,
         CellFormat::Text},
        {fields[1], QStringLiteral("条形码"), 30, CellFormat::Text},
        {fields[2], books ? QStringLiteral("书名") : QStringLiteral("名称"), 0, CellFormat::Text},
        {fields[3], QStringLiteral("类别"), 26, CellFormat::Text},
        {fields[4], QStringLiteral("存放位置"), 26, CellFormat::Text},
        {fields[5], QStringLiteral("数量 "), 16, CellFormat::Number}};
    setup.footer = QStringLiteral("打印时间: [DATE] [TIME]");
    setup.printedAt = printedAt;
    *report = buildListReport(setup, data);
    return true;
}

Statement perAdministratorStatement(const QDate &from, const QDate &to)
{
    Statement st = period(Statement(QStringLiteral("SELECT 登记人, count(编号) AS 记录数, "
                                                   "sum(价格) AS 总价格 FROM 图书 where")),
                          from, to);
    st.text(QStringLiteral(" GROUP BY 登记人"));
    return st;
}

bool buildPerAdministratorReport(const Statement &rows, const QDateTime &printedAt,
                                 ReportModel *report, QString *error)
{
    const QStringList fields = {QStringLiteral("登记人"), QStringLiteral("记录数"),
                                QStringLiteral("总价格")};
    ReportRows data;
    if (!data.load(rows, fields, error))
        return false;
    ListReportSpec setup;
    setup.title = QStringLiteral("管理员录入量统计");
    setup.columns = {{fields[0], fields[0], 0, CellFormat::Text},
                     {fields[1], fields[1], 30, CellFormat::Number},
                     {fields[2], fields[2], 36, CellFormat::Money}};
    setup.printedAt = printedAt;
    *report = buildListReport(setup, data);
    return true;
}

} // namespace IntakeStatistics
