#include "ConnectionString.h"

#include <QDir>

namespace {

bool isPasswordKey(const QString &key)
{
    return key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0 ||
           key.compare(QLatin1String("Pwd"), Qt::CaseInsensitive) == 0;
}

QString quoted(const QString &value)
{
    const QChar dq = QLatin1Char('"'), sq = QLatin1Char('\'');
    const bool plain = !value.contains(QLatin1Char(';')) && !value.startsWith(dq) &&
                       !value.startsWith(sq) &&
                       (value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace()));
    if (plain)
        return value;
    if (value.contains(dq) && !value.contains(sq))
        return sq + value + sq;
    return dq + QString(value).replace(dq, QStringLiteral("\"\"")) + dq;
}

// The quoted value that starts at text[at], and the position after its closing quote.
// False when the quote is not closed or something else than blanks follows it before
// the ";": the value is then read as it stands.
bool readQuoted(const QString &text, qsizetype at, QString *value, qsizetype *end)
{
    const QChar quote = text[at];
    QString inner;
    qsizetype i = at + 1;
    for (;;) {
        if (i >= text.size())
            return false;
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                inner += quote;
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        inner += text[i++];
    }
    while (i < text.size() && text[i].isSpace())
        ++i;
    if (i < text.size() && text[i] != QLatin1Char(';'))
        return false;
    *value = inner;
    *end = i;
    return true;
}

} // namespace

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString result;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        if (semicolon < 0)
            semicolon = text.size();
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0 || eq > semicolon) { // no "key=": skipped
            i = semicolon + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        qsizetype start = eq + 1;
        while (start < text.size() && text[start].isSpace())
            ++start;
        QString value;
        qsizetype end = 0;
        if (start < text.size() &&
            (text[start] == QLatin1Char('"') || text[start] == QLatin1Char('\'')) &&
            readQuoted(text, start, &value, &end)) {
            i = end + 1;
        } else {
            value = text.mid(eq + 1, semicolon - eq - 1);
            i = semicolon + 1;
        }
        if (!key.isEmpty())
            result.m_items.append({key, value});
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
        text += item.first + QLatin1Char('=') + quoted(item.second) + QLatin1Char(';');
    return text;
}

QString ConnectionString::masked() const
{
    ConnectionString copy = *this;
    for (auto &item : copy.m_items) {
        if (isPasswordKey(item.first))
            item.second = QStringLiteral("******");
    }
    return copy.toString();
}

bool ConnectionString::hasPassword() const
{
    for (const auto &item : m_items) {
        if (isPasswordKey(item.first) && !item.second.isEmpty())
            return true;
    }
    return false;
}

QString ConnectionString::forServer(const QString &server, const QString &database,
                                    const QString &user, const QString &password)
{
    ConnectionString cs;
    cs.set(QStringLiteral("Provider"), QStringLiteral("PostgreSQL"));
    cs.set(QStringLiteral("Password"), password);
    cs.set(QStringLiteral("User ID"), user);
    cs.set(QStringLiteral("Initial Catalog"), database);
    cs.set(QStringLiteral("Data Source"), server);
    return cs.toString();
}

QString ConnectionString::forFile(const QString &path)
{
    ConnectionString cs;
    cs.set(QStringLiteral("Data Source"), path);
    return cs.toString();
}

QString ConnectionString::withDataSourceIn(const QString &text, const QString &folder)
{
    ConnectionString cs = parse(text);
    const QString path = cs.value(QStringLiteral("Data Source")).trimmed();
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return text;
    cs.set(QStringLiteral("Data Source"), QDir::cleanPath(QDir(folder).absoluteFilePath(path)));
    return cs.toString();
}
