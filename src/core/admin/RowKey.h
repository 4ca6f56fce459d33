#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlQuery;
class Statement;

// The reference lists, the administrators and the settings row have no key column, and two
// rows may be identical. A row is therefore addressed by the database's own row address
// (rowid in the embedded database, ctid on the server) together with the values it had
// when it was read: a change or deletion touches that one row only, and touches nothing
// when another workstation changed or removed the row meanwhile.
namespace RowKey {

// The name under which selects return the row address.
inline constexpr const char *Field = "行地址";

// "rowid as 行地址" resp. "ctid::text as 行地址", for a select list.
QString selectItem();
// The address of the row that an insert or update (with insertSuffix()) just wrote.
QString insertedKey(QSqlQuery &query);
// Text to append to an insert or update so that insertedKey() can read the address.
QString insertSuffix();

// Appends " where <address>=? and <col1> is the same as ? and …" for the row as read.
void appendRowMatch(Statement &st, const QSqlRecord &original, const QStringList &columns);

} // namespace RowKey
