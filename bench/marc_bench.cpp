// Times the MARC import of a 100,000-record file into a fresh library, through the same code
// as the 马克marc数据导入 window and `tsgl import marc` (MarcReader, MarcBook, MarcImport with
// the import batch: bound values, transactions of 1,000 rows, a savepoint per row).
//
//   marc_bench [--records N] [--server HOST:PORT:USER]
//
// The file is made first: CNMARC records in GBK, one after the other without line breaks, with
// the fields the import reads (010, 200, 210, 215, 330, 606, 690) and varied texts. It is read
// once on its own (the reading's share), then read and imported into a new SQLite library, and
// with --server also into a new PostgreSQL database.
#include "BenchDatabase.h"
#include "db/Schema.h"
#include "import/MarcImport.h"
#include "import/MarcReader.h"
#include "text/Gbk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

QByteArray record(const QVector<QPair<const char *, QString>> &fields)
{
    QByteArray directory;
    QByteArray data;
    for (const auto &f : fields) {
        QString text = f.second;
        text.replace(QLatin1Char('$'), QChar(0x1F));
        QByteArray bytes = Gbk::encode(text);
        bytes.append('\x1E');
        directory += QByteArray(f.first) + QByteArray::number(bytes.size()).rightJustified(4, '0') +
                     QByteArray::number(data.size()).rightJustified(5, '0');
        data += bytes;
    }
    directory.append('\x1E');
    const int base = 24 + directory.size();
    return QByteArray::number(base + data.size() + 1).rightJustified(5, '0') + "nam  22" +
           QByteArray::number(base).rightJustified(5, '0') + "   4500" + directory + data + '\x1D';
}

QByteArray makeFile(int records)
{
    const QStringList words{
        QStringLiteral("数据库"), QStringLiteral("系统"), QStringLiteral("原理"),
        QStringLiteral("中国"),   QStringLiteral("历史"), QStringLiteral("文学"),
        QStringLiteral("算法"),   QStringLiteral("设计"), QStringLiteral("教程")};
    const QStringList publishers{QStringLiteral("清华大学出版社"), QStringLiteral("人民文学出版社"),
                                 QStringLiteral("高等教育出版社"), QStringLiteral("中华书局")};
    QByteArray file;
    for (int i = 0; i < records; ++i) {
        const QString title =
            words[i % 9] + words[(i / 9) % 9] + words[(i / 81) % 9] + QString::number(i);
        file += record(
            {{"001", QStringLiteral("CN%1").arg(i, 8, 10, QLatin1Char('0'))},
             {"010", QStringLiteral("  $a978-7-%1-%2$dCNY%3.%4")
                         .arg(i % 900 + 100)
                         .arg(i, 6, 10, QLatin1Char('0'))
                         .arg(10 + i % 90)
                         .arg(i % 100, 2, 10, QLatin1Char('0'))},
             {"200", QStringLiteral("1 $a%1$f%2著").arg(title, words[(i / 7) % 9])},
             {"210", QStringLiteral("  $a北京$c%1$d%2.%3")
                         .arg(publishers[i % 4])
                         .arg(1990 + i % 35)
                         .arg(1 + i % 12)},
             {"215", QStringLiteral("  $a%1页$c图$d26cm").arg(100 + i % 700)},
             {"330", QStringLiteral("  $a本书介绍%1的基本内容，适合大学生阅读。").arg(title)},
             {"606", QStringLiteral("0 $a%1$x教材").arg(words[i % 9])},
             {"690", QStringLiteral("  $aTP%1.%2$v4").arg(300 + i % 20).arg(i % 10)}});
    }
    return file;
}

struct Read {
    QVector<MarcBook> books;
    int problems = 0;
};

Read readBooks(const QString &path)
{
    Read read;
    const MarcReadResult result = MarcReader::readFile(path);
    read.problems = result.problems.size();
    read.books.reserve(result.records.size());
    for (const MarcRecord &r : result.records)
        read.books.append(MarcBook::fromRecord(r));
    return read;
}

bool importInto(const QString &label, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    const Read read = readBooks(path);
    const double readSeconds = timer.elapsed() / 1000.0;
    const ImportSummary summary =
        MarcImport::run(read.books, 100000000, SharedConnection::database(),
                        ImportContext{QDate::currentDate(), QStringLiteral("bench")}, {});
    const double seconds = timer.elapsed() / 1000.0;
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::printf("%-10s imported %d, failed %d, skipped %d: %.2f s (reading %.2f s), %.0f "
                "records/s (cpu %.2f s, %.0f records/s of cpu)\n",
                qPrintable(label), summary.imported, summary.failed, read.problems, seconds,
                readSeconds, summary.imported / seconds, cpuSeconds, summary.imported / cpuSeconds);
    if (!summary.databaseError.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(summary.databaseError));
    return summary.failed == 0 && read.problems == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int records = 100000;
    QString server;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--records"))
            records = args.value(++i).toInt();
        else if (args[i] == QLatin1String("--server"))
            server = args.value(++i);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("书目.iso"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(makeFile(records)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("MARC file: %d records, %.1f MB\n", records, QFileInfo(path).size() / 1048576.0);

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    const Read read = readBooks(path);
    std::printf("reading   %d records, %d skipped: %.2f s, %.0f records/s (cpu %.2f s)\n",
                int(read.books.size()), read.problems, timer.elapsed() / 1000.0,
                read.books.size() / (timer.elapsed() / 1000.0),
                double(std::clock() - cpu) / CLOCKS_PER_SEC);

    QString error;
    const QString db = dir.filePath(QStringLiteral("library.db"));
    if (!DatabaseSetup::createEmbedded(db, &error) ||
        !SharedConnection::open(ConnectionString::forFile(db), SqlDialect::Embedded, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    bool ok = importInto(QStringLiteral("SQLite"), path);
    SharedConnection::close();

    if (!server.isEmpty()) {
        bool fresh = false;
        const QString name =
            QStringLiteral("tsgl_marc_bench_%1").arg(QDateTime::currentSecsSinceEpoch());
        if (!openServerDatabase(server, name, &fresh, &error) ||
            (fresh && !Schema::create(SharedConnection::database(), SqlDialect::Server, &error))) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        ok = importInto(QStringLiteral("PostgreSQL"), path) && ok;
        SharedConnection::close();
    }
    return ok ? 0 : 1;
}
