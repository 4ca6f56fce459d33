#include "ReaderSearch.h"

#include "search/ColumnSearch.h"
#include "search/ContainsIndex.h"

namespace ReaderSearch {

namespace {

const QString kTable = QStringLiteral("读者库");
const QString kDateColumn = QStringLiteral("登记日期");

} // namespace

Statement openingStatement()
{
    return Statement(QStringLiteral("select * from 读者库  order by 1,2"));
}

Statement allStatement()
{
    return Statement(QStringLiteral("select * from 读者库"));
}

QStringList columnChoices()
{
    return {QStringLiteral("读者编号"), QStringLiteral("读者姓名"), QStringLiteral("读者卡号"),
            QStringLiteral("类别"),     QStringLiteral("单位部门"), QStringLiteral("院系"),
            QStringLiteral("班级"),     QStringLiteral("住址"),     QStringLiteral("联系电话"),
            QStringLiteral("证件号码"), QStringLiteral("有效证件"), QStringLiteral("性别"),
            QStringLiteral("备注")};
}

QDate defaultFrom(const QDate &today)
{
    return ColumnSearch::defaultFrom(today);
}

QDate defaultTo(const QDate &today)
{
    return ColumnSearch::defaultTo(today);
}

QString columnOf(const QString &choice)
{
    const QString text = choice.trimmed();
    const QString column =
        text == QString::fromUtf8(CardNumberChoice) ? QStringLiteral("CardId") : text;
    return ColumnSearch::searchableColumn(kTable, column);
}

Search build(const Conditions &c)
{
    Search out;
    out.value = c.value.trimmed();
    const QString choice = c.choice.trimmed();
    if (!((!choice.isEmpty() && !out.value.isEmpty()) || c.dateRange)) {
        out.message = QStringLiteral("请填写好查询条件!");
        return out;
    }
    if (c.dateRange && (!c.from.isValid() || !c.to.isValid())) {
        out.message = QStringLiteral("登记日期的范围不是有效的日期!");
        return out;
    }
    if (out.value.isEmpty()) {
        Statement st(QStringLiteral("select * from 读者库 where "));
        ColumnSearch::appendDateRange(st, kDateColumn, c.from, c.to);
        out.statement = st;
        out.ok = true;
        return out;
    }
    const QString column = columnOf(choice);
    if (column.isEmpty()) {
        out.message =
            choice.isEmpty()
                ? QStringLiteral("请选择要查询的项目!")
                : QStringLiteral("读者库中没有可以查询的“%1”, 请从列表中选择要查询的项目!")
                      .arg(choice);
        return out;
    }
    Statement st(QStringLiteral("select * from 读者库 where "));
    if (c.match == Match::Exact)
        ColumnSearch::appendEquals(st, kTable, column, out.value);
    else
        ContainsIndex::appendContains(st, kTable, column, out.value);
    if (c.dateRange) {
        st.text(QStringLiteral(" and "));
        ColumnSearch::appendDateRange(st, kDateColumn, c.from, c.to);
    }
    st.text(QStringLiteral(" order by 1,2"));
    out.statement = st;
    out.ok = true;
    // A card is read into the box by a reader device: the box is ready for the next one.
    if (choice == QString::fromUtf8(CardNumberChoice))
        out.value.clear();
    return out;
}

} // namespace ReaderSearch
