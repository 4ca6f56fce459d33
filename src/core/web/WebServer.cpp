#include "WebServer.h"

#include "CatalogueSearch.h"
#include "WebSite.h"

#include <httplib.h>

#include <QHostAddress>
#include <atomic>
#include <sys/socket.h>

// cpp-httplib rather than Qt HTTP Server: its worker threads block on their own connection
// and database connection, so one slow search never holds up the others, and it bounds the
// request line, headers and body and times out slow clients; Qt HTTP Server 6.4 answers every
// request on one thread and reads a body of any size into memory.

namespace {

// Set on a worker thread for the connection it is serving when that connection came in over
// the limit: the request is answered "busy" at once.
thread_local bool t_overLimit = false;

constexpr int kBacklog = 256;

// The server's thread pool with a bound on the connections it holds: one over the bound is
// still accepted and served, but only with the "busy" page, so waiting clients never pile up.
class BoundedPool : public httplib::TaskQueue {
public:
    BoundedPool(size_t workers, int maxConnections)
        : m_pool(workers)
        , m_max(maxConnections)
    {}

    void enqueue(std::function<void()> fn) override
    {
        const bool over = m_held.fetch_add(1) >= m_max;
        m_pool.enqueue([this, over, fn = std::move(fn)]() {
            t_overLimit = over;
            fn();
            t_overLimit = false;
            m_held.fetch_sub(1);
        });
    }
    void shutdown() override { m_pool.shutdown(); }

private:
    httplib::ThreadPool m_pool;
    int m_max;
    std::atomic<int> m_held{0};
};

// The library's server with a longer queue of connections waiting to be accepted than the
// five that cpp-httplib asks for: many clients connecting at once would otherwise wait a
// second for the system to retry their connection.
class Server : public httplib::Server {
public:
    void widenBacklog(int connections) { ::listen(svr_sock_, connections); }
};

} // namespace

struct WebServer::Private {
    Options options;
    Server server;
    WebSite site;
    int port = 0;

    explicit Private(const Options &o)
        : options(o)
        , site(WebSite::Options{o.reservationDays})
    {}
};

WebServer::WebServer(const Options &options)
    : d(std::make_unique<Private>(options))
{
    CatalogueSearch::forgetKeptResults();
    httplib::Server &s = d->server;
    WebSite &site = d->site;
    const Options o = options;
    s.new_task_queue = [o] {
        return new BoundedPool(size_t(qMax(1, o.workers)), o.maxConnections);
    };
    s.set_payload_max_length(size_t(o.maxBodyBytes));
    // A client that sends or reads slowly gives its worker back after five seconds (behind a
    // reverse proxy, which buffers whole requests, this never happens).
    s.set_read_timeout(5);
    s.set_write_timeout(5);
    s.set_keep_alive_max_count(size_t(qMax(1, o.keepAliveRequests)));
    s.set_keep_alive_timeout(2);
    s.set_tcp_nodelay(true);
    s.set_default_headers({
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "same-origin"},
        {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; "
                                    "form-action 'self'; frame-ancestors 'none'; base-uri 'none'"},
        {"Cache-Control", "no-cache"},
    });

    const size_t maxBody = size_t(o.maxBodyBytes);
    s.set_pre_routing_handler(
        [&site, maxBody](const httplib::Request &req, httplib::Response &res) {
            if (t_overLimit) {
                site.statusPage(res, 503);
                res.set_header("Connection", "close");
                return httplib::Server::HandlerResponse::Handled;
            }
            // A body announced too large is refused before it is read (the library would read
            // it all to throw it away); the connection then closes.
            if (req.get_header_value<uint64_t>("Content-Length") > maxBody) {
                site.statusPage(res, 413);
                res.set_header("Connection", "close");
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
    s.set_error_handler(httplib::Server::HandlerWithResponse(
        [&site](const httplib::Request &, httplib::Response &res) {
            // The statuses the server sets by itself (404, 413, 414, 400) get a page; a handler's
            // own error page is kept.
            if (res.body.empty())
                site.statusPage(res, res.status);
            return httplib::Server::HandlerResponse::Handled;
        }));
    s.set_exception_handler([&site](const httplib::Request &, httplib::Response &res,
                                    std::exception_ptr) { site.statusPage(res, 500); });

    using Handler = void (WebSite::*)(const httplib::Request &, httplib::Response &);
    auto route = [&site](Handler h) {
        return [&site, h](const httplib::Request &req, httplib::Response &res) {
            (site.*h)(req, res);
        };
    };
    s.Get("/", route(&WebSite::home));
    s.Get("/search", route(&WebSite::search));
    s.Get("/api/search", route(&WebSite::apiSearch));
    s.Get("/login", route(&WebSite::loginForm));
    s.Post("/login", route(&WebSite::login));
    s.Post("/logout", route(&WebSite::logout));
    s.Get("/account", route(&WebSite::account));
    s.Get("/history", route(&WebSite::history));
    s.Get("/password", route(&WebSite::passwordForm));
    s.Post("/password", route(&WebSite::changePassword));
    s.Post("/reserve", route(&WebSite::reserve));
    s.Post("/reservations/cancel", route(&WebSite::cancelReservation));
}

WebServer::~WebServer()
{
    stop();
}

bool WebServer::bind(QString *error)
{
    const std::string host = d->options.host.toStdString();
    if (d->options.port == 0) {
        d->port = d->server.bind_to_any_port(host);
        if (d->port <= 0) {
            *error = QStringLiteral("无法在 %1 上打开端口.").arg(d->options.host);
            return false;
        }
        d->server.widenBacklog(kBacklog);
        return true;
    }
    if (!d->server.bind_to_port(host, d->options.port)) {
        *error = QStringLiteral("无法在 %1:%2 上接受连接 (地址不对, 或端口已被占用).")
                     .arg(d->options.host)
                     .arg(d->options.port);
        return false;
    }
    d->server.widenBacklog(kBacklog);
    d->port = d->options.port;
    return true;
}

int WebServer::port() const
{
    return d->port;
}

bool WebServer::run()
{
    return d->server.listen_after_bind();
}

bool WebServer::isRunning() const
{
    return d->server.is_running();
}

void WebServer::stop()
{
    if (d->server.is_running())
        d->server.stop();
}

bool WebServer::parseListen(const QString &text, QString *host, int *port, QString *error)
{
    *host = QStringLiteral("127.0.0.1");
    *port = 8080;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return true;
    const int colon = t.lastIndexOf(QLatin1Char(':'));
    QString h = colon >= 0 ? t.left(colon) : QString();
    const QString p = colon >= 0 ? t.mid(colon + 1) : QString();
    if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']')))
        h = h.mid(1, h.size() - 2);
    bool ok = false;
    const int n = p.toInt(&ok);
    QHostAddress address;
    if (colon < 0 || !ok || n < 1 || n > 65535 || !address.setAddress(h)) {
        *error = QStringLiteral("--listen 的值 \"%1\" 不对, 应是 地址:端口, 例如 127.0.0.1:8080 "
                                "或 0.0.0.0:8080.")
                     .arg(text);
        return false;
    }
    *host = h;
    *port = n;
    return true;
}
