#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <mutex>
#include <optional>

// The sessions of the web pages, kept in memory only (a restart signs everybody out). A
// session is named by a long random id that only its cookie carries; it holds the 读者编号 of
// the signed-in reader (empty before the sign-in) and the form token that every form which
// writes must send back. A session ends after kIdleMs without a request, kLifetimeMs after it
// began, or at sign-out; the store keeps at most kMaxSessions and drops the oldest beyond
// (those without a reader first).
// Times are milliseconds of a steady clock, given by the caller. Thread-safe.
class WebSessions {
public:
    static constexpr qint64 kIdleMs = 30 * 60 * 1000;
    static constexpr qint64 kLifetimeMs = 8 * 60 * 60 * 1000;
    static constexpr int kMaxSessions = 20000;

    struct Session {
        QString id;
        QString token;
        QString readerNumber; // empty: nobody signed in
        QString readerName;   // 读者姓名 at the sign-in, for the pages' heading
        qint64 started = 0;
        qint64 lastUsed = 0;
    };

    // A new session (the id and token fresh from the system's random source).
    Session create(const QString &readerNumber, const QString &readerName, qint64 now);
    // The session of that id while it lasts; its idle time starts again.
    std::optional<Session> find(const QString &id, qint64 now);
    void remove(const QString &id);
    int size() const;

    // Seconds the cookie of a session made now may live.
    static int cookieSeconds() { return int(kIdleMs / 1000); }
    // Whether the two texts are equal, in a time that does not depend on where they differ.
    static bool sameToken(const QString &a, const QString &b);

private:
    bool expired(const Session &s, qint64 now) const;
    void dropExpiredAndOldest(qint64 now);

    mutable std::mutex m_mutex;
    QHash<QString, Session> m_sessions;
};
