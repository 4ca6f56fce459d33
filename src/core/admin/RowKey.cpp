#include "RowKey.h"

#include "db/RowOrder.h"
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
    QString item = RowOrder::key() + QStringLiteral(" as ") + QString::fromUtf8(Field);
    if (onServer())
        item += QStringLiteral(", xmin::text as ") + QString::fromUtf8(VersionField);
    return item;
}

QString nullItem()
{
    return onServer() ? QStringLiteral("NULL, NULL") : QStringLiteral("NULL");
}

QString insertSuffix()
{
    return onServer() ? QStringLiteral(" returning ") + RowOrder::key() : QString();
}

QString insertedKey(QSqlQuery &query)
{
    if (onServer())
        return query.next() ? query.value(0).toString() : QString();
    return query.lastInsertId().toString();
}

void appendRowMatch(Statement &st, const QSqlRecord &original, const QStringList &columns)
{
    st.text(QStringLiteral(" where ") + RowOrder::key() + QLatin1Char('='))
        .value(original.value(QString::fromUtf8(Field)).toLongLong());
    if (onServer()) {
        st.text(QStringLiteral(" and xmin::text="))
            .value(original.value(QString::fromUtf8(VersionField)).toString());
        return;
    }
    for (const QString &column : columns)
        st.text(QStringLiteral(" and ") + column + QStringLiteral(" is "))
            .value(original.value(column));
}

} // namespace RowKey
