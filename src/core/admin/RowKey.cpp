#include "RowKey.h"

#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace RowKey {

namespace {

bool onServer()
{
    return SharedConnection::dialect() == SqlDialect::Server;
}

} // namespace

QString selectItem()
{
    return onServer() ? QStringLiteral("ctid::text as %1").arg(QString::fromUtf8(Field))
                      : QStringLiteral("rowid as %1").arg(QString::fromUtf8(Field));
}

QString insertSuffix()
{
    return onServer() ? QStringLiteral(" returning ctid::text") : QString();
}

QString insertedKey(QSqlQuery &query)
{
    if (onServer())
        return query.next() ? query.value(0).toString() : QString();
    return query.lastInsertId().toString();
}

void appendRowMatch(Statement &st, const QSqlRecord &original, const QStringList &columns)
{
    const QString field = QString::fromUtf8(Field);
    st.text(onServer() ? QStringLiteral(" where ctid=cast(") : QStringLiteral(" where rowid=("));
    const QVariant address = original.value(field);
    st.value(onServer() ? QVariant(address.toString()) : QVariant(address.toLongLong()));
    st.text(onServer() ? QStringLiteral(" as tid)") : QStringLiteral(")"));
    // NULL matches NULL: a row whose optional column was never filled is still found.
    const QString same =
        onServer() ? QStringLiteral(" is not distinct from ") : QStringLiteral(" is ");
    for (const QString &column : columns)
        st.text(QStringLiteral(" and ") + column + same).value(original.value(column));
}

} // namespace RowKey
