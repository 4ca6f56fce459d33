#include "Statement.h"

#include "Money.h"
#include "SharedConnection.h"
#include "SqlDialect.h"

#include <QSqlError>

Statement::Statement(const QString &text, const QVariantList &values)
    : m_sql(text)
    , m_values(values)
{}

Statement &Statement::text(const QString &fragment)
{
    m_sql += fragment;
    return *this;
}

Statement &Statement::value(const QVariant &value)
{
    m_sql += QLatin1Char('?');
    m_values.append(value);
    return *this;
}

Statement Statement::insert(const QString &table, const QStringList &columns,
                            const QVariantList &values)
{
    Statement st(QStringLiteral("insert into ") + table + QStringLiteral(" (") +
                 columns.join(QStringLiteral(", ")) + QStringLiteral(") values ("));
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0)
            st.text(QStringLiteral(", "));
        st.value(values.at(i));
    }
    st.text(QStringLiteral(")"));
    return st;
}

namespace {

QString literalOf(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return QStringLiteral("NULL");
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(v.toLongLong());
    case QMetaType::Double:
        return Money::fromDouble(v.toDouble()).toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDate:
        return dateLiteral(v.toDate());
    case QMetaType::QDateTime:
        return dateTimeLiteral(v.toDateTime());
    case QMetaType::QByteArray:
        return QStringLiteral("<%1 bytes>").arg(v.toByteArray().size());
    default:
        return textLiteral(v.toString());
    }
}

} // namespace

QString Statement::displayText() const
{
    QString out;
    int next = 0;
    bool inQuote = false;
    for (const QChar c : m_sql) {
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        if (c == QLatin1Char('?') && !inQuote && next < m_values.size()) {
            out += literalOf(m_values[next++]);
            continue;
        }
        out += c;
    }
    return out;
}

QSqlQuery Statement::exec(bool forwardOnly) const
{
    return exec(SharedConnection::database(), forwardOnly);
}

QSqlQuery Statement::exec(const QSqlDatabase &db, bool forwardOnly) const
{
    QSqlQuery query(db);
    query.setForwardOnly(forwardOnly);
    if (m_values.isEmpty()) {
        query.exec(m_sql);
        return query;
    }
    if (!query.prepare(m_sql))
        return query;
    for (const QVariant &v : m_values)
        query.addBindValue(v);
    query.exec();
    return query;
}

bool Statement::run(QString *error) const
{
    return run(SharedConnection::database(), error);
}

bool Statement::run(const QSqlDatabase &db, QString *error) const
{
    QSqlQuery q = exec(db);
    if (q.lastError().isValid()) {
        if (error)
            *error = lastError(q);
        return false;
    }
    return true;
}

QVariant Statement::scalar(QString *error) const
{
    QSqlQuery q = exec();
    if (q.lastError().isValid()) {
        if (error)
            *error = lastError(q);
        return QVariant();
    }
    return q.next() ? q.value(0) : QVariant();
}

QString Statement::lastError(const QSqlQuery &query)
{
    const QSqlError e = query.lastError();
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return text;
}

Transaction::Transaction(QSqlDatabase db)
    : m_db(std::move(db))
{
    m_active = m_db.transaction();
    if (!m_active)
        m_error = m_db.lastError().text();
}

Transaction::Transaction()
    : Transaction(SharedConnection::database())
{}

Transaction::Transaction(QSqlDatabase db, const QString &lockedTable)
    : m_db(std::move(db))
{
    QSqlQuery q(m_db);
    if (m_db.driverName() == QLatin1String("QPSQL")) {
        m_active = m_db.transaction();
        if (m_active && !lockedTable.isEmpty() &&
            !q.exec(QStringLiteral("lock table %1 in share row exclusive mode").arg(lockedTable))) {
            m_error = Statement::lastError(q);
            m_db.rollback();
            m_active = false;
        } else if (!m_active) {
            m_error = m_db.lastError().text();
        }
        return;
    }
    // The driver's own commit and rollback end it.
    m_active = q.exec(QStringLiteral("begin immediate"));
    if (!m_active)
        m_error = Statement::lastError(q);
}

Transaction::Transaction(const QString &lockedTable)
    : Transaction(SharedConnection::database(), lockedTable)
{}

// Without a table to lock the server only begins; the embedded database begins immediate.
Transaction::Transaction(Intent)
    : Transaction(SharedConnection::database(), QString())
{}

Transaction::~Transaction()
{
    if (m_active)
        m_db.rollback();
}

bool Transaction::commit(QString *error)
{
    if (!m_active)
        return false;
    m_active = false;
    if (!m_db.commit()) {
        if (error)
            *error = m_db.lastError().text();
        m_db.rollback();
        return false;
    }
    return true;
}

void Transaction::rollback()
{
    if (m_active) {
        m_db.rollback();
        m_active = false;
    }
}

QVariant sqlDate(const QDate &date)
{
    if (!date.isValid())
        return QVariant(QMetaType(QMetaType::QString));
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QVariant sqlDateTime(const QDateTime &moment)
{
    if (!moment.isValid())
        return QVariant(QMetaType(QMetaType::QString));
    if (moment.time() == QTime(0, 0))
        return sqlDate(moment.date());
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime dateTimeFromSql(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QDateTime();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString().trimmed();
    QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            dt = d.startOfDay();
    }
    return dt;
}

QDate dateFromSql(const QVariant &value)
{
    return dateTimeFromSql(value).date();
}

bool flagFromSql(const QVariant &value)
{
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString t = value.toString().trimmed().toLower();
        return !(t.isEmpty() || t == QLatin1String("0") || t == QLatin1String("false") ||
                 t == QLatin1String("f"));
    }
    return value.toLongLong() != 0;
}
