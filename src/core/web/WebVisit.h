#pragma once

#include "WebSite.h"

// One request as the page handlers see it: the session of its cookie, the moment, the worker
// thread's connection and the library's name, address and telephone.
struct WebSite::Visit {
    const httplib::Request &req;
    httplib::Response &res;
    std::optional<WebSessions::Session> session;
    qint64 clock = 0;
    QDateTime now;
    QSqlDatabase db;
    LibraryPages::Library library;
    QString searchText;
    bool done = false; // a response has been written
};
