// The MARC import into 图书: numbering from the start value, the columns a record gives and the
// fixed ones, quotes stored as they are, a refused record listed, and tsgl import marc.
#include "MarcBytes.h"
#include "TestDb.h"

#include "app/CommandLine.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "import/MarcImport.h"
#include "import/MarcReader.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

namespace {

QVector<MarcBook> booksOf(const QByteArray &file)
{
    QVector<MarcBook> books;
    for (const MarcRecord &r : MarcReader::read(file).records)
        books.append(MarcBook::fromRecord(r));
    return books;
}

QStringList numbers()
{
    QStringList out;
    QSqlQuery q(SharedConnection::database());
    q.exec(QStringLiteral("select 编号 from 图书 order by 编号"));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QVariant column(const QString &number, const QString &name)
{
    return Statement(QStringLiteral("select %1 from 图书 where 编号=").arg(name))
        .value(number)
        .scalar();
}

const ImportContext kContext{QDate(2026, 12, 10), QStringLiteral("管理员甲")};

} // namespace

class MarcImportTest : public QObject {
    Q_OBJECT

private slots:
    // With start value 100, three records get 编号 101, 102 and 103, and every column gets the
    // record's value or the fixed one of a new book.
    void importsRecords()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        const QVector<MarcBook> books =
            booksOf(cnmarcBook(QStringLiteral("数据库原理"), QStringLiteral("978-7-302")) +
                    cnmarcBook(QStringLiteral("第二本")) + cnmarcBook(QStringLiteral("第三本")));
        QCOMPARE(books.size(), 3);
        const ImportSummary summary =
            MarcImport::run(books, 100, SharedConnection::database(), kContext, {});
        QCOMPARE(summary.imported, 3);
        QCOMPARE(summary.failed, 0);
        QCOMPARE(numbers(), QStringList({QStringLiteral("101"), QStringLiteral("102"),
                                         QStringLiteral("103")}));
        const QString n = QStringLiteral("101");
        QCOMPARE(column(n, QStringLiteral("名称")).toString(), QStringLiteral("数据库原理"));
        QCOMPARE(column(n, QStringLiteral("作者")).toString(), QStringLiteral("张三著"));
        QCOMPARE(column(n, QStringLiteral("isbn")).toString(), QStringLiteral("978-7-302"));
        QCOMPARE(column(n, QStringLiteral("条形码")).toString(), QStringLiteral("978-7-302"));
        QCOMPARE(Money::fromVariant(column(n, QStringLiteral("价格"))).toString(),
                 QStringLiteral("25"));
        QCOMPARE(column(n, QStringLiteral("出版社")).toString(), QStringLiteral("清华大学出版社"));
        QCOMPARE(column(n, QStringLiteral("出版时间")).toString(), QStringLiteral("2008.10"));
        QCOMPARE(column(n, QStringLiteral("页数")).toInt(), 356);
        QCOMPARE(column(n, QStringLiteral("附件")).toString(), QStringLiteral("光盘1张"));
        QCOMPARE(column(n, QStringLiteral("分类号")).toString(), QStringLiteral("TP311.13"));
        QCOMPARE(column(n, QStringLiteral("分类")).toString(), QStringLiteral("数据库系统"));
        QCOMPARE(column(n, QStringLiteral("简介")).toString(),
                 QStringLiteral("本书介绍数据库的原理。"));
        QCOMPARE(column(n, QStringLiteral("数量")).toInt(), 1);
        QCOMPARE(column(n, QStringLiteral("借出次数")).toInt(), 0);
        QCOMPARE(column(n, QStringLiteral("zch")).toInt(), 0);
        QCOMPARE(column(n, QStringLiteral("状态")).toString(), QStringLiteral("正常"));
        QCOMPARE(column(n, QStringLiteral("物品级别")).toString(), QStringLiteral("普通"));
        QCOMPARE(column(n, QStringLiteral("登记人")).toString(), QStringLiteral("管理员甲"));
        QCOMPARE(dateFromSql(column(n, QStringLiteral("入库时间"))), QDate(2026, 12, 10));
        for (const char *empty : {"二级分类", "存放位置", "索书号", "译者", "版次", "py", "币种",
                                  "密级", "来源", "捐赠人", "图片地址", "绝对地址"}) {
            const QVariant v = column(n, QString::fromUtf8(empty));
            QVERIFY2(!v.isNull() && v.toString().isEmpty(), empty);
        }
        // A record without 010: no ISBN, no barcode, price 0.
        QCOMPARE(column(QStringLiteral("102"), QStringLiteral("isbn")).toString(), QString());
        QCOMPARE(Money::fromVariant(column(QStringLiteral("102"), QStringLiteral("价格"))),
                 Money());
    }

    // Quotes in every text the record gives are stored as they are, and a price without its
    // decimals (CNY25) is stored as 0.
    void quotesAndPrice()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        const QString q = QStringLiteral("O'Brien \"书\"");
        const QByteArray record =
            marcRecord({{QStringLiteral("010"), QStringLiteral("  $a7'1\"$dCNY25")},
                        {QStringLiteral("200"), QStringLiteral("1 $a%1$f%1").arg(q)},
                        {QStringLiteral("210"), QStringLiteral("  $c%1$d19'9\"").arg(q)},
                        {QStringLiteral("215"), QStringLiteral("  $a12页$e%1").arg(q)},
                        {QStringLiteral("330"), QStringLiteral("  $a%1").arg(q)},
                        {QStringLiteral("606"), QStringLiteral("  $a%1").arg(q)},
                        {QStringLiteral("690"), QStringLiteral("  $a%1").arg(q)}});
        const ImportSummary summary =
            MarcImport::run(booksOf(record), 0, SharedConnection::database(), kContext, {});
        QCOMPARE(summary.imported, 1);
        const QString n = QStringLiteral("1");
        for (const char *c : {"名称", "作者", "出版社", "附件", "简介", "分类", "分类号"})
            QCOMPARE(column(n, QString::fromUtf8(c)).toString(), q);
        QCOMPARE(column(n, QStringLiteral("isbn")).toString(), QStringLiteral("7'1\""));
        QCOMPARE(column(n, QStringLiteral("出版时间")).toString(), QStringLiteral("19'9\""));
        QCOMPARE(Money::fromVariant(column(n, QStringLiteral("价格"))), Money());
    }

    // A record whose 编号 is taken is refused and listed by its index (from 0), ISBN and title
    // with its statement; the records after it are imported.
    void refusedDuplicateListed()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        QVERIFY(Statement::insert(QStringLiteral("图书"),
                                  {QStringLiteral("编号"), QStringLiteral("名称")},
                                  {QStringLiteral("102"), QStringLiteral("已有的书")})
                    .run());
        const QVector<MarcBook> books =
            booksOf(cnmarcBook(QStringLiteral("甲"), QStringLiteral("7-1")) +
                    cnmarcBook(QStringLiteral("乙"), QStringLiteral("7-2")) +
                    cnmarcBook(QStringLiteral("丙"), QStringLiteral("7-3")));
        QVector<FailedRow> failed;
        MarcImport::Callbacks callbacks;
        callbacks.failed = [&failed](const FailedRow &row) { failed.append(row); };
        const ImportSummary summary =
            MarcImport::run(books, 100, SharedConnection::database(), kContext, callbacks, 2);
        QCOMPARE(summary.imported, 2);
        QCOMPARE(summary.failed, 1);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().resultLine(), QStringLiteral("1 7-2 乙"));
        QVERIFY(failed.first().statement.startsWith(QStringLiteral("insert into 图书")));
        QVERIFY(failed.first().statement.contains(QStringLiteral("'102'")));
        QVERIFY(!failed.first().reason.isEmpty());
        QCOMPARE(column(QStringLiteral("102"), QStringLiteral("名称")).toString(),
                 QStringLiteral("已有的书"));
        QCOMPARE(column(QStringLiteral("103"), QStringLiteral("名称")).toString(),
                 QStringLiteral("丙"));
        QStringList lines = ImportTexts::finalLines(summary);
        QCOMPARE(lines,
                 QStringList({QStringLiteral("成功导入了2行"), QStringLiteral("导入失败了1行")}));
    }

    void startValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("number") << QStringLiteral("100") << true << 100;
        QTest::newRow("blanks around") << QStringLiteral(" 7 ") << true << 7;
        QTest::newRow("negative") << QStringLiteral("-5") << true << -5;
        QTest::newRow("largest") << QStringLiteral("2147483647") << true << 2147483647;
        QTest::newRow("beyond 32 bits") << QStringLiteral("2147483648") << false << 0;
        QTest::newRow("decimal") << QStringLiteral("1.5") << false << 0;
        QTest::newRow("letters") << QStringLiteral("abc") << false << 0;
        QTest::newRow("empty") << QString() << false << 0;
    }
    void startValue()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        qint32 start = 0;
        QCOMPARE(MarcImport::parseStart(text, &start), ok);
        if (ok)
            QCOMPARE(start, value);
    }

    // The last record of a start value at the top of 32 bits is numbered beyond it, exactly.
    void largestStartValue()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        const ImportSummary summary =
            MarcImport::run(booksOf(cnmarcBook(QStringLiteral("甲"))), 2147483647,
                            SharedConnection::database(), kContext, {});
        QCOMPARE(summary.imported, 1);
        QCOMPARE(numbers(), QStringList{QStringLiteral("2147483648")});
    }

    void defaultStart()
    {
        QCOMPARE(MarcImport::defaultStart(QDateTime(QDate(2026, 6, 3), QTime(7, 15, 42))),
                 QStringLiteral("4263"));
        QCOMPARE(MarcImport::defaultStart(QDateTime(QDate(2026, 12, 25), QTime(7, 15, 5))),
                 QStringLiteral("051225"));
    }

    void command_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("outLines");
        QTest::addColumn<QString>("errText");
        const QByteArray three = cnmarcBook(QStringLiteral("甲")) +
                                 cnmarcBook(QStringLiteral("乙")) +
                                 cnmarcBook(QStringLiteral("丙"));
        QTest::newRow("three records")
            << three << QStringLiteral("100") << 0
            << QStringList{QStringLiteral("已导入:3"), QStringLiteral("成功导入了3行"),
                           QStringLiteral("导入失败了0行"), QStringLiteral("完成!")}
            << QString();
        QTest::newRow("a broken record")
            << cnmarcBook(QStringLiteral("甲")) + QByteArray("00024nam  xx\x1D") +
                   cnmarcBook(QStringLiteral("乙"))
            << QStringLiteral("100") << 1
            << QStringList{QStringLiteral("已导入:2"), QStringLiteral("成功导入了2行")}
            << QStringLiteral("第2条记录");
        QTest::newRow("start not a number") << three << QStringLiteral("1x") << 2 << QStringList()
                                            << QStringLiteral("请输入合法的数字！");
        QTest::newRow("nothing readable")
            << QByteArray("no MARC at all") << QStringLiteral("1") << 1
            << QStringList{QStringLiteral("已导入:0"), QStringLiteral("成功导入了0行")}
            << QStringLiteral("第1条记录");
    }
    void command()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, start);
        QFETCH(int, exitCode);
        QFETCH(QStringList, outLines);
        QFETCH(QString, errText);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("books.iso")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        CommandLine::commandOptions().start = start;
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(MarcImport::runCommand(f.fileName(), outStream, errStream), exitCode);
        CommandLine::commandOptions().start.clear();
        const QStringList lines = out.split(QLatin1Char('\n'));
        for (const QString &line : outLines)
            QVERIFY2(lines.contains(line), qPrintable(out));
        QVERIFY2(err.contains(errText), qPrintable(err));
    }

    void commandWithoutFile()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(
            MarcImport::runCommand(QStringLiteral("/nonexistent/无.iso"), outStream, errStream), 2);
        QVERIFY2(err.contains(QStringLiteral("打开文件失败！")), qPrintable(err));
        QVERIFY(numbers().isEmpty());
    }
};

QTEST_GUILESS_MAIN(MarcImportTest)
#include "marc_import_dbtest.moc"
