#include "ConnectionString.h"

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString result;
    const QStringList parts = text.split(QLatin1Char(';'));
    for (const QString &part : parts) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        result.m_items.append({part.left(eq).trimmed(), part.mid(eq + 1)});
    }
    return result;
}

QString ConnectionString::value(const QString &key) const
{
    for (const auto &item : m_items) {
        if (item.first.compare(key, Qt::CaseInsensitive) == 0)
            return item.second;
    }
    return QString();
}

void ConnectionString::set(const QString &key, const QString &value)
{
    for (auto &item : m_items) {
        if (item.first.compare(key, Qt::CaseInsensitive) == 0) {
            item.second = value;
            return;
        }
    }
    m_items.append({key, value});
}

QString ConnectionString::toString() const
{
    QString text;
    for (const auto &item : m_items)
        text += item.first + QLatin1Char('=') + item.second + QLatin1Char(';');
    return text;
}

QString ConnectionString::masked() const
{
    ConnectionString copy = *this;
    for (auto &item : copy.m_items) {
        if (item.first.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0 ||
            item.first.compare(QLatin1String("Pwd"), Qt::CaseInsensitive) == 0)
            item.second = QStringLiteral("******");
    }
    return copy.toString();
}

QString ConnectionString::forServer(const QString &server, const QString &database,
                                    const QString &user, const QString &password)
{
    return QStringLiteral("Provider=PostgreSQL;Password=") + password +
           QStringLiteral(";User ID=") + user + QStringLiteral(";Initial Catalog=") + database +
           QStringLiteral(";Data Source=") + server + QLatin1Char(';');
}

QString ConnectionString::forFile(const QString &path)
{
    return QStringLiteral("Data Source=") + path + QLatin1Char(';');
}
