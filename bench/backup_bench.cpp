// Backup of a large library: the time of the checked online copy (copy, integrity check and
// row counts of every table) into a folder. The library is only read.
//
//   build/bench/backup_bench LIBRARY.db FOLDER [--keep]
#include "db/Backup.h"
#include "db/ConnectionString.h"
#include "db/SharedConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: backup_bench LIBRARY.db FOLDER [--keep]\n");
        return 2;
    }
    QString error;
    if (!SharedConnection::open(ConnectionString::forFile(args[1]), SqlDialect::Embedded,
                                &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QElapsedTimer t;
    t.start();
    const Backup::Outcome out = Backup::backupTo(args[2], QDateTime::currentDateTime());
    const double seconds = t.nsecsElapsed() / 1e9;
    if (!out.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(out.message));
        return 1;
    }
    qint64 rows = 0;
    for (qint64 n : out.rows)
        rows += n;
    std::printf("backup of %s: %.1f s, %.0f MB, %lld rows in %lld tables\n", qPrintable(args[1]),
                seconds, QFileInfo(out.path).size() / 1e6, static_cast<long long>(rows),
                static_cast<long long>(out.rows.size()));
    if (!args.contains(QStringLiteral("--keep")))
        QFile::remove(out.path);
    SharedConnection::close();
    return 0;
}
