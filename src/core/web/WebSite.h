#pragma once

#include "LibraryPages.h"
#include "WebSessions.h"
#include "admin/LoginThrottle.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <mutex>
#include <optional>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

// The pages of the library's web site and what they answer, one handler per address:
//   GET  /                 the notice, the recommended books, the newest books
//   GET  /search?q=&page=  the catalogue search, paged, with availability
//   GET  /api/search?q=&page=  the same as JSON
//   GET  /login, POST /login, POST /logout
//   GET  /account          own loans, account and reservations (signed in)
//   GET  /history?page=    loan history (signed in)
//   GET  /password, POST /password
//   POST /reserve, POST /reservations/cancel
// Every form that writes carries the session's token and is refused without it. The reader's
// data comes only through ReaderPortal, always for the reader of the session.
//
// Each handler runs on a worker thread of the server and reads through that thread's own
// connection (a copy of the shared connection, opened on first use).
class WebSite {
public:
    struct Options {
        int reservationDays = 3; // how long a reservation made on the pages holds
    };
    explicit WebSite(const Options &options);

    void home(const httplib::Request &req, httplib::Response &res);
    void search(const httplib::Request &req, httplib::Response &res);
    void apiSearch(const httplib::Request &req, httplib::Response &res);
    void loginForm(const httplib::Request &req, httplib::Response &res);
    void login(const httplib::Request &req, httplib::Response &res);
    void logout(const httplib::Request &req, httplib::Response &res);
    void account(const httplib::Request &req, httplib::Response &res);
    void history(const httplib::Request &req, httplib::Response &res);
    void passwordForm(const httplib::Request &req, httplib::Response &res);
    void changePassword(const httplib::Request &req, httplib::Response &res);
    void reserve(const httplib::Request &req, httplib::Response &res);
    void cancelReservation(const httplib::Request &req, httplib::Response &res);

    // The page for a status the server set by itself (404, 413, 414, 400, 503) or an error
    // page of a handler without a body.
    void statusPage(httplib::Response &res, int status, const QString &text = QString());

    // The name of the session cookie.
    static const char *cookieName() { return "tsgl_session"; }

    // The thread's own connection to the library, opened on first use; invalid (with the
    // reason in error) when it cannot be opened.
    static QSqlDatabase connection(QString *error = nullptr);

    // Milliseconds of the steady clock, for the sessions and the sign-in pause.
    static qint64 clock();

private:
    struct Visit;
    enum class Field { Ok, Missing, BadText, TooLong };

    Visit begin(const httplib::Request &req, httplib::Response &res);
    // A request field (query or form) as UTF-8 text of at most maxChars characters.
    static Field field(const httplib::Request &req, const char *name, int maxChars, QString *out);
    bool refuseField(Visit &v, Field problem, const QString &caption);
    // Whether the form's token is the session's; answers 403 otherwise.
    bool checkToken(Visit &v);
    // The signed-in reader, or a redirect to the sign-in page (false).
    bool requireReader(Visit &v);
    void send(Visit &v, int status, const QString &title, const QString &body);
    void redirect(httplib::Response &res, const QString &to);
    void setSessionCookie(Visit &v, const QString &id, int maxAgeSeconds);
    void logDetail(const QString &where, const QString &detail);
    LibraryPages::Library library(const QSqlDatabase &db);

    Options m_options;
    WebSessions m_sessions;
    KeyedLoginThrottle m_throttle;
    std::mutex m_libraryMutex;
    std::optional<LibraryPages::Library> m_library;
    qint64 m_libraryRead = 0;
};
