#include "LoginThrottle.h"

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
