#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QtGlobal>

// Wrong passwords in a row slow the login down: after the fifth, every further try waits a
// few seconds. Times are milliseconds of a steady clock, given by the caller.
class LoginThrottle {
public:
    static constexpr int FreeTries = 5;
    static constexpr qint64 WaitMs = 5000;

    explicit LoginThrottle(int freeTries = FreeTries, qint64 waitMs = WaitMs);

    void wrongPassword(qint64 now);
    void accepted();
    int wrongInARow() const { return m_wrong; }
    qint64 lastWrong() const { return m_lastWrong; }
    // Milliseconds until the next try may be checked; 0 when it may be checked now.
    qint64 remaining(qint64 now) const;

    // Whole seconds left, rounded up, as the window counts them down.
    static int seconds(qint64 remainingMs);
    QString waitMessage(qint64 now) const;

private:
    int m_freeTries;
    qint64 m_waitMs;
    int m_wrong = 0;
    qint64 m_lastWrong = 0;
};

// The same pause kept apart for each key (a reader number, or the text typed where no reader
// has it), for a server where many sign in at once: every call may come from another thread.
// A try is admitted and counted as wrong in one step, so tries that run side by side cannot
// pass the pause together; accepted() then ends the row. Keys idle for longer than ForgetMs
// are forgotten once the table holds maxKeys of them, so typing made-up numbers cannot fill
// the memory.
class KeyedLoginThrottle {
public:
    static constexpr qint64 ForgetMs = 60 * 60 * 1000;
    static constexpr int MaxKeys = 10000;

    explicit KeyedLoginThrottle(int freeTries = LoginThrottle::FreeTries,
                                qint64 waitMs = LoginThrottle::WaitMs, int maxKeys = MaxKeys);

    // 0 when the try may be checked now; it then counts as a wrong password until accepted().
    // Otherwise the milliseconds to wait, and nothing is counted.
    qint64 admit(const QString &key, qint64 now);
    void accepted(const QString &key);
    qint64 remaining(const QString &key, qint64 now) const;
    int wrongInARow(const QString &key) const;
    // "密码已连续输错n次,请等待s秒后再试." for the key.
    QString waitMessage(const QString &key, qint64 now) const;
    int keyCount() const;

private:
    void makeRoom(qint64 now);

    int m_freeTries;
    qint64 m_waitMs;
    int m_maxKeys;
    mutable QMutex m_mutex;
    QHash<QString, LoginThrottle> m_throttles;
};
