#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlQuery;
class Statement;

// The reference lists, the administrators and the settings row have no key column, and two
// rows may be identical. A row is therefore addressed by its insertion number (RowOrder:
// rowid in the embedded database, 行序 on the server), which no update changes, together with
// a check that the row is still as it was read: a change or deletion touches that one row
// only, and touches nothing when another workstation changed or removed it meanwhile. On the
// server the check is the row version (xmin), which every update renews; the embedded
// database compares the values the caller names.
namespace RowKey {

// The name under which selects return the row address.
inline constexpr const char *Field = "行地址";
// The name under which the server's selects return the row version.
inline constexpr const char *VersionField = "行版本";

// "rowid as 行地址" resp. "行序 as 行地址, xmin::text as 行版本", for a select list.
QString selectItem();
// As many NULLs as selectItem() has items: the address of a line that is no row yet.
QString nullItem();
// The address of the row that an insert with insertSuffix() just wrote.
QString insertedKey(QSqlQuery &query);
// Text to append to an insert so that insertedKey() can read the address.
QString insertSuffix();

// Appends " where <address>=? and <still as read>" for the row as read. The embedded
// database compares the named columns ("is" the value read, so NULL matches NULL).
void appendRowMatch(Statement &st, const QSqlRecord &original, const QStringList &columns);

} // namespace RowKey
