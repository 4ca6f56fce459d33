#include "ColumnSearch.h"

#include "ContainsIndex.h"
#include "db/Schema.h"

namespace ColumnSearch {

QDate defaultFrom(const QDate &today)
{
    return QDate(today.year(), today.month(), 1);
}

QDate defaultTo(const QDate &today)
{
    return today.addDays(1);
}

QString searchableColumn(const QString &table, const QString &name)
{
    const QString column = Schema::checkedColumn(table, name.trimmed());
    if (column.isEmpty())
        return QString();
    const Schema::Column *c = Schema::findColumn(table, column);
    return c && c->type != Schema::ColumnType::Image ? column : QString();
}

void appendEquals(Statement &statement, const QString &table, const QString &column,
                  const QString &value)
{
    // The column is a checked name of the schema; it stays unquoted, as the tables were made.
    const Schema::Column *c = Schema::findColumn(table, column);
    const bool text =
        !c || c->type == Schema::ColumnType::Text || c->type == Schema::ColumnType::Memo;
    statement
        .text((text ? column : QStringLiteral("cast(") + column + QStringLiteral(" as text)")) +
              QStringLiteral(" = "))
        .value(value);
}

void appendMatch(Statement &statement, const QString &table, const QString &column,
                 const QString &value, Match match)
{
    if (match == Match::Exact)
        appendEquals(statement, table, column, value);
    else
        ContainsIndex::appendContains(statement, table, column, value);
}

void appendDateRange(Statement &statement, const QString &column, const QDate &from,
                     const QDate &to)
{
    statement.text(column + QStringLiteral(" >=")).value(sqlDate(from));
    statement.text(QStringLiteral(" and ") + column + QStringLiteral("<=")).value(sqlDate(to));
}

} // namespace ColumnSearch
