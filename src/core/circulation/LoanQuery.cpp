#include "LoanQuery.h"

#include "print/ListReport.h"

namespace LoanQuery {

namespace {

const QString kSelect = QStringLiteral("select * from 借出记录");

// Both days included: a day's records may carry a time, so the range ends before the next day.
void appendDays(Statement &st, const QString &column, const QDate &from, const QDate &to)
{
    st.text(QStringLiteral(" ") + column + QStringLiteral(" >=")).value(sqlDate(from));
    st.text(QStringLiteral(" and ") + column + QStringLiteral(" <")).value(sqlDate(to.addDays(1)));
}

ListReportSpec listSpec(const QString &title, const QDateTime &printedAt)
{
    ListReportSpec setup;
    setup.title = title;
    setup.heading.clear();
    setup.columns = {
        {QStringLiteral("id"), QStringLiteral("顺序号"), 18, CellFormat::Text},
        {QStringLiteral("读者编号"), QStringLiteral("读者编号"), 24, CellFormat::Text},
        {QStringLiteral("读者姓名"), QStringLiteral("读者姓名"), 22, CellFormat::Text},
        {QStringLiteral("编号"), QStringLiteral("编号"), 24, CellFormat::Text},
        {QStringLiteral("名称"), QStringLiteral("名称"), 0, CellFormat::Text},
        {QStringLiteral("类别"), QStringLiteral("类别"), 12, CellFormat::Text},
        {QStringLiteral("借阅日期"), QStringLiteral("借阅日期"), 22, CellFormat::Date},
        {QStringLiteral("已还"), QStringLiteral("已还"), 10, CellFormat::Text},
    };
    setup.printedAt = printedAt;
    return setup;
}

bool buildReport(const ListReportSpec &setup, const Statement &loans, QStringList fields,
                 ReportModel *report, QString *error)
{
    for (const ReportColumn &c : setup.columns)
        fields << c.field;
    ReportRows rows;
    if (!rows.load(loans, fields, error))
        return false;
    *report = buildListReport(setup, rows);
    return true;
}

} // namespace

Statement allStatement()
{
    return Statement(kSelect);
}

Query build(const Conditions &c)
{
    Query out;
    const bool anyText = !c.number.isEmpty() || !c.title.isEmpty() || !c.barcode.isEmpty() ||
                         !c.readerNumber.isEmpty() || !c.readerName.isEmpty();
    if (!anyText && !c.lentRange && !c.returnedRange && !c.returnedState) {
        out.message = QStringLiteral("请设置查询条件.");
        return out;
    }
    if (c.lentRange && c.lentTo < c.lentFrom) {
        out.message = QStringLiteral("借阅时间条件不符合正常逻辑!");
        return out;
    }
    if (c.returnedRange && c.returnedTo < c.returnedFrom) {
        out.message = QStringLiteral("归还时间条件不符合正常逻辑!");
        return out;
    }

    Statement st(kSelect + QStringLiteral(" where"));
    bool first = true;
    auto next = [&]() {
        if (!first)
            st.text(QStringLiteral(" and"));
        first = false;
    };
    const QVector<QPair<QString, QString>> texts = {
        {QStringLiteral("编号"), c.number},         {QStringLiteral("名称"), c.title},
        {QStringLiteral("条形码"), c.barcode},      {QStringLiteral("读者编号"), c.readerNumber},
        {QStringLiteral("读者姓名"), c.readerName},
    };
    for (const auto &t : texts) {
        if (t.second.isEmpty())
            continue;
        next();
        st.text(QStringLiteral(" ") + t.first + QStringLiteral("=")).value(t.second);
    }
    if (c.lentRange) {
        next();
        appendDays(st, QStringLiteral("借阅日期"), c.lentFrom, c.lentTo);
    }
    if (c.returnedRange) {
        next();
        appendDays(st, QStringLiteral("归还日期"), c.returnedFrom, c.returnedTo);
    }
    if (c.returnedState) {
        next();
        st.text(QStringLiteral(" 已还=")).value(c.returned.trimmed());
    }
    out.ok = true;
    out.statement = st;
    return out;
}

Statement overdueStatement(const QDate &today)
{
    // Read through the index on (已还, 应还日期): the open loans are a few percent of all.
    Statement st(kSelect + QStringLiteral(" where 已还="));
    st.value(QStringLiteral("否"))
        .text(QStringLiteral(" and 应还日期 <"))
        .value(sqlDate(today.addDays(1)));
    return st;
}

bool queryReport(const Statement &loans, const QDateTime &printedAt, ReportModel *report,
                 QString *error)
{
    ListReportSpec setup = listSpec(QStringLiteral("借阅信息查询"), printedAt);
    setup.totals = {
        {QStringLiteral(" 价格合计:"), QStringLiteral("价格"), CellFormat::Money},
        {QStringLiteral("  实际租金合计: "), QStringLiteral("实际租金"), CellFormat::Money},
        {QStringLiteral("  赔偿金额合计: "), QStringLiteral("赔偿金额"), CellFormat::Money},
    };
    return buildReport(
        setup, loans,
        {QStringLiteral("价格"), QStringLiteral("实际租金"), QStringLiteral("赔偿金额")}, report,
        error);
}

bool overdueReport(const Statement &loans, const QDateTime &printedAt, ReportModel *report,
                   QString *error)
{
    return buildReport(listSpec(QStringLiteral("逾期未还记录统计"), printedAt), loans, {}, report,
                       error);
}

} // namespace LoanQuery
