// The sheet writer: how each kind of column turns values into cells, and the fitted widths.
#include "export/XlsxWriter.h"
#include "import/XlsxReader.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace {

// The XML of the file's sheet.
QString sheetXml(const QString &path)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip) ||
        !zip.setCurrentFile(QStringLiteral("xl/worksheets/sheet1.xml")))
        return QString();
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// The column widths the file sets, by column (1-based), read from the sheet's XML.
QMap<int, double> columnWidths(const QString &path)
{
    QMap<int, double> widths;
    const QString xml = sheetXml(path);
    static const QRegularExpression col(
        QStringLiteral("<col min=\"(\\d+)\" max=\"\\d+\" width=\"([0-9.]+)\""));
    for (auto it = col.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        widths.insert(m.captured(1).toInt(), m.captured(2).toDouble());
    }
    return widths;
}

} // namespace

class XlsxWriterTest : public QObject {
    Q_OBJECT
private slots:
    void valuesByColumnKind_data()
    {
        using Kind = XlsxWriter::Kind;
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("cell");
        const QVariant empty;
        QTest::newRow("text keeps digits")
            << int(Kind::Text) << QVariant("0012") << QVariant("0012");
        QTest::newRow("text keeps a number as text")
            << int(Kind::Text) << QVariant(qlonglong(42)) << QVariant("42");
        QTest::newRow("number from text")
            << int(Kind::Number) << QVariant("12.50") << QVariant(12.5);
        QTest::newRow("number from double")
            << int(Kind::Number) << QVariant(-3.25) << QVariant(-3.25);
        QTest::newRow("date text")
            << int(Kind::DateTime) << QVariant("2024-03-05") << QVariant(QDate(2024, 3, 5));
        QTest::newRow("date-time text") << int(Kind::DateTime) << QVariant("2024-03-05 08:09:10")
                                        << QVariant(QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)));
        QTest::newRow("date value") << int(Kind::DateTime) << QVariant(QDate(2001, 12, 31))
                                    << QVariant(QDate(2001, 12, 31));
        QTest::newRow("not a date stays text")
            << int(Kind::DateTime) << QVariant("明年三月") << QVariant("明年三月");
        QTest::newRow("before March 1900 as text")
            << int(Kind::DateTime) << QVariant(QDate(1900, 1, 15)) << QVariant("1900-01-15");
        QTest::newRow("auto number text")
            << int(Kind::Auto) << QVariant("7") << QVariant(qlonglong(7));
        QTest::newRow("auto leading zero") << int(Kind::Auto) << QVariant("007") << QVariant("007");
        QTest::newRow("auto long card number") << int(Kind::Auto) << QVariant("6222020200112233445")
                                               << QVariant("6222020200112233445");
        QTest::newRow("auto date text")
            << int(Kind::Auto) << QVariant("2024-03-05 14:30:15")
            << QVariant(QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)));
        QTest::newRow("null") << int(Kind::Number) << QVariant(QMetaType(QMetaType::Double))
                              << empty;
        QTest::newRow("empty text") << int(Kind::Text) << QVariant("") << empty;
        QTest::newRow("picture bytes")
            << int(Kind::Auto) << QVariant(QByteArray("BM\x01\x02", 4)) << empty;
    }

    void valuesByColumnKind()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, value);
        QFETCH(QVariant, cell);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("one.xlsx"));
        XlsxWriter writer;
        QVERIFY(writer.open(path, {XlsxWriter::Kind::Text, XlsxWriter::Kind(kind)}));
        QVERIFY(writer.addRow({QStringLiteral("x"), value}));
        QVERIFY2(writer.close(), qPrintable(writer.errorString()));
        SheetData sheet;
        QString error;
        QVERIFY2(XlsxReader::read(path, &sheet, &error), qPrintable(error));
        const QVariant actual = sheet.cell(0, 1);
        QCOMPARE(actual.typeId(), cell.typeId());
        QCOMPARE(actual, cell);
    }

    void widthsFollowTheLongestValue()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("widths.xlsx"));
        XlsxWriter writer;
        QVERIFY(writer.open(path));
        QVERIFY(writer.addHeaderRow(
            {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("借阅日期")}));
        QVERIFY(
            writer.addRow({QStringLiteral("B1"), QStringLiteral("中华人民共和国史纲要（第二版）"),
                           QDate(2024, 3, 5)}));
        QVERIFY(writer.addRow(
            {QStringLiteral("B2"), QString(QStringLiteral("长")).repeated(500), QVariant()}));
        QVERIFY(writer.close());
        const QMap<int, double> widths = columnWidths(path);
        QCOMPARE(widths.size(), 3);
        QVERIFY(widths[1] < widths[3]);
        QVERIFY(widths[3] >= 10);
        // A very long text is capped (60 characters, stored with the padding of the format)
        // rather than making a column wider than a screen.
        QVERIFY2(widths[2] > widths[3] && widths[2] < 61, qPrintable(QString::number(widths[2])));
    }

    void longTextIsCutToWhatACellHolds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.xlsx"));
        XlsxWriter writer;
        QVERIFY(writer.open(path, {XlsxWriter::Kind::Text}));
        QVERIFY(writer.addRow({QString(40000, QLatin1Char('a'))}));
        QVERIFY(writer.close());
        SheetData sheet;
        QVERIFY(XlsxReader::read(path, &sheet, nullptr));
        QCOMPARE(sheet.cell(0, 0).toString().size(), 32767);
    }

    // Characters XML cannot hold are stored escaped, and a text that looks like an escape
    // has its underscore escaped, so that each text reads back as it was written.
    void textsKeepEveryCharacter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        // Text with one character given by its code between two pieces.
        const auto text = [](const char *before, char16_t unit, const char *after) {
            return QString::fromUtf8(before) + QChar(unit) + QString::fromUtf8(after);
        };
        QTest::newRow("NUL") << text("书名", 0, "续") << QStringLiteral("书名_x0000_续");
        QTest::newRow("control characters")
            << text("a", 1, "b") + QChar(0x1f) << QStringLiteral("a_x0001_b_x001F_");
        QTest::newRow("tab and line feed")
            << QStringLiteral("a\tb\nc") << QStringLiteral("a\tb\nc");
        QTest::newRow("carriage return")
            << QStringLiteral("a\r\nb") << QStringLiteral("a_x000D_\nb");
        QTest::newRow("text like an escape")
            << QStringLiteral("_x000D_ x") << QStringLiteral("_x005F_x000D_ x");
        QTest::newRow("text like an escaped underscore")
            << QStringLiteral("_x005F_") << QStringLiteral("_x005F_x005F_");
        QTest::newRow("plain underscores")
            << QStringLiteral("a_x_b _x12_ _xABCD") << QStringLiteral("a_x_b _x12_ _xABCD");
        QTest::newRow("noncharacter") << text("a", 0xffff, "b") << QStringLiteral("a_xFFFF_b");
        QTest::newRow("lone surrogate") << text("a", 0xd800, "b") << QStringLiteral("a_xD800_b");
        QTest::newRow("surrogate pair")
            << QString::fromUtf8("\xf0\x9f\x93\x96") << QString::fromUtf8("\xf0\x9f\x93\x96");
    }

    void textsKeepEveryCharacter()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("texts.xlsx"));
        XlsxWriter writer;
        QVERIFY(writer.open(path, {XlsxWriter::Kind::Text}));
        QVERIFY(writer.addRow({text}));
        QVERIFY(writer.addHeaderRow({text}));
        QVERIFY2(writer.close(), qPrintable(writer.errorString()));
        const QString xml = sheetXml(path);
        QVERIFY2(xml.contains(QStringLiteral("<t>") + stored + QStringLiteral("</t>")),
                 qPrintable(xml));
        SheetData sheet;
        QString error;
        QVERIFY2(XlsxReader::read(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(0, 0).toString(), text);
        QCOMPARE(sheet.cell(1, 0).toString(), text);
    }

    // The cut at the cell's length never splits an escape.
    void cutKeepsEscapesWhole_data()
    {
        QTest::addColumn<int>("before"); // characters before the NUL
        QTest::addColumn<int>("kept");   // characters read back
        QTest::newRow("escape fits") << 32760 << 32761;
        QTest::newRow("escape does not fit") << 32761 << 32761;
    }

    void cutKeepsEscapesWhole()
    {
        QFETCH(int, before);
        QFETCH(int, kept);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.xlsx"));
        XlsxWriter writer;
        QVERIFY(writer.open(path, {XlsxWriter::Kind::Text}));
        const QString text = QString(before, QLatin1Char('a')) + QChar(0) + QStringLiteral("bb");
        QVERIFY(writer.addRow({text}));
        QVERIFY2(writer.close(), qPrintable(writer.errorString()));
        SheetData sheet;
        QString error;
        QVERIFY2(XlsxReader::read(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(0, 0).toString(), text.left(kept));
    }
};

QTEST_GUILESS_MAIN(XlsxWriterTest)
#include "xlsxwriter_test.moc"
