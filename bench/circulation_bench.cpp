// Times the circulation desk on a large library, database time of each step as the windows
// and tsgl circulation run it: the reader lookup (reader row and category), the item lookup
// (lapse of old reservations, the select by barcode), one lending entry (queued after its
// checks, lent in one transaction), the return search by reader, one return (loan, item and
// reader in one transaction); then tsgl circulation over a file of 10,000 lines.
//
//   circulation_bench COPY_OF_A_LIBRARY.db [--runs N] [--lines N]
//
// The library is written to (loans, returns, the upgrade at its first opening): give it a
// copy (cp /tmp/big.db /tmp/circ-big.db). The tsgl program beside the bench folder is run
// with a de.ini in a temporary folder naming that copy.
#include "BenchTiming.h"
#include "admin/LoginService.h"
#include "app/Startup.h"
#include "circulation/Lending.h"
#include "circulation/Returning.h"
#include "circulation/ScanLookup.h"
#include "db/ConnectionString.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

struct Pair {
    QString reader;  // 读者编号
    QString barcode; // of a book with a copy on the shelf, no level, not reserved
};

// Readers who may borrow (正常, valid, nothing out, so no level limit refuses them) and books
// with a spare copy on the shelf, spread over the library; one pair per lending.
QVector<Pair> samples(int count, const QDate &today)
{
    QSqlQuery readers =
        Statement(QStringLiteral("select 读者编号 from 读者库 where 状态='正常' and 未还数量=0 and "
                                 "(有效期 is null or 有效期>="))
            .value(sqlDate(today))
            .text(QStringLiteral(") limit "))
            .value(count)
            .exec();
    QSqlQuery books =
        Statement(QStringLiteral("select 条形码 from 图书 where rowid % 31 = 0 and "
                                 "数量>1 and 状态='正常' and 预定状况 is null and "
                                 "条形码 is not null and 条形码<>'n' and (select count(*) from "
                                 "图书 b where b.条形码=图书.条形码)=1 limit "))
            .value(count)
            .exec();
    QVector<Pair> out;
    while (readers.next() && books.next())
        out.append({readers.value(0).toString(), books.value(0).toString()});
    return out;
}

// The median of the times one part of each run took (the part the step measures itself).
void report(const char *what, QVector<double> times)
{
    if (times.isEmpty())
        return;
    std::sort(times.begin(), times.end());
    std::printf("%-52s %8.2f ms  (min %.2f, max %.2f)\n", what, times[times.size() / 2],
                times.first(), times.last());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    readRunsOption(args);
    const int linesAt = args.indexOf(QStringLiteral("--lines"));
    const int lineCount = linesAt > 0 ? std::max(2, args.value(linesAt + 1).toInt()) : 10000;
    const QString database = args.value(1);
    if (database.isEmpty() || database.startsWith(QLatin1Char('-')) ||
        !QFileInfo::exists(database)) {
        std::fprintf(stderr, "usage: circulation_bench COPY_OF_A_LIBRARY.db [--runs N] "
                             "[--lines N]\n");
        return 1;
    }
    LoginContext &context = loginContext();
    context.dialect = SqlDialect::Embedded;
    context.connectionString = ConnectionString::forFile(QFileInfo(database).absoluteFilePath());
    QString error;
    {
        QElapsedTimer t;
        t.start();
        QStringList notes;
        if (Startup::open(context, &error, &notes) != Startup::Connection::Open) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("%-52s %8.1f ms\n", "opening with the start-up upgrade",
                    t.nsecsElapsed() / 1e6);
    }
    LoginService login(context);
    login.readSettings();
    context.adminName = QStringLiteral("bench");
    // Reservations on, so that every item lookup lapses the old ones first, as at a desk
    // that uses them.
    context.reservationEnabled = true;
    std::printf(
        "books %s, readers %s, loans %s; rent %d, fines %d, reservations on\n",
        qPrintable(Statement(QStringLiteral("select count(*) from 图书")).scalar().toString()),
        qPrintable(Statement(QStringLiteral("select count(*) from 读者库")).scalar().toString()),
        qPrintable(Statement(QStringLiteral("select count(*) from 借出记录")).scalar().toString()),
        context.rentEnabled, context.overdueFineEnabled);

    const QVector<Pair> pairs = samples(benchRuns * 4 + lineCount / 2, QDate::currentDate());
    if (pairs.size() < benchRuns * 2) {
        std::fprintf(stderr, "not enough readers and books to lend\n");
        return 1;
    }
    std::printf("%lld readers and books to lend\n", static_cast<long long>(pairs.size()));
    const QDateTime now = QDateTime::currentDateTime();
    int next = 0;
    LendingDesk desk;
    timed("reader lookup (reader, category)",
          [&] { desk.acceptReader(pairs[next++ % pairs.size()].reader, now.date()); });
    timed("item lookup: lapse, by 条形码 (desk)", [&] {
        desk.lookUpItems(LendingDesk::Book, LendingDesk::ByBarcode,
                         pairs[next++ % pairs.size()].barcode, now);
    });
    timed("item lookup: 条形码 then 编号 (command line)", [&] {
        ScanLookup::Item item;
        QString message;
        ScanLookup::item(pairs[next++ % pairs.size()].barcode, &item, &message);
    });
    plan("the lapse of old reservations",
         Statement(QStringLiteral("update 图书 set 预定状况=null, 预定到期时间=null where "
                                  "预定到期时间<"))
             .value(sqlDateTime(now)));

    // Lending: the reader accepted and the item found beforehand, as at the desk; timed is
    // the queueing with its checks and the lending transaction.
    QVector<Pair> lent;
    QVector<double> lendTimes;
    int failures = 0;
    for (int run = 0; run < benchRuns; ++run) {
        const Pair &p = pairs[next++ % pairs.size()];
        LendingDesk d;
        d.acceptReader(p.reader, now.date());
        const LendingDesk::LookupOutcome found =
            d.lookUpItems(LendingDesk::Book, LendingDesk::ByBarcode, p.barcode, now);
        QElapsedTimer t;
        t.start();
        if (!found.ok ||
            d.queueItem(LendingDesk::Book, found.rows.first()).status !=
                LendingDesk::QueueOutcome::Queued ||
            d.lend(now, false).status != LendingDesk::LendOutcome::Lent) {
            ++failures;
            continue;
        }
        lendTimes << t.nsecsElapsed() / 1e6;
        lent << p;
    }
    report("one lending entry (checks, one transaction)", lendTimes);
    QList<Returning::Loan> loans;
    timed("return search by reader", [&] {
        Returning::Conditions c;
        c.readerNumber =
            lent.isEmpty() ? pairs.first().reader : lent[loans.size() % lent.size()].reader;
        const Returning::SearchResult r = Returning::search(c);
        for (const Returning::Loan &l : r.loans) {
            if (l.lentOn.date() == now.date()) {
                loans << l;
                break;
            }
        }
    });
    int returnIndex = 0;
    timed("one return (loan, item, reader in one transaction)", [&] {
        if (returnIndex >= loans.size()) {
            ++failures;
            return;
        }
        Returning::ReturnRequest request;
        request.loanId = loans[returnIndex++].id;
        if (!Returning::returnLoan(request, now.date()).ok)
            ++failures;
    });
    if (failures)
        std::printf("  (%d steps refused)\n", failures);

    // tsgl circulation over a file: lendings and, after them, the returns of the same items.
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("de.ini")));
    ini.write(QStringLiteral("part1"), {{QStringLiteral("abc"), QStringLiteral("a")},
                                        {QStringLiteral("csaccess"), context.connectionString}});
    QFile file(dir.filePath(QStringLiteral("ops.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const int half = lineCount / 2;
    for (int i = 0; i < half; ++i) {
        const Pair &p = pairs[(next + i) % pairs.size()];
        file.write(QStringLiteral("lend\t%1\t%2\n").arg(p.reader, p.barcode).toUtf8());
    }
    for (int i = 0; i < lineCount - half; ++i) {
        const Pair &p = pairs[(next + i) % pairs.size()];
        file.write(QStringLiteral("return\t%1\t%2\n").arg(p.barcode, p.reader).toUtf8());
    }
    file.close();
    // Reservations as the library's settings say for the command.
    SharedConnection::close();
    QProcess tsgl;
    tsgl.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer t;
    t.start();
    tsgl.start(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../tsgl")),
        {QStringLiteral("--config"), ini.path(), QStringLiteral("circulation"), file.fileName()});
    if (!tsgl.waitForFinished(-1)) {
        std::fprintf(stderr, "tsgl: %s\n", qPrintable(tsgl.errorString()));
        return 1;
    }
    const double seconds = t.nsecsElapsed() / 1e9;
    // The processor time of tsgl: on a busy machine the elapsed time is mostly waiting for a
    // core.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const QByteArray out = tsgl.readAllStandardOutput();
    std::printf("tsgl circulation, %d lines: %.1f s (%.2f ms a line; processor %.1f s, %.2f ms a "
                "line), exit %d, %lld OK, %lld refused\n",
                lineCount, seconds, seconds * 1000 / lineCount, cpu, cpu * 1000 / lineCount,
                tsgl.exitCode(), static_cast<long long>(out.count(" OK ")),
                static_cast<long long>(out.count("拒绝")));
    std::printf("  %s", tsgl.readAllStandardError().constData());
    // The first refusals, to see why.
    int shown = 0;
    for (const QByteArray &line : out.split('\n')) {
        if (line.contains("拒绝") && shown++ < 3)
            std::printf("  %s\n", line.constData());
    }
    return 0;
}
