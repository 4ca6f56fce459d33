#include "RowOrder.h"

#include "Schema.h"
#include "SharedConnection.h"

namespace RowOrder {

QString key(SqlDialect dialect)
{
    return dialect == SqlDialect::Server ? QString::fromUtf8(Schema::OrderColumn)
                                         : QStringLiteral("rowid");
}

QString key()
{
    return key(SharedConnection::dialect());
}

QString orderBy()
{
    return QStringLiteral(" order by ") + key();
}

QString orderBy(const QSqlDatabase &db)
{
    return QStringLiteral(" order by ") + key(db.driverName() == QLatin1String("QPSQL")
                                                  ? SqlDialect::Server
                                                  : SqlDialect::Embedded);
}

Statement selectAll(const QString &table)
{
    return Statement(QStringLiteral("select * from ") + table + orderBy());
}

QString entryOrderBy(const QString &table)
{
    const Schema::Table *t = Schema::findTable(table);
    if ((t && t->insertionOrdered) || SharedConnection::dialect() != SqlDialect::Server)
        return orderBy();
    return QString();
}

} // namespace RowOrder
