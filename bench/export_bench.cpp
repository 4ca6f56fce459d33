// Times the spreadsheet export of 100,000 loan records (all 25 columns of 借出记录).
//
//   export_bench [DATABASE] [--keep FILE.xlsx]
//
// With the path of a database made by generate_bench its first 100,000 loans are exported;
// without, a library with 100,000 loans is generated into a temporary file first. The file is
// then read back row by row through SheetReader, as the imports read it; --keep leaves a copy
// of it (for sheet_bench).
#include "BenchDatabase.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "demo/LibraryGenerator.h"
#include "export/SheetExport.h"
#include "import/SheetReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kRows = 100000;

bool prepare(const QString &path, QString *error)
{
    LibraryGenerator::Size size;
    size.books = 20000;
    size.readers = 5000;
    size.loans = kRows;
    size.periodicals = 1000;
    return createGeneratedLibrary(path, size, error);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString error;
    QStringList arguments = app.arguments().mid(1);
    QString keep;
    const int keepAt = arguments.indexOf(QStringLiteral("--keep"));
    if (keepAt >= 0) {
        keep = arguments.value(keepAt + 1);
        arguments.remove(keepAt, qMin(2, int(arguments.size()) - keepAt));
    }
    QString database = arguments.value(0);
    if (database.isEmpty()) {
        database = dir.filePath(QStringLiteral("book.db"));
        std::printf("generating %d loans into %s\n", kRows, qPrintable(database));
        if (!prepare(database, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    } else if (!SharedConnection::open(ConnectionString::forFile(database), SqlDialect::Embedded,
                                       &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QString target = dir.filePath(QStringLiteral("借出记录.xlsx"));

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    QSqlQuery query =
        Statement(QStringLiteral("select * from 借出记录 where id <= ? order by id"), {kRows})
            .exec();
    const SheetExport::Result result = SheetExport::writeQuery(query, 0, -1, target);
    const qint64 exportMs = timer.elapsed();
    const double exportCpu = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
        return 1;
    }
    std::printf("export  %d rows x %d columns: %.2f s (cpu %.2f s), file %.1f MB\n", result.rows,
                query.record().count(), exportMs / 1000.0, exportCpu,
                QFileInfo(target).size() / 1048576.0);

    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(target, keep);
    }

    timer.restart();
    const std::clock_t readCpu = std::clock();
    SheetReader reader;
    if (!reader.open(target, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    int rows = 1;
    int row = 0;
    QStringList cells;
    while (reader.next(&row, &cells))
        ++rows;
    if (!reader.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(reader.error()));
        return 1;
    }
    std::printf("read back %d rows x %d columns: %.2f s (cpu %.2f s)\n", rows, reader.columnCount(),
                timer.elapsed() / 1000.0, double(std::clock() - readCpu) / CLOCKS_PER_SEC);
    return rows == result.rows + 1 && reader.rowCount() == rows ? 0 : 1;
}
