// Reading .xlsx files as another spreadsheet program writes them: the sheet that opens first,
// shared and inline texts, numbers, booleans, dates by number format, the used range; and
// refusing damaged or hostile files with a message, without a crash or gigabytes of memory.
#include "import/SheetReader.h"
#include "import/XlsxReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

namespace {

const QByteArray kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const QByteArray kMain = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

QByteArray
workbookXml(const QByteArray &sheets = "<sheet name=\"书目\" sheetId=\"1\" r:id=\"rId1\"/>")
{
    return kXmlHead + "<workbook " + kMain +
           " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
           "<sheets>" +
           sheets + "</sheets></workbook>";
}

QByteArray relationshipsXml(const QByteArray &sheetTarget,
                            const QByteArray &extra = "TargetMode=\"Internal\"")
{
    const QByteArray type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    return kXmlHead +
           "<Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" Type=\"" +
           type + "worksheet\" Target=\"" + sheetTarget + "\" " + extra +
           "/><Relationship Id=\"rId2\" Type=\"" + type +
           "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
}

QByteArray sheetXml(const QByteArray &rows)
{
    return kXmlHead + "<worksheet " + kMain + "><sheetData>" + rows + "</sheetData></worksheet>";
}

QByteArray sharedStringsXml(const QByteArray &items)
{
    return kXmlHead + "<sst " + kMain + ">" + items + "</sst>";
}

using Parts = QMap<QString, QByteArray>;

// A workbook of one sheet: A1 a shared text, B1 a number, and C1 an index past the end of
// the shared strings, so that the whole table is read looking for it.
Parts smallWorkbook()
{
    return {
        {QStringLiteral("xl/workbook.xml"), workbookXml()},
        {QStringLiteral("xl/_rels/workbook.xml.rels"), relationshipsXml("worksheets/sheet1.xml")},
        {QStringLiteral("xl/worksheets/sheet1.xml"),
         sheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>12</v></c>"
                  "<c r=\"C1\" t=\"s\"><v>2000000000</v></c></row>")},
        {QStringLiteral("xl/sharedStrings.xml"), sharedStringsXml("<si><t>红楼梦</t></si>")},
    };
}

// A part made of a head, many copies of a chunk and a tail, packed without ever being whole
// in memory: the chunk is deflated once (ending on a full flush, so that the next copy
// starts afresh) and its bytes are repeated. The size recorded in the archive is the true
// one unless `declared` says otherwise.
bool addRepeatedPart(QuaZip *zip, const QString &name, const QByteArray &head,
                     const QByteArray &chunk, int copies, const QByteArray &tail, qint64 declared)
{
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    const auto pack = [&z](const QByteArray &in, int flush) {
        QByteArray out(int(deflateBound(&z, uLong(in.size()))) + 64, Qt::Uninitialized);
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
        z.avail_in = uInt(in.size());
        z.next_out = reinterpret_cast<Bytef *>(out.data());
        z.avail_out = uInt(out.size());
        deflate(&z, flush);
        out.resize(out.size() - int(z.avail_out));
        return out;
    };
    const QByteArray packedHead = pack(head, Z_FULL_FLUSH);
    const QByteArray packedChunk = pack(chunk, Z_FULL_FLUSH);
    const QByteArray packedTail = pack(tail, Z_FINISH);
    deflateEnd(&z);

    const qint64 size = head.size() + qint64(chunk.size()) * copies + tail.size();
    uLong crc = crc32(0, reinterpret_cast<const Bytef *>(head.constData()), uInt(head.size()));
    const uLong chunkCrc =
        crc32(0, reinterpret_cast<const Bytef *>(chunk.constData()), uInt(chunk.size()));
    for (int i = 0; i < copies; ++i)
        crc = crc32_combine(crc, chunkCrc, chunk.size());
    crc = crc32_combine(
        crc, crc32(0, reinterpret_cast<const Bytef *>(tail.constData()), uInt(tail.size())),
        tail.size());

    QuaZipNewInfo info(name);
    info.uncompressedSize = ulong(declared > 0 ? declared : size);
    QuaZipFile file(zip);
    if (!file.open(QIODevice::WriteOnly, info, nullptr, quint32(crc), Z_DEFLATED, 9, true))
        return false;
    file.write(packedHead);
    for (int i = 0; i < copies; ++i)
        file.write(packedChunk);
    file.write(packedTail);
    file.close();
    return file.getZipError() == ZIP_OK;
}

// One part of a test package that is too big to build in memory.
struct RepeatedPart {
    QString name;
    QByteArray head;
    QByteArray chunk;
    int copies = 0;
    QByteArray tail;
    qint64 declared = 0;
};

bool writePackage(const QString &path, const Parts &parts, const RepeatedPart &big = {})
{
    QuaZip zip(path);
    zip.setZip64Enabled(true);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (auto it = parts.begin(); it != parts.end(); ++it) {
        if (it.key() == big.name)
            continue;
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(it.key())))
            return false;
        file.write(it.value());
        file.close();
    }
    if (!big.name.isEmpty() &&
        !addRepeatedPart(&zip, big.name, big.head, big.chunk, big.copies, big.tail, big.declared))
        return false;
    zip.close();
    return zip.getZipError() == ZIP_OK;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The most memory the process has held (since the last reset where the system allows one).
qint64 peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return -1;
}

constexpr qint64 kMemoryBudgetMb = 200;

} // namespace

Q_DECLARE_METATYPE(XlsxReader::Limits)

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
            // A row runs up to its last value.
            QVariantList values = expected[r];
            while (!values.isEmpty() && !values.last().isValid())
                values.removeLast();
            QCOMPARE(sheet.row(r), values);
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

    // Each file is refused with a message naming what is wrong, within a small budget of
    // memory and without unpacking what lies beyond the caps.
    void hostileFilesAreRefused_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("chunk"); // repeated `copies` times after the content
        QTest::addColumn<int>("copies");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<qint64>("declared"); // the size the archive records, when it lies
        QTest::addColumn<QString>("message");
        // What the row-by-row reader says, where it differs; empty when it reads the file.
        QTest::addColumn<QString>("streamMessage");
        const QString rels = QStringLiteral("xl/_rels/workbook.xml.rels");
        const QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
        const QString strings = QStringLiteral("xl/sharedStrings.xml");
        const auto cell = [](const QByteArray &ref) {
            return sheetXml("<row><c r=\"" + ref + "\"><v>1</v></c></row>");
        };
        const auto add = [](const char *name, const QString &part, const QByteArray &content,
                            const QString &message, const QString *streamMessage = nullptr) {
            QTest::newRow(name) << part << content << QByteArray() << 0 << QByteArray() << qint64(0)
                                << message << (streamMessage ? *streamMessage : message);
        };

        add("sheet above the package root", rels, relationshipsXml("../../../x"),
            QStringLiteral("工作簿指向文件之外的“../../../x”"));
        add("absolute path above the root", rels, relationshipsXml("/../xl/worksheets/sheet1.xml"),
            QStringLiteral("文件之外"));
        add("sheet in another file", rels,
            relationshipsXml("file:///etc/passwd", "TargetMode=\"External\""),
            QStringLiteral("文件之外"));
        add("column letters overflowing", sheet, cell("AAAAAAAAAA1"),
            QStringLiteral("单元格位置“AAAAAAAAAA1”无效"));
        add("full-width column letters", sheet,
            cell("\xef\xbc\xa1\xef\xbc\xa2"
                 "1"),
            QStringLiteral("单元格位置“ＡＢ1”无效"));
        add("lower-case column letters", sheet, cell("ab1"), QStringLiteral("单元格位置“ab1”无效"));
        add("column after XFD", sheet, cell("XFE1"), QStringLiteral("单元格位置“XFE1”无效"));
        add("row after the last", sheet, cell("A1048577"),
            QStringLiteral("单元格位置“A1048577”无效"));
        add("cell row at INT_MAX", sheet, cell("A2147483647"),
            QStringLiteral("单元格位置“A2147483647”无效"));
        add("row number at INT_MAX", sheet, sheetXml("<row r=\"2147483647\"><c><v>1</v></c></row>"),
            QStringLiteral("行号“2147483647”无效"));
        add("row number past 64 bits", sheet,
            sheetXml("<row r=\"99999999999999999999999\"><c><v>1</v></c></row>"),
            QStringLiteral("行号“99999999999999999999…”无效"));
        add("unnumbered row after the last", sheet,
            sheetXml("<row r=\"1048576\"/><row><c><v>1</v></c></row>"),
            QStringLiteral("工作表超过了 1048576 行"));
        add("unnamed cell after XFD", sheet,
            sheetXml("<row r=\"3\"><c r=\"XFD3\"><v>1</v></c><c><v>2</v></c></row>"),
            QStringLiteral("第 3 行超过了 16384 列"));
        add("entities in a document type", sheet,
            kXmlHead +
                "<!DOCTYPE worksheet [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">"
                "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet " +
                kMain + "><sheetData><row><c t=\"inlineStr\"><is><t>&b;</t></is></c></row>" +
                "</sheetData></worksheet>",
            QStringLiteral("xl/worksheets/sheet1.xml 含有文档类型声明(DTD)"));
        add("text of a million characters", sheet,
            sheetXml("<row><c t=\"inlineStr\"><is><t>" + QByteArray(1100000, 'a') +
                     "</t></is></c></row>"),
            QStringLiteral("xl/worksheets/sheet1.xml 中有一段文本超过 1048576 个字符"));
        // The XML reader compares the attributes of a tag pairwise: a million would take it
        // half an hour.
        QByteArray attributes;
        for (int i = 0; i < 1000000; ++i)
            attributes += " a" + QByteArray::number(i, 36) + "=\"\"";
        add("a million attributes", sheet, sheetXml("<row><c" + attributes + "><v>1</v></c></row>"),
            QStringLiteral("xl/worksheets/sheet1.xml 中有一个元素的属性超过了 256 个"));
        const auto namespaces = [](int from) {
            QByteArray declarations;
            for (int i = from; i < from + 40; ++i)
                declarations +=
                    " xmlns:n" + QByteArray::number(i) + "=\"urn:" + QByteArray::number(i) + "\"";
            return declarations;
        };
        // The row-by-row reader keeps no namespaces.
        const QString readsIt;
        add("too many namespaces in force", sheet,
            sheetXml("<row><c><extLst" + namespaces(0) + "><ext" + namespaces(40) +
                     "/></extLst><v>1</v></c></row>"),
            QStringLiteral("xl/worksheets/sheet1.xml 中同时有效的命名空间超过了 64 个"), &readsIt);
        const QString crossed =
            QStringLiteral("xl/worksheets/sheet1.xml 中的元素没有正确结束：</row>");
        add("broken XML", sheet, sheetXml("<row><c><v>1</v></row>"),
            QStringLiteral("xl/worksheets/sheet1.xml 第 2 行有误"), &crossed);

        // Ten million open elements in 30 MB would make the XML reader hold 1.7 GB.
        QTest::newRow("deep nesting")
            << sheet << sheetXml("").replace("</sheetData></worksheet>", "")
            << QByteArray("<a>").repeated(1 << 20) << 10 << QByteArray() << qint64(0)
            << QStringLiteral("xl/worksheets/sheet1.xml 中的元素嵌套超过了 64 层")
            << QStringLiteral("xl/worksheets/sheet1.xml 中的元素嵌套超过了 64 层");
        // 4.8 GB of shared strings from 5 MB of file: refused by the size the archive records.
        const QByteArray titles = QByteArray("<si><t>书名</t></si>").repeated(65536); // 1.4 MB
        QTest::newRow("shared strings bomb")
            << strings << sharedStringsXml("").replace("</sst>", "") << titles << 3575
            << QByteArray("</sst>") << qint64(0)
            << QStringLiteral("xl/sharedStrings.xml 解压后有 4.8 GB，超过了 1.0 GB")
            << QStringLiteral("xl/sharedStrings.xml 解压后有 4.8 GB，超过了 1.0 GB");
        // The same, recorded as 10 MB: unpacking stops there, in the middle of the XML.
        QTest::newRow("shared strings bomb lying about its size")
            << strings << sharedStringsXml("").replace("</sst>", "") << titles << 3575
            << QByteArray("</sst>") << qint64(10 << 20)
            << QStringLiteral("xl/sharedStrings.xml 第 2 行有误")
            << QStringLiteral("xl/sharedStrings.xml 第 2 行有误");
        // One text of 525 MB, under the cap of the part: refused once a step of the XML
        // reader passes 8 MB.
        QTest::newRow("one endless shared string")
            << strings << sharedStringsXml("<si><t>").replace("</sst>", "")
            << QByteArray("书名").repeated(1 << 17) << 700 << QByteArray("</t></si></sst>")
            << qint64(0) << QStringLiteral("xl/sharedStrings.xml 中有一项内容超过 8.0 MB")
            << QStringLiteral("xl/sharedStrings.xml 中有一项内容超过 8.0 MB");
        QTest::newRow("sheet bomb") << sheet << sheetXml("").replace("</sheetData></worksheet>", "")
                                    << QByteArray("<row><c><v>1</v></c></row>").repeated(40000)
                                    << 5000 << QByteArray("</sheetData></worksheet>") << qint64(0)
                                    << QStringLiteral("解压后有 4.8 GB，超过了 1.0 GB")
                                    << QStringLiteral("解压后有 4.8 GB，超过了 1.0 GB");
        // Two million cell styles of a few bytes each.
        QTest::newRow("too many styles")
            << QStringLiteral("xl/styles.xml") << kXmlHead + "<styleSheet " + kMain + "><cellXfs>"
            << QByteArray("<xf numFmtId=\"14\"/>").repeated(65536) << 32
            << QByteArray("</cellXfs></styleSheet>") << qint64(0)
            << QStringLiteral("样式超过了 1048576 个") << QStringLiteral("样式超过了 1048576 个");
    }

    void hostileFilesAreRefused()
    {
        QFETCH(QString, part);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, chunk);
        QFETCH(int, copies);
        QFETCH(QByteArray, tail);
        QFETCH(qint64, declared);
        QFETCH(QString, message);
        QFETCH(QString, streamMessage);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("书目.xlsx"));
        Parts parts = smallWorkbook();
        RepeatedPart big;
        if (copies > 0)
            big = {part, content, chunk, copies, tail, declared};
        else
            parts[part] = content;
        QVERIFY(writePackage(path, parts, big));

        resetPeakMemory();
        SheetData sheet;
        QString error;
        QVERIFY(!XlsxReader::read(path, &sheet, &error));
        QVERIFY2(error.startsWith(QStringLiteral("文件已损坏或太大：") + path), qPrintable(error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(sheet.rowCount(), 0);
        qint64 peak = peakMemoryMb();
        QVERIFY2(peak < kMemoryBudgetMb, qPrintable(QStringLiteral("%1 MB").arg(peak)));

        // The same file read row by row, as the imports read it.
        resetPeakMemory();
        SheetReader reader;
        error.clear();
        const bool opened = reader.open(path, &error);
        if (streamMessage.isEmpty()) {
            QVERIFY2(opened, qPrintable(error));
        } else {
            QVERIFY(!opened);
            QVERIFY2(error.startsWith(QStringLiteral("文件已损坏或太大：") + path),
                     qPrintable(error));
            QVERIFY2(error.contains(streamMessage), qPrintable(error));
        }
        peak = peakMemoryMb();
        QVERIFY2(peak < kMemoryBudgetMb, qPrintable(QStringLiteral("%1 MB").arg(peak)));
    }

    // The unpacking library would hold a table of every part of the package and walk it
    // for each part the reader asks for.
    void tooManyParts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("书目.xlsx"));
        {
            QuaZip zip(path);
            QVERIFY(zip.open(QuaZip::mdCreate));
            const Parts parts = smallWorkbook();
            for (auto it = parts.begin(); it != parts.end(); ++it) {
                QuaZipFile file(&zip);
                QVERIFY(file.open(QIODevice::WriteOnly, QuaZipNewInfo(it.key())));
                file.write(it.value());
            }
            for (int i = parts.size(); i <= 100000; ++i) {
                QuaZipFile file(&zip);
                QVERIFY(file.open(QIODevice::WriteOnly,
                                  QuaZipNewInfo(QStringLiteral("xl/media/%1.png").arg(i)), nullptr,
                                  0, 0, 0));
            }
        }
        SheetData sheet;
        QString error;
        QVERIFY(!XlsxReader::read(path, &sheet, &error));
        QVERIFY2(error.contains(QStringLiteral("文件中的部件超过了 100000 个")), qPrintable(error));
    }

    // A cell at the last place a sheet has: the used range spans the whole sheet, but only
    // the cells with a value take memory.
    void farCellIsHeldSparsely()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("远.xlsx"));
        Parts parts = smallWorkbook();
        parts[QStringLiteral("xl/worksheets/sheet1.xml")] =
            sheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
                     "<row r=\"1048576\"><c r=\"XFD1048576\"><v>7</v></c></row>");
        QVERIFY(writePackage(path, parts));
        resetPeakMemory();
        SheetData sheet;
        QString error;
        QVERIFY2(XlsxReader::read(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.rowCount(), 1048576);
        QCOMPARE(sheet.columnCount, 16384);
        QCOMPARE(sheet.valueCount(), 2);
        QCOMPARE(sheet.cell(0, 0), QVariant(QStringLiteral("红楼梦")));
        QCOMPARE(sheet.cell(1048575, 16383), QVariant(qlonglong(7)));
        QVERIFY(!sheet.cell(1048575, 16382).isValid());
        QCOMPARE(sheet.row(0), QVariantList{QStringLiteral("红楼梦")});
        QVERIFY(sheet.row(500000).isEmpty());
        QCOMPARE(sheet.row(1048575).size(), 16384);
        const qint64 peak = peakMemoryMb();
        QVERIFY2(peak < kMemoryBudgetMb, qPrintable(QStringLiteral("%1 MB").arg(peak)));
    }

    void cellsOutOfOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("乱序.xlsx"));
        Parts parts = smallWorkbook();
        parts[QStringLiteral("xl/worksheets/sheet1.xml")] =
            sheetXml("<row r=\"3\"><c r=\"C3\"><v>1</v></c><c r=\"A3\"><v>2</v></c></row>"
                     "<row r=\"1\"><c r=\"B1\"><v>3</v></c><c r=\"B1\"><v>4</v></c></row>");
        QVERIFY(writePackage(path, parts));
        SheetData sheet;
        QString error;
        QVERIFY2(XlsxReader::read(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.rowCount(), 3);
        QCOMPARE(sheet.columnCount, 3);
        // Of two cells at one place the later one counts.
        QCOMPARE(sheet.row(0), (QVariantList{QVariant(), qlonglong(4)}));
        QVERIFY(sheet.row(1).isEmpty());
        QCOMPARE(sheet.row(2), (QVariantList{qlonglong(2), QVariant(), qlonglong(1)}));
    }

    // The caps on the size of a part, on the cells and on their text, shown with small
    // limits; the defaults take catalogues of hundreds of thousands of rows.
    void limitsOnSizeCellsAndText_data()
    {
        QTest::addColumn<XlsxReader::Limits>("limits");
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QString>("message"); // empty: read

        const QByteArray threeCells =
            "<row><c><v>1</v></c><c><v>2</v></c><c t=\"s\"><v>0</v></c></row>";
        XlsxReader::Limits cells;
        cells.cells = 3;
        QTest::newRow("cells at the cap") << cells << threeCells << QString();
        QTest::newRow("cells over the cap") << cells << threeCells + "<row><c><v>4</v></c></row>"
                                            << QStringLiteral("工作表中有值的单元格超过了 3 个");
        QTest::newRow("empty cells take nothing")
            << cells << threeCells + "<row><c/><c t=\"inlineStr\"><is><t></t></is></c></row>"
            << QString();

        XlsxReader::Limits text;
        text.textCharacters = 6; // 红楼梦 takes three
        const QByteArray inlineText = "<row><c t=\"inlineStr\"><is><t>西游</t></is></c>";
        QTest::newRow("texts at the cap")
            << text << inlineText + "<c t=\"str\"><v>记</v></c><c t=\"s\"><v>0</v></c></row>"
            << QString();
        QTest::newRow("a shared string is counted once")
            << text << inlineText + "<c t=\"s\"><v>0</v></c><c t=\"s\"><v>0</v></c></row>"
            << QString();
        QTest::newRow("inline texts over the cap")
            << text << inlineText + "<c t=\"inlineStr\"><is><t>水浒传全传</t></is></c></row>"
            << QStringLiteral("工作表中的文本超过了 6 个字符");
        QTest::newRow("text in place of a number over the cap")
            << text << inlineText + "<c><v>水浒传全传</v></c></row>"
            << QStringLiteral("工作表中的文本超过了 6 个字符");
        QTest::newRow("shared strings over the cap")
            << text << inlineText + "<c t=\"str\"><v>记记</v></c><c t=\"s\"><v>0</v></c></row>"
            << QStringLiteral("工作表中的文本超过了 6 个字符");

        XlsxReader::Limits size;
        size.partBytes = 2000;
        QTest::newRow("part under the cap") << size << threeCells << QString();
        QTest::newRow("part over the cap")
            << size << threeCells.repeated(100)
            << QStringLiteral("xl/worksheets/sheet1.xml 解压后有 6.2 KB，超过了 2.0 KB");
    }

    void limitsOnSizeCellsAndText()
    {
        QFETCH(XlsxReader::Limits, limits);
        QFETCH(QByteArray, rows);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("书目.xlsx"));
        Parts parts = smallWorkbook();
        parts[QStringLiteral("xl/worksheets/sheet1.xml")] = sheetXml(rows);
        QVERIFY(writePackage(path, parts));
        SheetData sheet;
        QString error;
        const bool ok = XlsxReader::read(path, &sheet, &error, limits);
        if (message.isEmpty()) {
            QVERIFY2(ok, qPrintable(error));
            QVERIFY(sheet.rowCount() > 0);
        } else {
            QVERIFY(!ok);
            QVERIFY2(error.contains(message), qPrintable(error));
        }
    }

    // Relationship targets that stay inside the package, written in the ways programs do.
    void sheetTargets_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("relative") << QByteArray("worksheets/sheet2.xml");
        QTest::newRow("absolute") << QByteArray("/xl/worksheets/sheet2.xml");
        QTest::newRow("dots") << QByteArray("./worksheets/../worksheets/sheet2.xml");
        QTest::newRow("up to the root and back") << QByteArray("../xl/worksheets/sheet2.xml");
    }

    void sheetTargets()
    {
        QFETCH(QByteArray, target);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("书目.xlsx"));
        Parts parts = smallWorkbook();
        parts[QStringLiteral("xl/_rels/workbook.xml.rels")] = relationshipsXml(target);
        parts[QStringLiteral("xl/worksheets/sheet2.xml")] = sheetXml("<row><c><v>2</v></c></row>");
        QVERIFY(writePackage(path, parts));
        SheetData sheet;
        QString error;
        QVERIFY2(XlsxReader::read(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(0, 0), QVariant(qlonglong(2)));
    }

    // Texts keep characters that XML cannot hold as _xHHHH_; "_x005F_" is the underscore
    // that keeps a literal "_xHHHH_". Shared strings, inline texts and sheet names alike.
    void escapedCharacters_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("line break")
            << QByteArray("行一_x000D__x000A_行二") << QStringLiteral("行一\r\n行二");
        QTest::newRow("escaped escape") << QByteArray("_x005F_x000D_") << QStringLiteral("_x000D_");
        QTest::newRow("NUL") << QByteArray("a_x0000_b") << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("lower-case digits") << QByteArray("caf_x00e9_") << QStringLiteral("café");
        QTest::newRow("surrogate pair")
            << QByteArray("_xD83D__xDCD6_") << QString::fromUtf8("\xf0\x9f\x93\x96");
        QTest::newRow("side by side") << QByteArray("_x0041__x0042_") << QStringLiteral("AB");
        QTest::newRow("not escapes") << QByteArray("_x00G1_ _x41_ _X0041_ x0041_ _x0041")
                                     << QStringLiteral("_x00G1_ _x41_ _X0041_ x0041_ _x0041");
    }

    void escapedCharacters()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("书目.xlsx"));
        Parts parts = smallWorkbook();
        parts[QStringLiteral("xl/workbook.xml")] =
            workbookXml("<sheet name=\"" + stored + "\" sheetId=\"1\" r:id=\"rId1\"/>");
        parts[QStringLiteral("xl/sharedStrings.xml")] =
            sharedStringsXml("<si><r><t>" + stored + "</t></r><r><t>" + stored + "</t></r></si>");
        parts[QStringLiteral("xl/worksheets/sheet1.xml")] =
            sheetXml("<row><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>" + stored +
                     "</t></is></c><c t=\"str\"><v>" + stored + "</v></c></row>");
        QVERIFY(writePackage(path, parts));
        SheetData sheet;
        QString error;
        QVERIFY2(XlsxReader::read(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.name, text);
        QCOMPARE(sheet.cell(0, 0).toString(), text + text); // one per run
        QCOMPARE(sheet.cell(0, 1).toString(), text);
        QCOMPARE(sheet.cell(0, 2).toString(), text);
    }
};

QTEST_GUILESS_MAIN(XlsxReaderTest)
#include "xlsxreader_test.moc"
