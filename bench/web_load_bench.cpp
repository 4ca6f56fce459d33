// Load on the readers' web pages: many clients searching the catalogue at once, each over
// its own keep-alive connection on raw sockets, while (optionally) a desk lends in another
// process. Prints requests per second and the latency percentiles.
//
//   web_load_bench --port N --database LIBRARY.db [--clients 50] [--seconds 30] [--min-chars N]
//   web_load_bench --desk LIBRARY.db [--seconds 30] [--pause-ms 100]
//
// The search texts are taken from the library itself: beginnings of titles, authors, parts of
// ISBNs and classification numbers, so that every search finds something, as a reader's does.
#include "circulation/Lending.h"
#include "db/ConnectionString.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QString option(const QStringList &args, const QString &name, const QString &fallback = {})
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
}

// Search texts sampled from the library: 3-character title beginnings, authors, ISBN parts,
// classification numbers.
std::vector<std::string> sampleTexts(int count, int minChars)
{
    std::vector<std::string> out;
    const QStringList statements = {
        QStringLiteral("select substr(名称, 1, 3) from 图书 where rowid %% 997 = 1 limit %1"),
        QStringLiteral("select 作者 from 图书 where rowid %% 991 = 2 limit %1"),
        QStringLiteral("select substr(isbn, 3, 6) from 图书 where rowid %% 983 = 3 limit %1"),
        QStringLiteral("select distinct 分类号 from 图书 where rowid %% 977 = 4 limit %1"),
    };
    for (const QString &sql : statements) {
        QSqlQuery q = Statement(QString(sql)
                                    .replace(QStringLiteral("%%"), QStringLiteral("%"))
                                    .arg(count / statements.size()))
                          .exec();
        while (q.next()) {
            const QString text = q.value(0).toString().trimmed();
            if (!text.isEmpty() && text.toUcs4().size() >= minChars)
                out.push_back("/api/search?q=" + QUrl::toPercentEncoding(text).toStdString());
        }
    }
    return out;
}

struct Totals {
    std::mutex mutex;
    std::vector<double> latenciesMs;
    long ok = 0;
    long failed = 0;
    long reconnects = 0;
};

int connectTo(const std::string &host, int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads one response; its status, or 0 when the connection ended. close is set when the
// server closes the connection after it.
int readResponse(int fd, std::string &buffer, bool *closeAfter)
{
    *closeAfter = false;
    char chunk[16384];
    size_t headerEnd;
    while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
        if (n <= 0)
            return 0;
        buffer.append(chunk, size_t(n));
    }
    const std::string head = buffer.substr(0, headerEnd);
    const int status = std::atoi(head.c_str() + 9);
    size_t length = 0;
    const size_t at = head.find("Content-Length: ");
    if (at != std::string::npos)
        length = size_t(std::atol(head.c_str() + at + 16));
    *closeAfter = head.find("Connection: close") != std::string::npos;
    while (buffer.size() < headerEnd + 4 + length) {
        const ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
        if (n <= 0)
            return 0;
        buffer.append(chunk, size_t(n));
    }
    buffer.erase(0, headerEnd + 4 + length);
    return status;
}

void client(const std::string &host, int port, const std::vector<std::string> &paths,
            Clock::time_point end, unsigned seed, Totals &totals)
{
    std::vector<double> latencies;
    long ok = 0, failed = 0, reconnects = 0;
    QRandomGenerator random(seed);
    int fd = -1;
    std::string buffer;
    while (Clock::now() < end) {
        if (fd < 0) {
            fd = connectTo(host, port);
            ++reconnects;
            buffer.clear();
            if (fd < 0) {
                ++failed;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
        }
        const std::string &path = paths[random.bounded(int(paths.size()))];
        const std::string request =
            "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: keep-alive\r\n\r\n";
        const Clock::time_point start = Clock::now();
        bool closeAfter = false;
        int status = 0;
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size()))
            status = readResponse(fd, buffer, &closeAfter);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (status == 0) {
            // The server closed an idle keep-alive connection: not a failed search, try again.
            close(fd);
            fd = -1;
            continue;
        }
        latencies.push_back(ms);
        (status == 200 ? ok : failed)++;
        if (closeAfter) {
            close(fd);
            fd = -1;
        }
    }
    if (fd >= 0)
        close(fd);
    std::lock_guard<std::mutex> lock(totals.mutex);
    totals.latenciesMs.insert(totals.latenciesMs.end(), latencies.begin(), latencies.end());
    totals.ok += ok;
    totals.failed += failed;
    totals.reconnects += reconnects;
}

double percentile(std::vector<double> &sorted, double p)
{
    if (sorted.empty())
        return 0;
    const size_t i = std::min(sorted.size() - 1, size_t(p / 100.0 * double(sorted.size())));
    return sorted[i];
}

bool openLibrary(const QString &path)
{
    QString error;
    if (!SharedConnection::open(ConnectionString::forFile(path), SqlDialect::Embedded, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    loginContext().dialect = SqlDialect::Embedded;
    loginContext().adminName = QStringLiteral("超级管理员");
    return true;
}

// The desk: a random reader borrows a random book that is on the shelf, again and again.
int desk(const QStringList &args)
{
    if (!openLibrary(option(args, QStringLiteral("--desk"))))
        return 1;
    const int seconds = option(args, QStringLiteral("--seconds"), QStringLiteral("30")).toInt();
    const int pauseMs = option(args, QStringLiteral("--pause-ms"), QStringLiteral("100")).toInt();
    const int readers = Statement(QStringLiteral("select count(*) from 读者库")).scalar().toInt();
    const int books = Statement(QStringLiteral("select count(*) from 图书")).scalar().toInt();
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    long lent = 0, refused = 0;
    std::vector<double> latencies;
    while (Clock::now() < end) {
        const QString reader =
            QStringLiteral("%1").arg(random.bounded(readers) + 1, 6, 10, QLatin1Char('0'));
        const QString book =
            QStringLiteral("B%1").arg(random.bounded(books) + 1, 7, 10, QLatin1Char('0'));
        const Clock::time_point start = Clock::now();
        const QDateTime now = QDateTime::currentDateTime();
        LendingDesk d;
        bool done = false;
        if (d.acceptReader(reader, now.date()).status == LendingDesk::ReaderOutcome::Accepted) {
            const LendingDesk::LookupOutcome found =
                d.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber, book, now);
            if (found.ok && !found.rows.isEmpty() &&
                d.queueItem(LendingDesk::Book, found.rows.first()).status ==
                    LendingDesk::QueueOutcome::Queued)
                done = d.lend(now, false).status == LendingDesk::LendOutcome::Lent;
        }
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        (done ? lent : refused)++;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("desk: %ld lent, %ld refused (reader or copy) in %d s; one lending p50 %.1f ms, "
                "p99 %.1f ms, max %.1f ms\n",
                lent, refused, seconds, percentile(latencies, 50), percentile(latencies, 99),
                latencies.empty() ? 0.0 : latencies.back());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--desk")))
        return desk(args);
    const QString database = option(args, QStringLiteral("--database"));
    const int port = option(args, QStringLiteral("--port")).toInt();
    if (database.isEmpty() || port <= 0) {
        std::fprintf(stderr, "usage: web_load_bench --port N --database LIBRARY.db [--clients 50] "
                             "[--seconds 30] [--min-chars N] [--host 127.0.0.1]\n"
                             "       web_load_bench --desk LIBRARY.db [--seconds 30] "
                             "[--pause-ms 100]\n");
        return 2;
    }
    const int clients = option(args, QStringLiteral("--clients"), QStringLiteral("50")).toInt();
    const int seconds = option(args, QStringLiteral("--seconds"), QStringLiteral("30")).toInt();
    const std::string host =
        option(args, QStringLiteral("--host"), QStringLiteral("127.0.0.1")).toStdString();
    if (!openLibrary(database))
        return 1;
    const int minChars = option(args, QStringLiteral("--min-chars"), QStringLiteral("1")).toInt();
    const std::vector<std::string> paths = sampleTexts(400, minChars);
    SharedConnection::close();
    if (paths.empty()) {
        std::fprintf(stderr, "no books to search for in %s\n", qPrintable(database));
        return 1;
    }

    Totals totals;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back(client, host, port, std::cref(paths), end, unsigned(i + 1),
                             std::ref(totals));
    for (std::thread &t : threads)
        t.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(totals.latenciesMs.begin(), totals.latenciesMs.end());
    std::printf("%d clients, %.1f s, %zu search texts: %ld searches answered 200, %ld failed, "
                "%ld connections\n",
                clients, elapsed, paths.size(), totals.ok, totals.failed, totals.reconnects);
    std::printf("%.0f searches/s; latency p50 %.1f ms, p90 %.1f ms, p99 %.1f ms, max %.1f ms\n",
                double(totals.ok) / elapsed, percentile(totals.latenciesMs, 50),
                percentile(totals.latenciesMs, 90), percentile(totals.latenciesMs, 99),
                totals.latenciesMs.empty() ? 0.0 : totals.latenciesMs.back());
    return totals.failed == 0 ? 0 : 1;
}
