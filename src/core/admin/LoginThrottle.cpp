#include "LoginThrottle.h"

#include <QMutexLocker>

LoginThrottle::LoginThrottle(int freeTries, qint64 waitMs)
    : m_freeTries(freeTries)
    , m_waitMs(waitMs)
{}

void LoginThrottle::wrongPassword(qint64 now)
{
    ++m_wrong;
    m_lastWrong = now;
}

void LoginThrottle::accepted()
{
    m_wrong = 0;
}

qint64 LoginThrottle::remaining(qint64 now) const
{
    if (m_wrong < m_freeTries)
        return 0;
    return qMax<qint64>(0, m_lastWrong + m_waitMs - now);
}

int LoginThrottle::seconds(qint64 remainingMs)
{
    return int((remainingMs + 999) / 1000);
}

QString LoginThrottle::waitMessage(qint64 now) const
{
    return QStringLiteral("密码已连续输错%1次,请等待%2秒后再试.")
        .arg(m_wrong)
        .arg(seconds(remaining(now)));
}

KeyedLoginThrottle::KeyedLoginThrottle(int freeTries, qint64 waitMs, int maxKeys)
    : m_freeTries(freeTries)
    , m_waitMs(waitMs)
    , m_maxKeys(qMax(1, maxKeys))
{}

qint64 KeyedLoginThrottle::admit(const QString &key, qint64 now)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_throttles.find(key);
    if (it == m_throttles.end()) {
        makeRoom(now);
        it = m_throttles.insert(key, LoginThrottle(m_freeTries, m_waitMs));
    }
    const qint64 wait = it->remaining(now);
    if (wait > 0)
        return wait;
    it->wrongPassword(now);
    return 0;
}

void KeyedLoginThrottle::accepted(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    m_throttles.remove(key);
}

qint64 KeyedLoginThrottle::remaining(const QString &key, qint64 now) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_throttles.constFind(key);
    return it == m_throttles.constEnd() ? 0 : it->remaining(now);
}

int KeyedLoginThrottle::wrongInARow(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_throttles.constFind(key);
    return it == m_throttles.constEnd() ? 0 : it->wrongInARow();
}

QString KeyedLoginThrottle::waitMessage(const QString &key, qint64 now) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_throttles.constFind(key);
    return it == m_throttles.constEnd() ? QString() : it->waitMessage(now);
}

int KeyedLoginThrottle::keyCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_throttles.size());
}

void KeyedLoginThrottle::makeRoom(qint64 now)
{
    if (m_throttles.size() < m_maxKeys)
        return;
    // Keys whose pause is over and that have been idle for long are dropped first. When the
    // table is still full, the key idle for longest makes room, one whose pause is over
    // before one still paused, so that made-up numbers do not end a pause.
    m_throttles.removeIf([now](const QHash<QString, LoginThrottle>::iterator it) {
        return it->remaining(now) == 0 && now - it->lastWrong() > ForgetMs;
    });
    if (m_throttles.size() < m_maxKeys)
        return;
    QString oldest;
    bool oldestPaused = true;
    qint64 oldestTime = 0;
    bool first = true;
    for (auto it = m_throttles.cbegin(); it != m_throttles.cend(); ++it) {
        const bool paused = it->remaining(now) > 0;
        const bool better = first || (oldestPaused && !paused) ||
                            (paused == oldestPaused && it->lastWrong() < oldestTime);
        if (better) {
            oldest = it.key();
            oldestPaused = paused;
            oldestTime = it->lastWrong();
            first = false;
        }
    }
    m_throttles.remove(oldest);
}
