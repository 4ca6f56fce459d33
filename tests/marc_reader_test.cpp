// Reading MARC records (ISO 2709 and MARCXML) and what each record gives a book: the record
// splitting, the code pages, broken records, and the field rules of UNIMARC and MARC 21.
#include "MarcBytes.h"

#include "import/MarcBook.h"
#include "import/MarcReader.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList titles(const MarcReadResult &result)
{
    QStringList out;
    for (const MarcRecord &r : result.records)
        out << MarcBook::fromRecord(r).name;
    return out;
}

QString problems(const MarcReadResult &result)
{
    QStringList out;
    for (const MarcProblem &p : result.problems)
        out << p.text();
    return out.join(QLatin1Char('\n'));
}

MarcBook bookOf(const MarcFields &fields)
{
    const MarcReadResult result = MarcReader::readIso2709(marcRecord(fields));
    if (result.records.size() != 1)
        return MarcBook();
    return MarcBook::fromRecord(result.records.first());
}

// Two MARC 21 records in MARCXML: a Chinese book and a record with a title alone.
QByteArray xmlFixture()
{
    QFile file(QStringLiteral(TSGL_TEST_DATA "/marc/two-records.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class MarcReaderTest : public QObject {
    Q_OBJECT

private slots:
    // Records one after the other without line breaks are all read, not only the first.
    void recordsWithoutLineBreaks()
    {
        const QByteArray file = cnmarcBook(QStringLiteral("第一本"), QStringLiteral("7-111-1")) +
                                cnmarcBook(QStringLiteral("第二本")) +
                                cnmarcBook(QStringLiteral("第三本"));
        const MarcReadResult result = MarcReader::read(file);
        QCOMPARE(titles(result), QStringList({QStringLiteral("第一本"), QStringLiteral("第二本"),
                                              QStringLiteral("第三本")}));
        QVERIFY(result.problems.isEmpty());
        QCOMPARE(result.records.at(2).number, 3);
    }

    // One record per line, as older exports write them (with or without the record
    // terminator before the line break, with Windows line ends and blank lines).
    void recordsOnLines_data()
    {
        QTest::addColumn<QByteArray>("separator");
        QTest::newRow("terminator and CRLF") << QByteArray("\r\n");
        QTest::newRow("terminator and blank lines") << QByteArray("\n\n\n");
    }
    void recordsOnLines()
    {
        QFETCH(QByteArray, separator);
        const QByteArray file = cnmarcBook(QStringLiteral("甲")) + separator +
                                cnmarcBook(QStringLiteral("乙")) + separator;
        const MarcReadResult result = MarcReader::read(file);
        QCOMPARE(titles(result), QStringList({QStringLiteral("甲"), QStringLiteral("乙")}));
        QVERIFY2(result.problems.isEmpty(), qPrintable(problems(result)));
    }

    // A record ended by a line break without its terminator is taken when it is whole.
    void lineBreakInsteadOfTerminator()
    {
        QByteArray first = cnmarcBook(QStringLiteral("甲"));
        first.chop(1);
        const MarcReadResult result =
            MarcReader::read(first + "\n" + cnmarcBook(QStringLiteral("乙")));
        QCOMPARE(titles(result), QStringList({QStringLiteral("甲"), QStringLiteral("乙")}));
    }

    void codePages_data()
    {
        QTest::addColumn<int>("coding");
        QTest::newRow("GBK") << int(MarcCoding::Gbk);
        QTest::newRow("UTF-8 by the leader") << int(MarcCoding::Utf8Flagged);
        QTest::newRow("UTF-8 by its bytes") << int(MarcCoding::Utf8Unflagged);
    }
    void codePages()
    {
        QFETCH(int, coding);
        const QString title = QStringLiteral("数据库系统概论（第4版）·精装");
        const MarcReadResult result =
            MarcReader::read(cnmarcBook(title, QStringLiteral("978-7-04"), MarcCoding(coding)));
        QCOMPARE(result.records.size(), 1);
        const MarcBook book = MarcBook::fromRecord(result.records.first());
        QCOMPARE(book.name, title);
        QCOMPARE(book.author, QStringLiteral("张三著"));
        QCOMPARE(book.publisher, QStringLiteral("清华大学出版社"));
    }

    void codePageChecks()
    {
        QVERIFY(MarcReader::isValidGbk(Gbk::encode(QStringLiteral("图书"))));
        QVERIFY(!MarcReader::isValidUtf8(Gbk::encode(QStringLiteral("图书"))));
        QVERIFY(MarcReader::isValidUtf8(QStringLiteral("图书").toUtf8()));
        // "书" in UTF-8 is three bytes: the last one has no partner in GBK.
        QVERIFY(!MarcReader::isValidGbk(QStringLiteral("书").toUtf8()));
        QVERIFY(!MarcReader::isValidUtf8(QByteArray("\xE5\x9B", 2)));
        QVERIFY(!MarcReader::isValidUtf8(QByteArray("\xC0\xAF", 2))); // overlong "/"
    }

    // A broken record between two good ones is reported by its number and skipped.
    void brokenRecords_data()
    {
        QTest::addColumn<QByteArray>("broken");
        QTest::addColumn<QString>("reason");
        const QByteArray good = cnmarcBook(QStringLiteral("坏"));
        auto patched = [&good](int at, const QByteArray &bytes) {
            QByteArray b = good;
            b.replace(at, bytes.size(), bytes);
            return b;
        };
        QTest::newRow("length not a number") << patched(0, "0x2a1") << QStringLiteral("记录长度");
        QTest::newRow("base not a number") << patched(12, "00-99") << QStringLiteral("基地址");
        QTest::newRow("base beyond the record") << patched(12, "99999") << QStringLiteral("超出");
        QTest::newRow("base inside the leader") << patched(12, "00010") << QStringLiteral("超出");
        QTest::newRow("base off the directory's end")
            << patched(12, QByteArray::number(good.mid(12, 5).toInt() + 1).rightJustified(5, '0'))
            << QStringLiteral("目录区");
        QTest::newRow("directory entry not a number")
            << patched(27, "x") << QStringLiteral("目录区第1项");
        QByteArray missingField = good;
        missingField.remove(missingField.indexOf('\x1E', good.mid(12, 5).toInt()), 1);
        QTest::newRow("field terminator missing") << missingField << QStringLiteral("字段");
        QByteArray cut = good.left(good.size() - 20) + '\x1D';
        QTest::newRow("cut off") << cut << QStringLiteral("字段");
        QTest::newRow("too short") << QByteArray("00024nam  \x1D") << QStringLiteral("太短");
        QTest::newRow("longer than a record can be")
            << QByteArray(100000, '0') + '\x1D' << QStringLiteral("99999");
        QTest::newRow("text") << QByteArray("这不是MARC记录\n") << QStringLiteral("太短");
    }
    void brokenRecords()
    {
        QFETCH(QByteArray, broken);
        QFETCH(QString, reason);
        const QByteArray file =
            cnmarcBook(QStringLiteral("甲")) + broken + cnmarcBook(QStringLiteral("乙"));
        const MarcReadResult result = MarcReader::read(file);
        QCOMPARE(titles(result), QStringList({QStringLiteral("甲"), QStringLiteral("乙")}));
        QCOMPARE(result.problems.size(), 1);
        QCOMPARE(result.problems.first().record, 2);
        QVERIFY2(result.problems.first().text().startsWith(QStringLiteral("第2条记录: ")),
                 qPrintable(problems(result)));
        QVERIFY2(result.problems.first().message.contains(reason), qPrintable(problems(result)));
        QCOMPARE(result.records.last().number, 3);
    }

    // Random damage to good records never crashes the reader and never loses a record
    // silently: each one is read or reported.
    void damagedBytesNeverCrash()
    {
        const QByteArray good = cnmarcBook(QStringLiteral("数据库"), QStringLiteral("7-04"));
        QRandomGenerator random(14);
        for (int round = 0; round < 3000; ++round) {
            QByteArray b = good;
            const int changes = 1 + int(random.bounded(6));
            for (int i = 0; i < changes; ++i) {
                const int at = int(random.bounded(b.size()));
                switch (random.bounded(3)) {
                case 0:
                    b[at] = char(random.bounded(256));
                    break;
                case 1:
                    b.remove(at, 1 + int(random.bounded(8)));
                    break;
                default:
                    b.insert(at, char(random.bounded(256)));
                }
            }
            const MarcReadResult result = MarcReader::read(b);
            for (const MarcRecord &r : result.records)
                MarcBook::fromRecord(r).pageCount();
            QVERIFY(result.records.size() + result.problems.size() >= 1 || b.trimmed().isEmpty() ||
                    !result.error.isEmpty());
        }
    }

    void tooManyRecords()
    {
        QByteArray file;
        for (int i = 0; i < 5; ++i)
            file += cnmarcBook(QString::number(i));
        const MarcReadResult result = MarcReader::read(file, 3);
        QCOMPARE(result.records.size(), 3);
        QVERIFY(result.truncated);
        QVERIFY(result.error.contains(QStringLiteral("3条")));
    }

    void tooLargeOrMissingFile()
    {
        QTemporaryDir dir;
        const MarcReadResult missing = MarcReader::readFile(dir.filePath(QStringLiteral("无.iso")));
        QVERIFY(missing.records.isEmpty());
        QVERIFY(missing.error.startsWith(QStringLiteral("打开文件失败！")));
        QFile big(dir.filePath(QStringLiteral("big.iso")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(MarcReader::kMaxFileBytes + 1)); // sparse: no disk taken
        big.close();
        const MarcReadResult tooLarge = MarcReader::readFile(big.fileName());
        QVERIFY(tooLarge.records.isEmpty());
        QVERIFY(tooLarge.error.contains(QStringLiteral("文件太大")));
    }

    void marcXml()
    {
        const MarcReadResult result = MarcReader::read(xmlFixture());
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(result.records.size(), 2);
        const MarcBook book = MarcBook::fromRecord(result.records.first());
        QCOMPARE(book.name, QStringLiteral("数据库系统概论"));
        QCOMPARE(book.author, QStringLiteral("王珊, 萨师煊编著"));
        QCOMPARE(book.isbn, QStringLiteral("9787302147510"));
        QCOMPARE(book.price, QStringLiteral("39.00"));
        QCOMPARE(book.place, QStringLiteral("北京"));
        QCOMPARE(book.publisher, QStringLiteral("高等教育出版社"));
        QCOMPARE(book.published, QStringLiteral("2006"));
        QCOMPARE(book.pages, QStringLiteral("420页"));
        QCOMPARE(book.pageCount(), 420);
        QCOMPARE(book.size, QStringLiteral("26 cm"));
        QCOMPARE(MarcBook::fromRecord(result.records.at(1)).name, QStringLiteral("Second & last"));
    }

    // Records inside a catalogue server's answer (SRU), with a prefix for the namespace.
    void marcXmlInsideAnswer()
    {
        const QByteArray sru = QByteArrayLiteral(
            "<srw:searchRetrieveResponse xmlns:srw=\"http://www.loc.gov/zing/srw/\">"
            "<srw:records><srw:record><srw:recordData>"
            "<marc:record xmlns:marc=\"http://www.loc.gov/MARC21/slim\">"
            "<marc:datafield tag=\"245\" ind1=\"0\" ind2=\"0\">"
            "<marc:subfield code=\"a\">Title one :</marc:subfield>"
            "<marc:subfield code=\"b\">a subtitle /</marc:subfield></marc:datafield>"
            "</marc:record></srw:recordData></srw:record></srw:records>"
            "</srw:searchRetrieveResponse>");
        const MarcReadResult result = MarcReader::readXml(sru);
        QCOMPARE(result.records.size(), 1);
        QCOMPARE(MarcBook::fromRecord(result.records.first()).name,
                 QStringLiteral("Title one : a subtitle"));
    }

    // A record of more subfields than any catalogue writes is skipped, not held.
    void hugeXmlRecordSkipped()
    {
        QByteArray xml = "<collection xmlns=\"http://www.loc.gov/MARC21/slim\"><record>"
                         "<datafield tag=\"245\" ind1=\"0\" ind2=\"0\">";
        for (int i = 0; i < 5000; ++i)
            xml += "<subfield code=\"a\">x</subfield>";
        xml += "</datafield></record><record><datafield tag=\"245\" ind1=\"0\" ind2=\"0\">"
               "<subfield code=\"a\">Small</subfield></datafield></record></collection>";
        const MarcReadResult result = MarcReader::readXml(xml);
        QCOMPARE(titles(result), QStringList{QStringLiteral("Small")});
        QCOMPARE(result.problems.size(), 1);
        QCOMPARE(result.problems.first().record, 1);
    }

    void brokenXmlKeepsRecordsBefore()
    {
        QByteArray xml = xmlFixture();
        xml.truncate(xml.indexOf("Second"));
        const MarcReadResult result = MarcReader::read(xml);
        QCOMPARE(result.records.size(), 1);
        QVERIFY(result.error.contains(QStringLiteral("MARCXML")));
        QCOMPARE(result.problems.size(), 1);
        QCOMPARE(result.problems.first().record, 2);
    }

    // The UNIMARC field rules, one case per row: fields of the record, the preview column and
    // what it must show.
    void unimarcRules_data()
    {
        QTest::addColumn<MarcFields>("fields");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");
        const QString t200 = QStringLiteral("200");
        QTest::newRow("200 $a as the last subfield")
            << MarcFields{{t200, QStringLiteral("1 $f李四$a最后的题名")}} << 0
            << QStringLiteral("最后的题名");
        QTest::newRow("200 $a before $e")
            << MarcFields{{t200, QStringLiteral("1 $a正题名$e副题名")}} << 0
            << QStringLiteral("正题名");
        QTest::newRow("200 $f") << MarcFields{{t200, QStringLiteral("1 $a书$f王五编$g赵六译")}} << 1
                                << QStringLiteral("王五编");
        QTest::newRow("200 without $f")
            << MarcFields{{t200, QStringLiteral("1 $a书")}} << 1 << QString();
        QTest::newRow("010 $a") << MarcFields{{QStringLiteral("010"),
                                               QStringLiteral(
                                                   "  $a978-7-302-14751-0$bpbk.$dCNY25.00")}}
                                << 2 << QStringLiteral("978-7-302-14751-0");
        QTest::newRow("CNY25.00") << MarcFields{{QStringLiteral("010"),
                                                 QStringLiteral("  $a7-1$dCNY25.00")}}
                                  << 3 << QStringLiteral("25.00");
        QTest::newRow("CNY25") << MarcFields{{QStringLiteral("010"),
                                              QStringLiteral("  $a7-1$dCNY25")}}
                               << 3 << QString();
        QTest::newRow("no CNY") << MarcFields{{QStringLiteral("010"),
                                               QStringLiteral("  $a7-1$dUSD25.00")}}
                                << 3 << QString();
        QTest::newRow("210 $a") << MarcFields{{QStringLiteral("210"),
                                               QStringLiteral("  $a上海$c上海人民出版社$d2008.10")}}
                                << 4 << QStringLiteral("上海");
        QTest::newRow("210 $c") << MarcFields{{QStringLiteral("210"),
                                               QStringLiteral("  $a上海$c上海人民出版社$d2008.10")}}
                                << 5 << QStringLiteral("上海人民出版社");
        QTest::newRow("210 $d 8 characters")
            << MarcFields{{QStringLiteral("210"), QStringLiteral("  $d2008.10.01 印刷")}} << 6
            << QStringLiteral("2008.10.");
        QTest::newRow("210 $d short, next subfield not taken")
            << MarcFields{{QStringLiteral("210"), QStringLiteral("  $d2005$h北京")}} << 6
            << QStringLiteral("2005");
        QTest::newRow("215 356页")
            << MarcFields{{QStringLiteral("215"), QStringLiteral("  $a356页$d26cm")}} << 7
            << QStringLiteral("356页");
        QTest::newRow("215 without 页")
            << MarcFields{{QStringLiteral("215"), QStringLiteral("  $a1册$d26cm")}} << 7
            << QString();
        QTest::newRow("215 $d") << MarcFields{{QStringLiteral("215"),
                                               QStringLiteral("  $a356页$d26cm")}}
                                << 8 << QStringLiteral("26cm");
        QTest::newRow("215 all after $e")
            << MarcFields{{QStringLiteral("215"), QStringLiteral("  $a356页$e光盘1张$f另册")}} << 9
            << QStringLiteral("光盘1张$f另册");
        QTest::newRow("690 $a") << MarcFields{{QStringLiteral("690"),
                                               QStringLiteral("  $aTP311.13$v4")}}
                                << 10 << QStringLiteral("TP311.13");
        QTest::newRow("690 last occurrence wins")
            << MarcFields{{QStringLiteral("690"), QStringLiteral("  $aA1")},
                          {QStringLiteral("690"), QStringLiteral("  $aB2")}}
            << 10 << QStringLiteral("B2");
        QTest::newRow("606 $a") << MarcFields{{QStringLiteral("606"),
                                               QStringLiteral("0 $a数据库系统$x教材")}}
                                << 11 << QStringLiteral("数据库系统");
        QTest::newRow("330 all after $a")
            << MarcFields{{QStringLiteral("330"), QStringLiteral("  $a介绍原理。$b续")}} << 12
            << QStringLiteral("介绍原理。$b续");
        QTest::newRow("quotes kept") << MarcFields{{t200, QStringLiteral("1 $aO'Brien \"引号\"")}}
                                     << 0 << QStringLiteral("O'Brien \"引号\"");
    }
    void unimarcRules()
    {
        QFETCH(MarcFields, fields);
        QFETCH(int, column);
        QFETCH(QString, expected);
        QCOMPARE(bookOf(fields).previewTexts().at(column), expected);
    }

    // Every value starts empty for each record: one without 010 does not keep the ISBN or the
    // price of the record before it.
    void recordWithout010AfterOneWithIt()
    {
        const MarcReadResult result =
            MarcReader::read(cnmarcBook(QStringLiteral("甲"), QStringLiteral("7-111")) +
                             cnmarcBook(QStringLiteral("乙")));
        QCOMPARE(result.records.size(), 2);
        const MarcBook first = MarcBook::fromRecord(result.records.at(0));
        const MarcBook second = MarcBook::fromRecord(result.records.at(1));
        QCOMPARE(first.isbn, QStringLiteral("7-111"));
        QCOMPARE(first.price, QStringLiteral("25.00"));
        QVERIFY(second.isbn.isEmpty());
        QVERIFY(second.price.isEmpty());
    }

    void pageCount_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<int>("count");
        QTest::newRow("356页") << QStringLiteral("356页") << 356;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("plain number") << QStringLiteral("120") << 120;
        QTest::newRow("roman and arabic") << QStringLiteral("xii, 356 p.") << 356;
        QTest::newRow("volume and pages") << QStringLiteral("1册(356页") << 356;
        QTest::newRow("pages word") << QStringLiteral("210 pages") << 210;
        QTest::newRow("no number") << QStringLiteral("1 v. (various pagings)") << 0;
        QTest::newRow("too large") << QStringLiteral("99999999999页") << 0;
    }
    void pageCount()
    {
        QFETCH(QString, pages);
        QFETCH(int, count);
        MarcBook book;
        book.pages = pages;
        QCOMPARE(book.pageCount(), count);
    }

    void marc21Record()
    {
        const MarcBook book = bookOf(
            {{QStringLiteral("001"), QStringLiteral("ocm123")},
             {QStringLiteral("020"), QStringLiteral("  $a0131103628 (pbk.)$c£45.00")},
             {QStringLiteral("050"), QStringLiteral("00$aQA76.73.C15$bK47 1988")},
             {QStringLiteral("082"), QStringLiteral("00$a005.13/3$219")},
             {QStringLiteral("100"), QStringLiteral("1 $aKernighan, Brian W.")},
             {QStringLiteral("245"),
              QStringLiteral(
                  "14$aThe C programming language /$cBrian W. Kernighan, Dennis M. Ritchie.")},
             {QStringLiteral("260"),
              QStringLiteral("  $aEnglewood Cliffs, N.J. :$bPrentice Hall,$cc1988.")},
             {QStringLiteral("300"), QStringLiteral("  $axii, 272 p. ;$c24 cm.")},
             {QStringLiteral("520"), QStringLiteral("  $aThe classic book on C.")},
             {QStringLiteral("650"), QStringLiteral(" 0$aC (Computer program language)")}});
        QCOMPARE(book.name, QStringLiteral("The C programming language"));
        QCOMPARE(book.author, QStringLiteral("Brian W. Kernighan, Dennis M. Ritchie"));
        QCOMPARE(book.isbn, QStringLiteral("0131103628"));
        QCOMPARE(book.price, QStringLiteral("45.00"));
        QCOMPARE(book.place, QStringLiteral("Englewood Cliffs, N.J."));
        QCOMPARE(book.publisher, QStringLiteral("Prentice Hall"));
        QCOMPARE(book.published, QStringLiteral("c1988"));
        QCOMPARE(book.pages, QStringLiteral("xii, 272 p."));
        QCOMPARE(book.pageCount(), 272);
        QCOMPARE(book.size, QStringLiteral("24 cm"));
        QCOMPARE(book.summary, QStringLiteral("The classic book on C."));
        QCOMPARE(book.className, QStringLiteral("C (Computer program language)"));
        QCOMPARE(book.classNumber, QStringLiteral("005.13/3"));
    }

    // Without 245 $c the author is the main entry; without 082 the class number is 050's.
    void marc21Fallbacks()
    {
        const MarcBook book =
            bookOf({{QStringLiteral("050"), QStringLiteral("00$aQA76.73")},
                    {QStringLiteral("100"), QStringLiteral("1 $aRitchie, Dennis M.,")},
                    {QStringLiteral("245"), QStringLiteral("10$aUnix.")}});
        QCOMPARE(book.author, QStringLiteral("Ritchie, Dennis M."));
        QCOMPARE(book.classNumber, QStringLiteral("QA76.73"));
        QCOMPARE(book.name, QStringLiteral("Unix"));
    }
};

QTEST_GUILESS_MAIN(MarcReaderTest)
#include "marc_reader_test.moc"
