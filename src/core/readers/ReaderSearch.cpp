#include "ReaderSearch.h"

#include "db/Schema.h"
#include "search/ContainsIndex.h"

namespace ReaderSearch {

namespace {

const QString kTable = QStringLiteral("读者库");

void appendDateRange(Statement &st, const QDate &from, const QDate &to)
{
    st.text(QStringLiteral("登记日期 >=")).value(sqlDate(from));
    st.text(QStringLiteral(" and 登记日期<=")).value(sqlDate(to));
}

// A picture cannot be searched for; every other column can, a non-text one as text.
bool isSearchable(const QString &column)
{
    const Schema::Column *c = Schema::findColumn(kTable, column);
    return c && c->type != Schema::ColumnType::Image;
}

// The column is a checked name of the schema; it stays unquoted, as the tables were made.
QString comparedAsText(const QString &column)
{
    const Schema::Column *c = Schema::findColumn(kTable, column);
    if (!c || c->type == Schema::ColumnType::Text || c->type == Schema::ColumnType::Memo)
        return column;
    return QStringLiteral("cast(") + column + QStringLiteral(" as text)");
}

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
    return QDate(today.year(), today.month(), 1);
}

QDate defaultTo(const QDate &today)
{
    return today.addDays(1);
}

QString columnOf(const QString &choice)
{
    const QString text = choice.trimmed();
    const QString column = text == QString::fromUtf8(CardNumberChoice)
                               ? QStringLiteral("CardId")
                               : Schema::checkedColumn(kTable, text);
    return !column.isEmpty() && isSearchable(column) ? column : QString();
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
        appendDateRange(st, c.from, c.to);
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
        st.text(comparedAsText(column) + QStringLiteral(" = ")).value(out.value);
    else
        ContainsIndex::appendContains(st, kTable, column, out.value);
    if (c.dateRange) {
        st.text(QStringLiteral(" and "));
        appendDateRange(st, c.from, c.to);
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
