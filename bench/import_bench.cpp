// Times the book import of a 100,000-row .xlsx workbook into a fresh library, through the same
// row loop as the import window and `tsgl import books` (SheetReader, BookImport, ImportLoop
// with its batched transactions and a savepoint per row).
//
//   import_bench [--rows N] [--workbook PATH] [--server HOST:PORT:USER]
//
// --workbook keeps the workbook at PATH and uses it again on the next run when it is there (its
// rows then count, not --rows): repeated measurements skip making it.
// The workbook is made first: a generated library's books, exported with their 31 import
// columns by the program's own spreadsheet export (numbers and dates as typed cells). Then it
// is read once on its own (the reading's share) and imported into a new SQLite library, and
// with --server also into a new PostgreSQL database.
#include "BenchDatabase.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "export/SheetExport.h"
#include "import/BookImport.h"
#include "import/ImportLoop.h"
#include "import/SheetReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

const char *const kColumns =
    "编号, 条形码, 名称, 分类, 出版社, 作者, 价格, isbn, 数量, 存放位置, 分类号, 简介, 二级分类, "
    "出版时间, 页数, 译者, 版次, 索书号, py, zch, 币种, 物品级别, 借出次数, 登记人, 入库时间, "
    "密级, 附件, 来源, 捐赠人, 图片地址, 绝对地址";

bool makeWorkbook(const QString &dir, int rows, const QString &target, QString *error)
{
    LibraryGenerator::Size size;
    size.books = rows;
    size.readers = 100;
    size.loans = 0;
    size.periodicals = 0;
    if (!createGeneratedLibrary(dir + QStringLiteral("/source.db"), size, error))
        return false;
    QSqlQuery query =
        Statement(QStringLiteral("select %1 from 图书").arg(QString::fromUtf8(kColumns))).exec();
    const SheetExport::Result result = SheetExport::writeQuery(query, 0, -1, target);
    SharedConnection::close();
    if (!result.ok)
        *error = result.error;
    return result.ok;
}

// Reads every row and does nothing with it.
bool readOnly(const QString &path, int *rows, QString *error)
{
    SheetReader reader;
    if (!reader.open(path, error))
        return false;
    int row = 0;
    QStringList cells;
    *rows = 0;
    while (reader.next(&row, &cells))
        ++*rows;
    *error = reader.error();
    return error->isEmpty();
}

bool importInto(const QString &label, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    SheetReader reader;
    QString error;
    if (!reader.open(path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    const qint64 opened = timer.elapsed();
    BookImport books;
    ImportLoop loop(books, ImportNumbering(),
                    ImportContext{QDate::currentDate(), QStringLiteral("bench")});
    const ImportSummary summary = loop.run(reader, SharedConnection::database(), {});
    const double seconds = timer.elapsed() / 1000.0;
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    // The processor time is this program's alone: on a machine shared with other work it tells
    // what the import costs when the elapsed time does not.
    std::printf("%-10s imported %d, failed %d: %.2f s (opening the file %.2f s), %.0f rows/s "
                "(cpu %.2f s, %.0f rows/s of cpu)\n",
                qPrintable(label), summary.imported, summary.failed, seconds, opened / 1000.0,
                summary.imported / seconds, cpuSeconds, summary.imported / cpuSeconds);
    if (!summary.fileError.isEmpty() || !summary.databaseError.isEmpty())
        std::fprintf(stderr, "%s%s\n", qPrintable(summary.fileError),
                     qPrintable(summary.databaseError));
    return summary.failed == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int rows = 100000;
    QString server;
    QString kept;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows"))
            rows = args.value(++i).toInt();
        else if (args[i] == QLatin1String("--server"))
            server = args.value(++i);
        else if (args[i] == QLatin1String("--workbook"))
            kept = args.value(++i);
    }
    QTemporaryDir dir;
    QString error;
    const QString workbook = kept.isEmpty() ? dir.filePath(QStringLiteral("图书.xlsx")) : kept;
    if (QFileInfo::exists(workbook)) {
        std::printf("using the workbook %s\n", qPrintable(workbook));
    } else {
        std::printf("making a workbook of %d books\n", rows);
        if (!makeWorkbook(dir.path(), rows, workbook, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    std::printf("workbook: %.1f MB\n", QFileInfo(workbook).size() / 1048576.0);

    QElapsedTimer timer;
    timer.start();
    const std::clock_t readCpu = std::clock();
    int read = 0;
    if (!readOnly(workbook, &read, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("reading alone: %d rows in %.2f s (cpu %.2f s)\n", read, timer.elapsed() / 1000.0,
                double(std::clock() - readCpu) / CLOCKS_PER_SEC);

    const QString target = dir.filePath(QStringLiteral("book.db"));
    if (!DatabaseSetup::createEmbedded(target, &error) ||
        !SharedConnection::open(ConnectionString::forFile(target), SqlDialect::Embedded, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    bool ok = importInto(QStringLiteral("SQLite"), workbook);
    SharedConnection::close();

    if (!server.isEmpty()) {
        bool fresh = false;
        const QString name = QStringLiteral("tsgl_import_bench");
        if (!openServerDatabase(server, name, &fresh, &error) ||
            (fresh && !Schema::create(SharedConnection::database(), SqlDialect::Server, &error))) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        QSqlQuery(SharedConnection::database()).exec(QStringLiteral("delete from 图书"));
        ok = importInto(QStringLiteral("PostgreSQL"), workbook) && ok;
        SharedConnection::close();
    }
    return ok ? 0 : 1;
}
