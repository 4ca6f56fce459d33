#include "BookSearch.h"

#include "db/Money.h"
#include "db/SqlDialect.h"

#include <QSqlQuery>

namespace BookSearch {

namespace {

const QString kTable = QStringLiteral("图书");
const QString kDateColumn = QStringLiteral("入库时间");

} // namespace

Statement openingStatement()
{
    // 编号 is unique: the key's index gives the order and the first rows without a sort.
    return Statement(QStringLiteral("select * from 图书 order by 1,2") + limitClause(kOpeningRows));
}

Statement allStatement()
{
    return Statement(QStringLiteral("select * from 图书"));
}

QStringList columnChoices()
{
    return {QStringLiteral("编号"),     QStringLiteral("条形码"), QStringLiteral("名称"),
            QStringLiteral("索书号"),   QStringLiteral("分类"),   QStringLiteral("二级分类"),
            QStringLiteral("存放位置"), QStringLiteral("作者"),   QStringLiteral("译者"),
            QStringLiteral("来源")};
}

Search build(const Conditions &c)
{
    Search out;
    out.value = c.value.trimmed();
    QString choice = c.choice.trimmed();
    if (choice.isEmpty())
        choice = QString::fromUtf8(DefaultChoice);
    if (out.value.isEmpty() && !c.dateRange) {
        out.message = QStringLiteral("请填写好查询条件!");
        return out;
    }
    if (c.dateRange && (!c.from.isValid() || !c.to.isValid())) {
        out.message = QStringLiteral("入库时间的范围不是有效的日期!");
        return out;
    }
    Statement st(QStringLiteral("select * from 图书 where "));
    if (out.value.isEmpty()) {
        ColumnSearch::appendDateRange(st, kDateColumn, c.from, c.to);
        out.statement = st;
        out.ok = true;
        return out;
    }
    const QString column = ColumnSearch::searchableColumn(kTable, choice);
    if (column.isEmpty()) {
        out.message =
            QStringLiteral("图书中没有可以查询的“%1”, 请从列表中选择要查询的项目!").arg(choice);
        return out;
    }
    ColumnSearch::appendMatch(st, kTable, column, out.value, c.match);
    if (c.dateRange) {
        st.text(QStringLiteral(" and "));
        ColumnSearch::appendDateRange(st, kDateColumn, c.from, c.to);
    }
    st.text(QStringLiteral(" order by 1,2"));
    out.statement = st;
    out.ok = true;
    return out;
}

QStringList combinedColumns()
{
    return {QStringLiteral("编号"), QStringLiteral("条形码"), QStringLiteral("名称")};
}

QStringList combinedOperators()
{
    return {QStringLiteral("="), QStringLiteral(">"), QStringLiteral(">="), QStringLiteral("<"),
            QStringLiteral("<=")};
}

Search buildCombined(const Combined &c)
{
    Search out;
    const QString value1 = c.value1.trimmed();
    const QString value2 = c.value2.trimmed();
    if (c.column1.trimmed().isEmpty() || value1.isEmpty())
        return out; // nothing asked yet
    // Only the offered choices enter the statement's text; the values are bound.
    const QStringList columns = combinedColumns();
    const QStringList operators = combinedOperators();
    const bool second = !c.column2.trimmed().isEmpty() && !value2.isEmpty();
    if (!columns.contains(c.column1) || (second && !columns.contains(c.column2)) ||
        !columns.contains(c.sortColumn)) {
        out.message = QStringLiteral("请从列表中选择查询和排序的项目!");
        return out;
    }
    if (!operators.contains(c.operator1) || (second && !operators.contains(c.operator2))) {
        out.message = QStringLiteral("请从列表中选择比较的方式 (=, >, >=, <, <=)!");
        return out;
    }
    Statement st(QStringLiteral("select * from 图书 where "));
    st.text(c.column1 + c.operator1).value(value1);
    if (second)
        st.text(QStringLiteral(" and ") + c.column2 + c.operator2).value(value2);
    st.text(QStringLiteral(" order by ") + c.sortColumn +
            (c.descending ? QStringLiteral(" desc") : QStringLiteral(" asc")));
    out.statement = st;
    out.ok = true;
    return out;
}

bool summary(QString *line, QString *error)
{
    // 编号 is the key, never NULL: count(*) counts the books and lets the database read the
    // index on 数量 and 价格 alone.
    QSqlQuery q =
        Statement(QStringLiteral("select count(*), sum(数量), sum(数量*价格) from 图书")).exec();
    if (!q.isActive() || !q.next()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    // Sums over an empty table are NULL: the line stays as it was.
    if (q.value(1).isNull() || q.value(2).isNull())
        return false;
    *line = QStringLiteral("总记录数:%1 总数量:%2 总价格:%3")
                .arg(q.value(0).toLongLong())
                .arg(q.value(1).toLongLong())
                .arg(Money::fromVariant(q.value(2)).toFixed2());
    return true;
}

} // namespace BookSearch
