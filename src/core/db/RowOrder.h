#pragma once

#include "SqlDialect.h"
#include "Statement.h"

#include <QSqlDatabase>
#include <QString>

// The insertion order of the lists (reference lists, lending rules, administrators, the
// settings row). "The first row" and every list shown as entered are read in this order, the
// same on both databases and after any update: the embedded database numbers its rows by
// rowid, which an update never changes; the server moves an updated row to the end of its
// heap, so there the table carries its own number, the column 行序.
namespace RowOrder {

// "rowid" or "行序".
QString key(SqlDialect dialect);
// The key of the shared connection's database.
QString key();
// " order by <key>", to end a select of one such table (on the shared connection, or db).
QString orderBy();
QString orderBy(const QSqlDatabase &db);
// "select * from <table> order by <key>": a whole list in the order it was entered.
Statement selectAll(const QString &table);

// " order by <key>" for any table, also one without an insertion number of its own (books,
// periodicals, readers): the embedded database has its rowid for every table. On the server
// such a table has no number, so the text is empty and the rows come in the order of its
// heap, the order of entry until a row is changed.
QString entryOrderBy(const QString &table);

} // namespace RowOrder
