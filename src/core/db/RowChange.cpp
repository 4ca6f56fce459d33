#include "RowChange.h"

#include "Money.h"
#include "Schema.h"
#include "SharedConnection.h"
#include "Statement.h"

#include <QSqlError>

namespace {

// A value as read, bound again for the comparison. Date-times go back as the text the
// database stores, so that no time zone shifts them; amounts as exact decimal text.
QVariant asReadValue(const QString &table, const QSqlRecord &record, const QString &column)
{
    const QVariant v = record.value(column);
    if (v.isNull())
        return v;
    if (v.typeId() == QMetaType::QDateTime)
        return sqlDateTime(v.toDateTime());
    if (v.typeId() == QMetaType::QDate)
        return sqlDate(v.toDate());
    const Schema::Column *c = Schema::findColumn(table, column);
    if (c && c->type == Schema::ColumnType::Money)
        return Money::fromVariant(v).toSql();
    return v;
}

bool keyTaken(const QString &table, const QString &keyColumn, const QVariant &key, QString *error)
{
    Statement st(QStringLiteral("select count(*) from %1 where %2=").arg(table, keyColumn));
    st.value(key);
    return st.scalar(error).toLongLong() > 0;
}

} // namespace

QString RowChange::sameAs(const QString &column)
{
    return SharedConnection::dialect() == SqlDialect::Server
               ? QStringLiteral(" and ") + column + QStringLiteral(" is not distinct from ")
               : QStringLiteral(" and ") + column + QStringLiteral(" is ");
}

RowChange::Outcome RowChange::write(QString *error) const
{
    if (changes.isEmpty())
        return Outcome::NothingChanged;
    const QVariant oldKey = asRead.value(keyColumn);
    QVariant newKey = oldKey;
    for (const auto &change : changes) {
        if (change.first == keyColumn)
            newKey = change.second;
    }

    Statement st(QStringLiteral("update %1 set ").arg(table));
    for (int i = 0; i < changes.size(); ++i)
        st.text((i ? QStringLiteral(",") : QString()) + changes[i].first + QLatin1Char('='))
            .value(changes[i].second);
    st.text(QStringLiteral(" where %1=").arg(keyColumn)).value(oldKey);
    for (const auto &change : changes) {
        if (asRead.contains(change.first))
            st.text(sameAs(change.first)).value(asReadValue(table, asRead, change.first));
    }

    const bool renumbered = newKey != oldKey;
    Transaction tx;
    if (!tx.isActive()) {
        if (error)
            *error = tx.error();
        return Outcome::Failed;
    }
    QString reason;
    if (renumbered) {
        const bool taken = keyTaken(table, keyColumn, newKey, &reason);
        if (!reason.isEmpty()) {
            if (error)
                *error = reason;
            return Outcome::Failed;
        }
        if (taken)
            return Outcome::KeyTaken;
    }
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        reason = Statement::lastError(q);
        q.finish();
        tx.rollback();
        // Another workstation may have taken the new key between the test and the write.
        QString ignored;
        if (renumbered && keyTaken(table, keyColumn, newKey, &ignored))
            return Outcome::KeyTaken;
        if (error)
            *error = reason;
        return Outcome::Failed;
    }
    const int affected = q.numRowsAffected();
    q.finish();
    if (affected != 1) {
        tx.rollback();
        QString ignored;
        return keyTaken(table, keyColumn, oldKey, &ignored) ? Outcome::ChangedElsewhere
                                                            : Outcome::Deleted;
    }
    if (!tx.commit(&reason)) {
        if (error)
            *error = reason;
        return Outcome::Failed;
    }
    return Outcome::Written;
}
