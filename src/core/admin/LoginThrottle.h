#pragma once

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
