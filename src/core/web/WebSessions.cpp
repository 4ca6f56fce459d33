#include "WebSessions.h"

#include <QRandomGenerator>

namespace {

// 32 bytes from the system's random source, as 64 hexadecimal digits.
QString randomText()
{
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(words), sizeof(words)).toHex());
}

} // namespace

bool WebSessions::expired(const Session &s, qint64 now) const
{
    return now - s.lastUsed > kIdleMs || now - s.started > kLifetimeMs;
}

void WebSessions::dropExpiredAndOldest(qint64 now)
{
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (expired(*it, now))
            it = m_sessions.erase(it);
        else
            ++it;
    }
    // Sessions without a reader (a sign-in form opened) go first, so that opening the form
    // over and over cannot push signed-in readers out.
    while (m_sessions.size() >= kMaxSessions) {
        auto oldest = m_sessions.end();
        for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it) {
            if (oldest == m_sessions.end())
                oldest = it;
            const bool anonymous = it->readerNumber.isEmpty();
            const bool oldestAnonymous = oldest->readerNumber.isEmpty();
            if ((anonymous && !oldestAnonymous) ||
                (anonymous == oldestAnonymous && it->lastUsed < oldest->lastUsed))
                oldest = it;
        }
        m_sessions.erase(oldest);
    }
}

WebSessions::Session WebSessions::create(const QString &readerNumber, const QString &readerName,
                                         qint64 now)
{
    Session s;
    s.id = randomText();
    s.token = randomText();
    s.readerNumber = readerNumber;
    s.readerName = readerName;
    s.started = now;
    s.lastUsed = now;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_sessions.size() >= kMaxSessions)
        dropExpiredAndOldest(now);
    m_sessions.insert(s.id, s);
    return s;
}

std::optional<WebSessions::Session> WebSessions::find(const QString &id, qint64 now)
{
    if (id.size() != 64)
        return std::nullopt;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_sessions.find(id);
    if (it == m_sessions.end())
        return std::nullopt;
    if (expired(*it, now)) {
        m_sessions.erase(it);
        return std::nullopt;
    }
    it->lastUsed = now;
    return *it;
}

void WebSessions::remove(const QString &id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sessions.remove(id);
}

int WebSessions::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sessions.size();
}

bool WebSessions::sameToken(const QString &a, const QString &b)
{
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    if (x.size() != y.size() || x.isEmpty())
        return false;
    unsigned char diff = 0;
    for (int i = 0; i < x.size(); ++i)
        diff |= static_cast<unsigned char>(x[i] ^ y[i]);
    return diff == 0;
}
