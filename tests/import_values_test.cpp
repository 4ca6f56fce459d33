// How the spreadsheet imports read a cell's text as a number, an amount, a date or a page
// count, and how the numbering options number the rows.
#include "import/ImportLoop.h"
#include "import/ImportNumbering.h"
#include "import/ImportValues.h"

#include <QtTest>

class ImportValuesTest : public QObject {
    Q_OBJECT

private slots:
    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("whole") << "12" << 12;
        QTest::newRow("blanks around") << " 3 " << 3;
        QTest::newRow("negative") << "-4" << -4;
        QTest::newRow("fraction") << "2.5" << 99;
        QTest::newRow("letters") << "abc" << 99;
        QTest::newRow("empty") << "" << 99;
        QTest::newRow("beyond an integer column") << "99999999999" << 99;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(ImportValues::integerOr(text, 99), expected);
    }

    void amounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("decimal") << "12.5"
                                 << "12.5";
        QTest::newRow("whole") << "3"
                               << "3";
        QTest::newRow("letters") << "abc"
                                 << "0";
        QTest::newRow("empty") << ""
                               << "0";
    }
    void amounts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(ImportValues::money(text).toString(), expected);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("iso") << "2008-08-08" << QDate(2008, 8, 8);
        QTest::newRow("short") << "2008-8-8" << QDate(2008, 8, 8);
        QTest::newRow("slashes") << "2008/8/9" << QDate(2008, 8, 9);
        QTest::newRow("with time") << "2008/8/9 10:30" << QDate(2008, 8, 9);
        QTest::newRow("with seconds") << "2008-08-09 10:30:15" << QDate(2008, 8, 9);
        QTest::newRow("no such day") << "2008-2-30" << QDate();
        QTest::newRow("no such hour") << "2008-2-3 25:00" << QDate();
        QTest::newRow("mixed separators") << "2008-8/8" << QDate();
        QTest::newRow("text") << "不是日期" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(ImportValues::dateOf(text), expected);
        const QVariant stored = ImportValues::dateOr(text, QDate(2000, 2, 1));
        QCOMPARE(stored.toString(), (expected.isValid() ? expected : QDate(2000, 2, 1))
                                        .toString(QStringLiteral("yyyy-MM-dd")));
    }

    void pages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("pages");
        QTest::newRow("whole") << "356" << true << 356;
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("with 页") << "356页" << true << 356;
        QTest::newRow("with p.") << "356 p." << true << 356;
        QTest::newRow("fraction") << "2.5" << false << 0;
        QTest::newRow("words") << "约三百页" << false << 0;
        QTest::newRow("two counts") << "xii, 356页" << false << 0;
        QTest::newRow("too large") << "99999999999" << false << 0;
    }
    void pages()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, pages);
        bool read = !ok;
        QCOMPARE(ImportValues::pagesOf(text, &read), pages);
        QCOMPARE(read, ok);
    }

    void cellsAreNeverNull()
    {
        // A null text would be written as NULL rather than as the empty text.
        QVERIFY(!ImportValues::cell({}, 3).isNull());
        QVERIFY(!ImportValues::cell({QString()}, 0).isNull());
        QCOMPARE(ImportValues::cell({QStringLiteral("a"), QStringLiteral("b")}, 1),
                 QStringLiteral("b"));
    }

    void numbering_data()
    {
        QTest::addColumn<bool>("random");
        QTest::addColumn<bool>("fromStart");
        QTest::addColumn<qlonglong>("start");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("neither: column 1") << false << false << 0LL << QStringList{"A", "B", "C"};
        QTest::newRow("from 1000")
            << false << true << 1000LL << QStringList{"1000", "1001", "1002"};
        QTest::newRow("random: minute and row")
            << true << false << 0LL << QStringList{"26080815302", "26080815303", "26080815304"};
        QTest::newRow("both: one more than random")
            << true << true << 1000LL << QStringList{"26080815303", "26080815304", "26080815305"};
        // The default start number has ten digits; 32 bits would overflow.
        QTest::newRow("ten-digit start") << false << true << 2608081530LL
                                         << QStringList{"2608081530", "2608081531", "2608081532"};
        QTest::newRow("eighteen digits")
            << false << true << 999999999999999990LL
            << QStringList{"999999999999999990", "999999999999999991", "999999999999999992"};
    }
    void numbering()
    {
        QFETCH(bool, random);
        QFETCH(bool, fromStart);
        QFETCH(qlonglong, start);
        QFETCH(QStringList, expected);
        ImportNumbering numbering(random, fromStart, start);
        const QDateTime minute(QDate(2026, 8, 8), QTime(15, 30, 12));
        const QStringList column1{"A", "B", "C"};
        QStringList numbers;
        for (int row = 2; row <= 4; ++row)
            numbers << numbering.next(row, column1.value(row - 2), minute);
        QCOMPARE(numbers, expected);
    }

    void startNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qlonglong>("start");
        QTest::newRow("digits") << "1000" << true << 1000LL;
        QTest::newRow("blanks around") << " 42 " << true << 42LL;
        QTest::newRow("eighteen digits") << "123456789012345678" << true << 123456789012345678LL;
        QTest::newRow("nineteen digits") << "1234567890123456789" << false << 0LL;
        QTest::newRow("sign") << "-5" << false << 0LL;
        QTest::newRow("letters") << "12a" << false << 0LL;
        QTest::newRow("empty") << "" << false << 0LL;
    }
    void startNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qlonglong, start);
        std::int64_t value = 0;
        QString error;
        QCOMPARE(ImportNumbering::parseStart(text, &value, &error), ok);
        QCOMPARE(qlonglong(value), start);
        QCOMPARE(error.isEmpty(), ok);
    }

    void defaultStartIsTheMinute()
    {
        QCOMPARE(qlonglong(ImportNumbering::defaultStart(
                     QDateTime(QDate(2026, 12, 10), QTime(20, 58, 59)))),
                 2612102058LL);
    }

    void texts()
    {
        QCOMPARE(ImportTexts::rowsLabel(7), QStringLiteral("6条数据(行数)"));
        QCOMPARE(ImportTexts::rowsLabel(0), QStringLiteral("0条数据(行数)"));
        QCOMPARE(ImportTexts::columnsLabel(31), QStringLiteral("31个项目(列数)"));
        QCOMPARE(ImportTexts::elapsedText(3723004), QStringLiteral("时间:1:02:03"));
        ImportSummary summary;
        summary.imported = 4;
        summary.failed = 2;
        QCOMPARE(ImportTexts::finalLines(summary),
                 (QStringList{QStringLiteral("成功导入了4行"), QStringLiteral("导入失败了2行")}));
        FailedRow row;
        row.row = 6;
        row.firstKey = QStringLiteral("9005");
        row.secondKey = QStringLiteral("重复的编号");
        QCOMPARE(row.resultLine(), QStringLiteral("6 9005 重复的编号"));
    }
};

QTEST_GUILESS_MAIN(ImportValuesTest)
#include "import_values_test.moc"
