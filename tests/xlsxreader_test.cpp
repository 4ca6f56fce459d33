// Reading .xlsx files as another spreadsheet program writes them: the sheet that opens first,
// shared and inline texts, numbers, booleans, dates by number format, the used range.
#include "import/XlsxReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class XlsxReaderTest : public QObject {
    Q_OBJECT
private slots:
    void readsTheActiveSheetWithTypes()
    {
        SheetData sheet;
        QString error;
        QVERIFY2(
            XlsxReader::read(QStringLiteral(TSGL_TEST_DATA "/reader-sample.xlsx"), &sheet, &error),
            qPrintable(error));
        QCOMPARE(sheet.name, QStringLiteral("图书"));
        QCOMPARE(sheet.rowCount(), 5);
        QCOMPARE(sheet.columnCount, 6);
        const QVariant empty;
        const QVector<QVariantList> expected = {
            {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("出版时间"),
             QStringLiteral("价格"), empty, empty},
            // Rich text runs are joined, the phonetic guide is left out; a [Red] number format
            // with a quoted word is no date.
            {QStringLiteral("0012"), QStringLiteral("红楼梦 "), QDate(2024, 3, 5), 12.5, true,
             empty},
            // Cells without a reference follow one another; a formula gives its value.
            {QStringLiteral("B-7"), QStringLiteral("B-7x"),
             QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)), qlonglong(3), QStringLiteral("#N/A"),
             empty},
            // Formatted but empty cells hold nothing.
            {empty, empty, empty, empty, empty, empty},
            {empty, empty, QDate(1900, 1, 1), empty, empty, -0.25},
        };
        for (int r = 0; r < expected.size(); ++r) {
            QCOMPARE(sheet.rows[r].size(), 6);
            for (int c = 0; c < 6; ++c) {
                const QVariant actual = sheet.cell(r, c);
                const QByteArray where = QStringLiteral("row %1 column %2: %3")
                                             .arg(r + 1)
                                             .arg(c + 1)
                                             .arg(actual.toString())
                                             .toUtf8();
                QVERIFY2(actual.typeId() == expected[r][c].typeId(), where.constData());
                QVERIFY2(actual == expected[r][c], where.constData());
            }
        }
        QVERIFY(!sheet.cell(7, 0).isValid());
    }

    void serialNumbersAsDates_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("first day") << 1.0 << false << QDateTime(QDate(1900, 1, 1), QTime(0, 0));
        QTest::newRow("before the leap day that never was")
            << 59.0 << false << QDateTime(QDate(1900, 2, 28), QTime(0, 0));
        QTest::newRow("after it") << 61.0 << false << QDateTime(QDate(1900, 3, 1), QTime(0, 0));
        QTest::newRow("noon") << 45356.5 << false << QDateTime(QDate(2024, 3, 5), QTime(12, 0));
        QTest::newRow("rounding to the second")
            << 45356.99999999 << false << QDateTime(QDate(2024, 3, 6), QTime(0, 0));
        QTest::newRow("1904 system") << 0.0 << true << QDateTime(QDate(1904, 1, 1), QTime(0, 0));
        QTest::newRow("negative") << -1.0 << false << QDateTime();
    }

    void serialNumbersAsDates()
    {
        QFETCH(double, serial);
        QFETCH(bool, date1904);
        QFETCH(QDateTime, expected);
        QCOMPARE(XlsxReader::dateFromSerial(serial, date1904), expected);
    }

    void filesThatAreNoWorkbook_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << QByteArray("编号,名称\n1,红楼梦\n")
                              << QStringLiteral("不是 Excel 文件");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("文件不存在");
    }

    void filesThatAreNoWorkbook()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("书目.xlsx"));
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        SheetData sheet;
        sheet.columnCount = 3;
        QString error;
        QVERIFY(!XlsxReader::read(path, &sheet, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(sheet.rowCount(), 0);
        QCOMPARE(sheet.columnCount, 0);
    }
};

QTEST_GUILESS_MAIN(XlsxReaderTest)
#include "xlsxreader_test.moc"
