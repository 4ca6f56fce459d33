// Creates a new library database file filled with a large generated library and prints how
// long each phase took and how big the file became.
//
//   generate_bench PATH [--books N] [--readers N] [--loans N] [--periodicals N] [--seed N]
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/SharedConnection.h"
#include "demo/LibraryGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <cstdio>
#include <ctime>

namespace {

void usage()
{
    std::fprintf(stderr, "usage: generate_bench PATH [--books N] [--readers N] [--loans N] "
                         "[--periodicals N] [--seed N]\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    LibraryGenerator::Size size;
    LibraryGenerator::Options options;
    options.bulkLoad = true;
    QString path;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (!a.startsWith(QLatin1String("--"))) {
            path = a;
            continue;
        }
        bool ok = false;
        const qlonglong n = args.isEmpty() ? -1 : args.takeFirst().toLongLong(&ok);
        if (!ok || n < 0) {
            usage();
            return 2;
        }
        if (a == QLatin1String("--books"))
            size.books = static_cast<int>(n);
        else if (a == QLatin1String("--readers"))
            size.readers = static_cast<int>(n);
        else if (a == QLatin1String("--loans"))
            size.loans = static_cast<int>(n);
        else if (a == QLatin1String("--periodicals"))
            size.periodicals = static_cast<int>(n);
        else if (a == QLatin1String("--seed"))
            options.seed = static_cast<quint64>(n);
        else {
            usage();
            return 2;
        }
    }
    if (path.isEmpty()) {
        usage();
        return 2;
    }
    if (QFileInfo::exists(path)) {
        std::fprintf(stderr, "文件已经存在，请换一个名字：%s\n", qPrintable(path));
        return 1;
    }
    std::printf("books %d, readers %d, loans %d, periodicals %d -> %s\n", size.books, size.readers,
                size.loans, size.periodicals, qPrintable(path));
    QElapsedTimer total;
    total.start();
    QString error;
    if (!DatabaseSetup::createEmbedded(path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%-12s %10s %10.1f s\n", "create", "", total.elapsed() / 1000.0);
    const QString name = QStringLiteral("generate-bench");
    bool ok = false;
    {
        if (!SharedConnection::openNamed(name, ConnectionString::forFile(path),
                                         SqlDialect::Embedded, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        QSqlDatabase db = QSqlDatabase::database(name, false);
        LibraryGenerator generator(db, options);
        // Processor time is printed beside the elapsed time: on a machine that is busy with
        // other work the elapsed time says little.
        std::clock_t cpu = std::clock();
        generator.setPhaseReport([&cpu](const QString &phase, qint64 rows, qint64 msecs) {
            const std::clock_t now = std::clock();
            std::printf("%-12s %10lld %10.1f s  (cpu %.1f s)\n", phase.toUtf8().constData(),
                        static_cast<long long>(rows), msecs / 1000.0,
                        double(now - cpu) / CLOCKS_PER_SEC);
            std::fflush(stdout);
            cpu = now;
        });
        ok = generator.generate(size, &error);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("total %.1f s (cpu %.1f s), file %.1f MB\n", total.elapsed() / 1000.0,
                double(std::clock()) / CLOCKS_PER_SEC, QFileInfo(path).size() / 1048576.0);
    return 0;
}
