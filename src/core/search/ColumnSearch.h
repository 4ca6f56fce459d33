#pragma once

#include "db/Statement.h"

#include <QDate>
#include <QString>

// What the management windows' search by one column shares: the column named by the
// chooser (checked against the table's real columns), the exact comparison, and the range
// of intake or registration dates.
namespace ColumnSearch {

enum class Match { Exact, Contains };

// The date range a search starts with: from the first of this month up to the end of today
// (the dates are compared at midnight, so the range ends tomorrow).
QDate defaultFrom(const QDate &today);
QDate defaultTo(const QDate &today);

// The real name of a column of table that can be searched (a picture cannot), or an empty
// text when the name is none.
QString searchableColumn(const QString &table, const QString &name);

// "column = value", a non-text column compared as text. column is a checked name.
void appendEquals(Statement &statement, const QString &table, const QString &column,
                  const QString &value);

// "column = value" (精确) or "column contains value" (模糊, ContainsIndex), the value bound
// as given. column is a checked name.
void appendMatch(Statement &statement, const QString &table, const QString &column,
                 const QString &value, Match match);

// "column >= from and column <= to", the dates at midnight.
void appendDateRange(Statement &statement, const QString &column, const QDate &from,
                     const QDate &to);

} // namespace ColumnSearch
