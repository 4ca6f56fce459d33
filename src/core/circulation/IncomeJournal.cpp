#include "IncomeJournal.h"

#include "grid/GridQuery.h"
#include "print/ListReport.h"

namespace IncomeJournal {

namespace {

const QString kSelect =
    QStringLiteral("select id, 项目, 时间, 读者编号, 读者姓名, 金额, 管理员, 备注 from 收入");

} // namespace

Period defaultPeriod(const QDate &today)
{
    return {QDate(2000, 1, 1), today.addDays(1)};
}

Statement allStatement()
{
    return Statement(kSelect);
}

Statement periodStatement(const Period &period)
{
    Statement st(kSelect + QStringLiteral(" where 时间>="));
    st.value(sqlDate(period.from)).text(QStringLiteral(" and 时间<=")).value(sqlDate(period.to));
    return st;
}

bool total(const Statement &rows, Money *sum, QString *error)
{
    // The grid's own totals statement, so that the window's footer and this sum agree.
    GridQuery query(rows);
    if (!query.loadFieldNames(error))
        return false;
    qint64 count = 0;
    QVariantList sums;
    if (!query.loadTotals({QStringLiteral("金额")}, &count, &sums, error))
        return false;
    *sum = Money::fromVariant(sums.value(0));
    return true;
}

bool buildReport(const Statement &rows, const QString &heading, const QDateTime &printedAt,
                 ReportModel *report, QString *error)
{
    ReportRows data;
    const QStringList fields = {QStringLiteral("项目"),     QStringLiteral("时间"),
                                QStringLiteral("读者编号"), QStringLiteral("读者姓名"),
                                QStringLiteral("金额"),     QStringLiteral("管理员")};
    if (!data.load(rows, fields, error))
        return false;
    ListReportSpec setup;
    setup.title = QStringLiteral("资金统计");
    setup.heading = heading;
    setup.columns = {{fields[0], fields[0], 24, CellFormat::Text},
                     {fields[1], fields[1], 36, CellFormat::DateTime},
                     {fields[2], fields[2], 24, CellFormat::Text},
                     {fields[3], fields[3], 0, CellFormat::Text},
                     {fields[4], fields[4], 24, CellFormat::Money},
                     {fields[5], fields[5], 24, CellFormat::Text}};
    setup.footer = QStringLiteral("时间: [DATE] [TIME]");
    setup.footerTotals = {{QStringLiteral("     合计: "), fields[4], CellFormat::Money}};
    setup.printedAt = printedAt;
    *report = buildListReport(setup, data);
    return true;
}

} // namespace IncomeJournal
