#include "ReferenceLists.h"

#include "db/RowOrder.h"
#include "db/Statement.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ReferenceLists {

QStringList read(const QString &table, const QString &column, QStringList *errors)
{
    QStringList out;
    QSqlQuery q = RowOrder::selectAll(table).exec();
    if (q.lastError().isValid()) {
        errors->append(table + QStringLiteral(": ") + Statement::lastError(q));
        return out;
    }
    while (q.next())
        out << q.value(column).toString();
    return out;
}

} // namespace ReferenceLists
