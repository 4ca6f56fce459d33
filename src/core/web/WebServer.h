#pragma once

#include <QString>
#include <memory>

// The HTTP server of the library's web pages (cpp-httplib: a blocking server with a pool of
// worker threads, each of which keeps its own database connection; the library bounds the
// request line, the headers and the body, and times out slow clients).
//
// Limits: at most `workers` requests are worked on at once; connections beyond
// `maxConnections` (worked on or waiting) get "503 服务器正忙" at once instead of waiting;
// a body over maxBodyBytes gets 413, a request line over 8 KiB 414.
//
//   WebServer server(options);
//   if (!server.bind(&error)) …;
//   server.run(); // until stop() from another thread
class WebServer {
public:
    struct Options {
        QString host = QStringLiteral("127.0.0.1");
        int port = 8080; // 0: any free port (port() tells which)
        // A few workers, each answering one request per connection, serve many clients fastest
        // and fairest on a small machine: the searches queue in the order they came instead
        // of competing for the processor, and no idle connection holds a worker.
        int workers = 8;
        int keepAliveRequests = 1; // requests on one connection before it is closed
        int maxConnections = 512;
        int maxBodyBytes = 16 * 1024;
        int reservationDays = 3;
    };

    explicit WebServer(const Options &options);
    ~WebServer();
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    bool bind(QString *error);
    int port() const;
    // Serves until stop(); false when the server could not run.
    bool run();
    bool isRunning() const;
    void stop();

    // "ADDR:PORT", "[IPv6]:PORT" or empty (the default 127.0.0.1:8080). False with a message
    // for the user when the text is none of these.
    static bool parseListen(const QString &text, QString *host, int *port, QString *error);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
