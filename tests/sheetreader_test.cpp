// Reading a worksheet row by row from .xlsx, .xls and .csv files: the same sheet gives the
// same texts whatever the format, numbers and dates by the cell text rules, the used range
// from row 1 and column 1; CSV in UTF-8 or GBK with quoted fields; damaged, encrypted and
// foreign files refused with a message.
#include "import/RowPrefetch.h"
#include "import/SheetReader.h"
#include "import/SheetSource.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

using Rows = QList<QStringList>;

QString fixture(const QString &name)
{
    return QStringLiteral(TSGL_TEST_DATA "/sheets/") + name;
}

// Every row of the sheet, the headings first.
Rows readAll(const QString &path, QString *error)
{
    SheetReader reader;
    if (!reader.open(path, error))
        return {};
    Rows rows{reader.headings()};
    int row = 0;
    QStringList cells;
    while (reader.next(&row, &cells)) {
        if (row != rows.size() + 1 || cells.size() != reader.columnCount()) {
            *error = QStringLiteral("row %1 with %2 cells").arg(row).arg(cells.size());
            return {};
        }
        rows << cells;
    }
    *error = reader.error();
    if (rows.size() != reader.rowCount() && reader.rowCount() > 0)
        *error = QStringLiteral("%1 rows of %2").arg(rows.size()).arg(reader.rowCount());
    return reader.rowCount() == 0 ? Rows() : rows;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

const QByteArray kMain = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

// An .xlsx package of these parts; the workbook, its relationships and the styles are
// added when not given (sheets sheet1.xml and sheet2.xml, the second active when asked).
QString writeWorkbook(const QTemporaryDir &dir, QMap<QString, QByteArray> parts,
                      bool secondActive = false)
{
    if (!parts.contains(QStringLiteral("xl/workbook.xml")))
        parts[QStringLiteral("xl/workbook.xml")] =
            "<workbook " + kMain +
            " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
            "<bookViews><workbookView activeTab=\"" +
            (secondActive ? "1" : "0") +
            "\"/></bookViews><sheets><sheet name=\"一\" sheetId=\"1\" r:id=\"rId1\"/>"
            "<sheet name=\"二\" sheetId=\"2\" r:id=\"rId2\"/></sheets></workbook>";
    const QByteArray type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    parts[QStringLiteral("xl/_rels/workbook.xml.rels")] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        type + "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
        type + "worksheet\" Target=\"worksheets/sheet2.xml\"/><Relationship Id=\"rId3\" Type=\"" +
        type + "sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId4\" Type=\"" +
        type + "styles\" Target=\"styles.xml\"/></Relationships>";
    // Style 1 a date, 2 a date with time, 3 a time of day, 4 a plain number with decimals.
    parts[QStringLiteral("xl/styles.xml")] =
        "<styleSheet " + kMain +
        "><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd hh:mm\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"0.00\"/></numFmts><cellXfs><xf numFmtId=\"0\"/>"
        "<xf numFmtId=\"14\"/><xf numFmtId=\"164\"/><xf numFmtId=\"21\"/><xf numFmtId=\"165\"/>"
        "</cellXfs></styleSheet>";
    const QString path = dir.filePath(QStringLiteral("表.xlsx"));
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return QString();
    for (auto it = parts.begin(); it != parts.end(); ++it) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(it.key())))
            return QString();
        file.write(it.value());
    }
    return path;
}

QByteArray sheetXml(const QByteArray &rows)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet " + kMain + "><sheetData>" +
           rows + "</sheetData></worksheet>";
}

const Rows kBooks = {
    {"编号", "书名", "作者", "价格", "册数", "条码", "日期", "备注"},
    {"B001", "红楼梦", "曹雪芹", "12.5", "3", "1234567890123", "2008-08-08",
     QStringLiteral("他说\"你好\"")},
    {"B002", "Tom's Book", "", "12.5", "1", "9787020002207", "2024-03-05 10:30:00", "含'单引号'"},
    {"B003", "西游记, 上册", "吴承恩", "3", "10", "", "2001-01-01", "第一行\n第二行"},
};

// A source of generated rows that turns out damaged at row failAt (never when negative).
class CountingSource : public SheetSource {
public:
    explicit CountingSource(int rows, int failAt = -1)
        : m_rows(rows)
        , m_failAt(failAt)
    {}
    bool open(const QString &, QString *) override { return true; }
    int rowCount() const override { return m_rows; }
    int columnCount() const override { return 2; }
    bool readRow(int row, QStringList *cells, QString *error) override
    {
        if (row == m_failAt) {
            *error = QStringLiteral("第 %1 行已损坏").arg(row);
            return false;
        }
        *cells = {QString::number(row), QStringLiteral("书%1").arg(row)};
        return true;
    }

private:
    int m_rows;
    int m_failAt;
};

} // namespace

class SheetReaderTest : public QObject {
    Q_OBJECT
private slots:
    // The same book list saved by a spreadsheet program in each format.
    void sameSheetInEveryFormat_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow(".xlsx") << QStringLiteral("books.xlsx");
        QTest::newRow(".xls") << QStringLiteral("books.xls");
        QTest::newRow(".csv UTF-8") << QStringLiteral("books-utf8.csv");
        QTest::newRow(".csv UTF-8 with byte order mark") << QStringLiteral("books-utf8-bom.csv");
        QTest::newRow(".csv GBK") << QStringLiteral("books-gbk.csv");
    }

    void sameSheetInEveryFormat()
    {
        QFETCH(QString, file);
        QString error;
        const Rows rows = readAll(fixture(file), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(rows, kBooks);
    }

    // A sheet of thousands of rows is read ahead in a thread of its own: every row comes, in
    // order, whole, whatever the format.
    void largeSheetReadAhead_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow(".xlsx") << QStringLiteral("大.xlsx");
        QTest::newRow(".csv") << QStringLiteral("大.csv");
    }

    void largeSheetReadAhead()
    {
        QFETCH(QString, name);
        const int count = 5000;
        QTemporaryDir dir;
        QString path;
        if (name.endsWith(QLatin1String(".csv"))) {
            QByteArray csv = "编号,书名\n";
            for (int i = 1; i <= count; ++i)
                csv += QByteArray::number(i) + ",书" + QByteArray::number(i) + "\n";
            path = writeFile(dir, name, csv);
        } else {
            QByteArray rows = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>编号</t></is></c>"
                              "<c r=\"B1\" t=\"inlineStr\"><is><t>书名</t></is></c></row>";
            for (int i = 1; i <= count; ++i) {
                const QByteArray r = QByteArray::number(i + 1);
                rows += "<row r=\"" + r + "\"><c r=\"A" + r + "\"><v>" + QByteArray::number(i) +
                        "</v></c><c r=\"B" + r + "\" t=\"inlineStr\"><is><t>书" +
                        QByteArray::number(i) + "</t></is></c></row>";
            }
            path =
                writeWorkbook(dir, {{QStringLiteral("xl/worksheets/sheet1.xml"), sheetXml(rows)}});
        }
        QString error;
        const Rows rows = readAll(path, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(rows.size(), count + 1);
        for (int i = 1; i <= count; ++i)
            QCOMPARE(rows[i], QStringList({QString::number(i), QStringLiteral("书%1").arg(i)}));

        // Stopping part way (an import stopped by the user) ends the reading thread at once.
        SheetReader reader;
        QVERIFY(reader.open(path, &error));
        int row = 0;
        QStringList cells;
        for (int i = 0; i < 10; ++i)
            QVERIFY(reader.next(&row, &cells));
        QCOMPARE(row, 11);
    }

    // Damage found while reading ahead: the rows before it all come, then the reason.
    void readAheadStopsAtDamage()
    {
        CountingSource source(3000, 2000);
        QString error;
        int read = 0;
        {
            RowPrefetch prefetch(source, 1, source.rowCount());
            int row = 0;
            QStringList cells;
            while (prefetch.next(&row, &cells, &error)) {
                QCOMPARE(row, read + 1);
                QCOMPARE(cells.value(1), QStringLiteral("书%1").arg(row));
                ++read;
            }
            QVERIFY(!prefetch.next(&row, &cells, &error));
        }
        QCOMPARE(read, 1999);
        QCOMPARE(error, QStringLiteral("第 2000 行已损坏"));

        // Given up before its first row: nothing waits for a reader that is gone.
        CountingSource endless(1000000);
        {
            RowPrefetch prefetch(endless, 0, endless.rowCount());
        }
    }

    // The format is found by the content, whatever the name says.
    void formatByContentNotName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow(".xlsx named .xls")
            << QStringLiteral("books.xlsx") << QStringLiteral("a.xls");
        QTest::newRow(".xls named .xlsx")
            << QStringLiteral("books.xls") << QStringLiteral("a.xlsx");
        QTest::newRow(".xls named .csv") << QStringLiteral("books.xls") << QStringLiteral("a.csv");
        QTest::newRow(".csv named .txt")
            << QStringLiteral("books-gbk.csv") << QStringLiteral("a.txt");
        QTest::newRow(".csv named .xls")
            << QStringLiteral("books-utf8.csv") << QStringLiteral("a.xls");
    }

    void formatByContentNotName()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(QFile::copy(fixture(file), path));
        QString error;
        QCOMPARE(readAll(path, &error), kBooks);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // A CSV file is text: what it holds is kept as written (numbers too: leading zeros of a
    // barcode must stay), line breaks in a quoted field become line feeds.
    void handTypedCsvKeepsItsTexts()
    {
        QString error;
        const Rows rows = readAll(fixture(QStringLiteral("books-source.csv")), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[2][3], QStringLiteral("12.50"));
        QCOMPARE(rows[3][3], QStringLiteral("3.0"));
        QCOMPARE(rows[3][7], QStringLiteral("第一行\n第二行"));
    }

    void csvEdgeCases_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("CR LF line ends")
            << QByteArray("a,b\r\n1,2\r\n") << Rows{{"a", "b"}, {"1", "2"}};
        QTest::newRow("no line end at the end")
            << QByteArray("a,b\n1,2") << Rows{{"a", "b"}, {"1", "2"}};
        QTest::newRow("quoted separator, quote and line break")
            << QByteArray("a,b\n\"x,y\",\"他说\"\"好\"\"\"\n\"1\r\n2\",3\n")
            << Rows{{"a", "b"}, {"x,y", "他说\"好\""}, {"1\n2", "3"}};
        QTest::newRow("empty quoted field")
            << QByteArray("a,b,c\n\"\",x,\"\"\n") << Rows{{"a", "b", "c"}, {"", "x", ""}};
        QTest::newRow("text after the closing quote kept")
            << QByteArray("a\n\"ab\"c\n") << Rows{{"a"}, {"abc"}};
        QTest::newRow("quote inside an unquoted field")
            << QByteArray("a\n5\"3'\n") << Rows{{"a"}, {"5\"3'"}};
        QTest::newRow("short rows filled, empty row kept, empty end left out")
            << QByteArray("a,b,c\n1\n\n2,,3\n\n\n,,\n")
            << Rows{{"a", "b", "c"}, {"1", "", ""}, {"", "", ""}, {"2", "", "3"}};
        QTest::newRow("empty columns at the end left out")
            << QByteArray("a,b,,\n1,,,\n") << Rows{{"a", "b"}, {"1", ""}};
        QTest::newRow("leading zeros and spaces kept")
            << QByteArray("条码, 名称 \n007, x\n") << Rows{{"条码", " 名称 "}, {"007", " x"}};
        QTest::newRow("tab separated") << QByteArray("编号\t名称\n1\t红楼梦, 上\n")
                                       << Rows{{"编号", "名称"}, {"1", "红楼梦, 上"}};
        QTest::newRow("GBK without a mark")
            << QByteArray("\xb1\xe0\xba\xc5,\xc3\xfb\xb3\xc6\n1,\xba\xec\xc2\xa5\xc3\xce\n")
            << Rows{{"编号", "名称"}, {"1", "红楼梦"}};
        QTest::newRow("GB18030 four-byte character")
            << QByteArray("a\n\x81\x30\x81\x30\n") << Rows{{"a"}, {QString(QChar(0x80))}};
        QTest::newRow("UTF-8 mark only before the first field")
            << QByteArray("\xef\xbb\xbf\xe7\xbc\x96\xe5\x8f\xb7\n\"1\"\n") << Rows{{"编号"}, {"1"}};
        QTest::newRow("only headings") << QByteArray("a,b\n") << Rows{{"a", "b"}};
        QTest::newRow("only empty lines") << QByteArray("\n\r\n,\n") << Rows{};
    }

    void csvEdgeCases()
    {
        QFETCH(QByteArray, content);
        QFETCH(Rows, rows);
        QTemporaryDir dir;
        QString error;
        QCOMPARE(readAll(writeFile(dir, QStringLiteral("书目.csv"), content), &error), rows);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void numbersAndDatesFromXlsx_data()
    {
        QTest::addColumn<QByteArray>("cell"); // the attributes and the content of a <c>
        QTest::addColumn<QString>("text");
        QTest::newRow("trailing zeros") << QByteArray("><v>12.50</v>") << QStringLiteral("12.5");
        QTest::newRow("whole") << QByteArray("><v>3.0</v>") << QStringLiteral("3");
        QTest::newRow("13 digits")
            << QByteArray("><v>1234567890123</v>") << QStringLiteral("1234567890123");
        QTest::newRow("exponent") << QByteArray("><v>1.2345678901229999E+12</v>")
                                  << QStringLiteral("1234567890123");
        QTest::newRow("decimals under a 0.00 format")
            << QByteArray(" s=\"4\"><v>0.1</v>") << QStringLiteral("0.1");
        QTest::newRow("binary fraction")
            << QByteArray("><v>0.30000000000000004</v>") << QStringLiteral("0.3");
        QTest::newRow("negative zero") << QByteArray("><v>-0</v>") << QStringLiteral("0");
        QTest::newRow("small") << QByteArray("><v>0.0001</v>") << QStringLiteral("0.0001");
        QTest::newRow("very small") << QByteArray("><v>1E-7</v>") << QStringLiteral("1e-07");
        QTest::newRow("date") << QByteArray(" s=\"1\"><v>39668</v>")
                              << QStringLiteral("2008-08-08");
        QTest::newRow("date and time")
            << QByteArray(" s=\"2\"><v>45356.4375</v>") << QStringLiteral("2024-03-05 10:30:00");
        QTest::newRow("midnight under a time format")
            << QByteArray(" s=\"2\"><v>45356</v>") << QStringLiteral("2024-03-05");
        QTest::newRow("time of day")
            << QByteArray(" s=\"3\"><v>0.5</v>") << QStringLiteral("12:00:00");
        QTest::newRow("ISO date cell")
            << QByteArray(" t=\"d\"><v>2008-08-08T00:00:00</v>") << QStringLiteral("2008-08-08");
        QTest::newRow("boolean") << QByteArray(" t=\"b\"><v>1</v>") << QStringLiteral("TRUE");
        QTest::newRow("formula text")
            << QByteArray(" t=\"str\"><f>A1</f><v>x&amp;y</v>") << QStringLiteral("x&y");
        QTest::newRow("inline text in runs, without phonetic runs")
            << QByteArray(" t=\"inlineStr\"><is><r><t>红</t></r><r><t>楼&#x68A6;</t></r>"
                          "<rPh><t>hong</t></rPh></is>")
            << QStringLiteral("红楼梦");
        QTest::newRow("text in CDATA")
            << QByteArray(" t=\"inlineStr\"><is><t><![CDATA[<a&b>]]></t></is>")
            << QStringLiteral("<a&b>");
        QTest::newRow("escaped line break")
            << QByteArray(" t=\"inlineStr\"><is><t>a_x000D_b</t></is>") << QStringLiteral("a\rb");
        QTest::newRow("shared string") << QByteArray(" t=\"s\"><v>1</v>") << QStringLiteral("乙");
        QTest::newRow("shared string past the table")
            << QByteArray(" t=\"s\"><v>99</v>") << QString();
        QTest::newRow("not a number") << QByteArray("><v>abc</v>") << QStringLiteral("abc");
    }

    void numbersAndDatesFromXlsx()
    {
        QFETCH(QByteArray, cell);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = writeWorkbook(
            dir, {{QStringLiteral("xl/worksheets/sheet1.xml"),
                   sheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>值</t></is></c>"
                            "</row><row r=\"2\"><c r=\"A2\"" +
                            cell + "</c><c r=\"B2\"><v>0</v></c></row>")},
                  {QStringLiteral("xl/sharedStrings.xml"),
                   "<sst " + kMain + "><si><t>甲</t></si><si><t>乙</t></si></sst>"}});
        QString error;
        const Rows rows = readAll(path, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1][0], text);
    }

    // The used range: from row 1 and column 1 to the last row and column with a value; empty
    // texts, also from shared strings, do not stretch it; missing rows come out empty.
    void usedRangeOfXlsx()
    {
        QTemporaryDir dir;
        const QString path = writeWorkbook(
            dir,
            {{QStringLiteral("xl/worksheets/sheet1.xml"),
              sheetXml("<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c><c r=\"C2\" s=\"1\"/></row>"
                       "<row r=\"4\"><c r=\"A4\"><v>7</v></c><c r=\"E4\" t=\"s\"><v>1</v></c>"
                       "</row><row r=\"6\"><c r=\"A6\" t=\"inlineStr\"><is><t></t></is></c>"
                       "</row>")},
             {QStringLiteral("xl/sharedStrings.xml"),
              "<sst " + kMain + "><si><t>甲</t></si><si><t/></si></sst>"}});
        SheetReader reader;
        QString error;
        QVERIFY2(reader.open(path, &error), qPrintable(error));
        QCOMPARE(reader.rowCount(), 4);
        QCOMPARE(reader.columnCount(), 2);
        QCOMPARE(reader.headings(), QStringList({"", ""}));
        QCOMPARE(readAll(path, &error), Rows({{"", ""}, {"", "甲"}, {"", ""}, {"7", ""}}));
    }

    // The sheet the workbook opens with; rows and cells out of order (which the stream
    // cannot follow) are read whole, with the same texts.
    void activeSheetAndOrder_data()
    {
        QTest::addColumn<bool>("secondActive");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<Rows>("rows");
        const QByteArray ordered =
            sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>"
                     "<row r=\"2\"><c r=\"A2\"><v>3</v></c></row>");
        QTest::newRow("first sheet when the first is active") << false << ordered << Rows{{"一"}};
        QTest::newRow("second sheet when it is active")
            << true << ordered << Rows{{"1", "2"}, {"3", ""}};
        QTest::newRow("rows out of order")
            << true
            << sheetXml("<row r=\"2\"><c r=\"A2\"><v>3</v></c></row>"
                        "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>")
            << Rows{{"1", "2"}, {"3", ""}};
        QTest::newRow("cells out of order")
            << true
            << sheetXml("<row r=\"1\"><c r=\"B1\"><v>2</v></c><c r=\"A1\"><v>1</v></c></row>"
                        "<row r=\"2\"><c r=\"A2\"><v>3</v></c></row>")
            << Rows{{"1", "2"}, {"3", ""}};
    }

    void activeSheetAndOrder()
    {
        QFETCH(bool, secondActive);
        QFETCH(QByteArray, second);
        QFETCH(Rows, rows);
        QTemporaryDir dir;
        const QString path = writeWorkbook(
            dir,
            {{QStringLiteral("xl/worksheets/sheet1.xml"),
              sheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>一</t></is></c></row>")},
             {QStringLiteral("xl/worksheets/sheet2.xml"), second}},
            secondActive);
        QString error;
        QCOMPARE(readAll(path, &error), rows);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // Files that are no sheet, or a damaged or encrypted one: refused at open() with a
    // message naming the file and what is wrong; nothing is read.
    void refusedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QFile xlsx(fixture(QStringLiteral("books.xlsx")));
        QFile xls(fixture(QStringLiteral("books.xls")));
        QVERIFY(xlsx.open(QIODevice::ReadOnly) && xls.open(QIODevice::ReadOnly));
        const QByteArray xlsxBytes = xlsx.readAll();
        const QByteArray xlsBytes = xls.readAll();
        QTest::newRow("missing") << QStringLiteral("无.xlsx") << QByteArray()
                                 << QStringLiteral("文件不存在");
        QTest::newRow("empty") << QStringLiteral("a.csv") << QByteArray("")
                               << QStringLiteral("文件是空的");
        QTest::newRow("truncated .xlsx") << QStringLiteral("a.xlsx") << xlsxBytes.left(3000)
                                         << QStringLiteral("文件已损坏或太大");
        QByteArray damagedXlsx = xlsxBytes;
        // A byte in the middle of the packed parts: a checksum or the unpacking fails.
        for (int i = 1200; i < 1260; ++i)
            damagedXlsx[i] = char(damagedXlsx[i] ^ 0x5A);
        QTest::newRow("damaged .xlsx")
            << QStringLiteral("a.xlsx") << damagedXlsx << QStringLiteral("文件已损坏或太大");
        QTest::newRow("truncated .xls")
            << QStringLiteral("a.xls") << xlsBytes.left(2048) << QStringLiteral("文件已损坏或太大");
        QByteArray damagedXls = xlsBytes;
        damagedXls.replace(512, 1024, QByteArray(1024, '\xff'));
        QTest::newRow("damaged .xls")
            << QStringLiteral("a.xls") << damagedXls << QStringLiteral("文件已损坏或太大");
        // Found by fuzzing: a string whose length runs past its record makes FreeXL read past
        // a buffer of its own; the reading runs in a process of its own.
        QFile overlong(fixture(QStringLiteral("overlong-string.xls")));
        QVERIFY(overlong.open(QIODevice::ReadOnly));
        QTest::newRow("string running past its record in .xls")
            << QStringLiteral("a.xls") << overlong.readAll() << QStringLiteral("文件已损坏或太大");
        // As Excel writes an encrypted workbook: an OLE2 container with the encrypted package.
        QByteArray encrypted("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        encrypted += QByteArray(1016, '\0');
        encrypted +=
            QByteArray::fromRawData("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
        encrypted += QByteArray(4000, '\x11');
        QTest::newRow("encrypted .xlsx")
            << QStringLiteral("a.xlsx") << encrypted << QStringLiteral("文件已加密");
        QTest::newRow("picture") << QStringLiteral("a.xlsx")
                                 << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                 << QStringLiteral("不能识别文件的格式");
        QTest::newRow("web page named .xls")
            << QStringLiteral("a.xls") << QByteArray("<html><table><tr><td>1</td></tr></table>")
            << QStringLiteral("不是 Excel 文件");
        QByteArray document; // a zip archive holding something else
        {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("a.zip"));
            QuaZip zip(path);
            QVERIFY(zip.open(QuaZip::mdCreate));
            QuaZipFile file(&zip);
            QVERIFY(file.open(QIODevice::WriteOnly,
                              QuaZipNewInfo(QStringLiteral("word/document.xml"))));
            file.write("<document/>");
            file.close();
            zip.close();
            QFile packed(path);
            QVERIFY(packed.open(QIODevice::ReadOnly));
            document = packed.readAll();
        }
        QTest::newRow("zip without a workbook")
            << QStringLiteral("a.xlsx") << document << QStringLiteral("文件中没有工作簿");
        QTest::newRow("text file of another kind")
            << QStringLiteral("make-fixtures") << QByteArray("#!/bin/sh\necho a,b\n")
            << QStringLiteral("不能识别文件的格式");
        QTest::newRow("quote never closed")
            << QStringLiteral("a.csv") << QByteArray("a,b\n\"1,2\n3,4\n")
            << QStringLiteral("第 2 行有一个引号到文件末尾还没有结束");
    }

    void refusedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = content.isNull() ? dir.filePath(name) : writeFile(dir, name, content);
        SheetReader reader;
        QString error;
        QVERIFY(!reader.open(path, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(reader.error(), error);
        QCOMPARE(reader.rowCount(), 0);
        int row = 0;
        QStringList cells;
        QVERIFY(!reader.next(&row, &cells));
    }

    // A damaged sheet inside a sound package: refused with what is wrong with it.
    void damagedSheetXml_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QString>("message");
        QTest::newRow("cut off") << sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c>").left(150)
                                 << QStringLiteral("不完整");
        QTest::newRow("elements crossed") << sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</c></v></row>")
                                          << QStringLiteral("元素没有正确结束");
        QTest::newRow("document type")
            << QByteArray("<!DOCTYPE x [<!ENTITY a \"b\">]>") + sheetXml("")
            << QStringLiteral("文档类型声明");
        QTest::newRow("bad cell name") << sheetXml("<row><c r=\"1A\"><v>1</v></c></row>")
                                       << QStringLiteral("单元格位置“1A”无效");
    }

    void damagedSheetXml()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path =
            writeWorkbook(dir, {{QStringLiteral("xl/worksheets/sheet1.xml"), sheet}});
        SheetReader reader;
        QString error;
        QVERIFY(!reader.open(path, &error));
        QVERIFY2(error.startsWith(QStringLiteral("文件已损坏或太大：") + path), qPrintable(error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    void cellTextOfTypedValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QVariant() << QString();
        QTest::newRow("12.50") << QVariant(12.50) << QStringLiteral("12.5");
        QTest::newRow("3.0") << QVariant(3.0) << QStringLiteral("3");
        QTest::newRow("1234567890123.0")
            << QVariant(1234567890123.0) << QStringLiteral("1234567890123");
        QTest::newRow("whole number")
            << QVariant(qlonglong(1234567890123)) << QStringLiteral("1234567890123");
        QTest::newRow("date") << QVariant(QDate(2008, 8, 8)) << QStringLiteral("2008-08-08");
        QTest::newRow("date and time") << QVariant(QDateTime(QDate(2008, 8, 8), QTime(20, 8, 5)))
                                       << QStringLiteral("2008-08-08 20:08:05");
        QTest::newRow("midnight") << QVariant(QDateTime(QDate(2008, 8, 8), QTime(0, 0)))
                                  << QStringLiteral("2008-08-08");
    }

    void cellTextOfTypedValues()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(SheetReader::cellText(value), text);
    }
};

QTEST_GUILESS_MAIN(SheetReaderTest)
#include "sheetreader_test.moc"
