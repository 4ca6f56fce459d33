// Book intake: the call number of a classification, the publisher found from a barcode.
#include "TestDb.h"

#include "catalogue/BookIntake.h"
#include "catalogue/CallNumber.h"
#include "catalogue/PublisherLookup.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/SchemaUpgrade.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

void addBook(const QString &number, const QString &classification, const QVariant &zch)
{
    Statement st(QStringLiteral("insert into 图书 (编号, 分类号, zch) values ("));
    st.value(number).text(QStringLiteral(", ")).value(classification).text(QStringLiteral(", "));
    st.value(zch).text(QStringLiteral(")"));
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

void addPublisher(const QString &name, const QString &isbn)
{
    Statement st(QStringLiteral("insert into 出版社名 (出版社名, ISBN) values ("));
    st.value(name).text(QStringLiteral(", ")).value(isbn).text(QStringLiteral(")"));
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9, 450));

BookIntake::BookForm sampleForm(const QString &number)
{
    BookIntake::BookForm f;
    f.texts = BookIntake::initialTexts();
    f.texts.insert(QStringLiteral("编号"), number);
    f.texts.insert(QStringLiteral("名称"), QStringLiteral(" 红楼梦 "));
    f.texts.insert(QStringLiteral("条形码"), QStringLiteral("9787020002207"));
    f.texts.insert(QStringLiteral("分类号"), QStringLiteral("I242.4"));
    f.texts.insert(QStringLiteral("索书号"), QStringLiteral("I242.4/3"));
    f.texts.insert(QStringLiteral("zch"), QStringLiteral("3"));
    f.texts.insert(QStringLiteral("数量"), QStringLiteral("2"));
    f.texts.insert(QStringLiteral("页数"), QStringLiteral("１２０"));
    f.texts.insert(QStringLiteral("价格"), QStringLiteral("59.8"));
    f.texts.insert(QStringLiteral("作者"), QStringLiteral("曹雪芹"));
    f.texts.insert(QStringLiteral("py"), QStringLiteral("HLM"));
    f.texts.insert(QStringLiteral("物品级别"), QStringLiteral("   "));
    f.texts.insert(QStringLiteral("来源"), QStringLiteral("捐赠"));
    f.texts.insert(QStringLiteral("捐赠人"), QStringLiteral(" 李四 "));
    f.texts.insert(QStringLiteral("简介"), QStringLiteral("第一行\n第二行"));
    f.documentPath = QStringLiteral(" /文档/红楼梦.pdf");
    f.published = QDate(2019, 7, 1);
    return f;
}

QSqlRecord book(const QString &number)
{
    Statement st(QStringLiteral("select * from 图书 where 编号="));
    st.value(number);
    QSqlQuery q = st.exec();
    return q.next() ? q.record() : QSqlRecord();
}

QStringList numbersWithZch()
{
    QSqlQuery q =
        Statement(QStringLiteral("select 编号, zch, 索书号 from 图书 order by 编号")).exec();
    QStringList out;
    while (q.next())
        out << q.value(0).toString() + QLatin1Char(' ') +
                   (q.value(1).isNull() ? QString() : q.value(1).toString()) + QLatin1Char(' ') +
                   q.value(2).toString();
    return out;
}

} // namespace

class BookIntakeDbTest : public QObject {
    Q_OBJECT
private slots:
    void callNumber_data();
    void callNumber();
    void callNumberNeedsClassification();
    void candidatePrefixes_data();
    void candidatePrefixes();
    void publisherByPrefixLength_data();
    void publisherByPrefixLength();
    void addWritesEveryColumn();
    void addRefusesStoredNumber();
    void addRefusesBadNumbers_data();
    void addRefusesBadNumbers();
    void addWithoutTmpA();
    void copiesGetConsecutiveCallNumbers();
    void copiesWithoutClassification();
    void numbering_data();
    void numbering();
    void barcodeTaken();
    void pickListsInOrderEntered();
    void labelCarriesBarcode();
    void publicationDateUpgrade();
};

void BookIntakeDbTest::callNumber_data()
{
    QTest::addColumn<QVariantList>("stored"); // zch of the rows of I247.5
    QTest::addColumn<int>("zch");
    QTest::newRow("1, 2, 7") << QVariantList{1, 2, 7} << 8;
    QTest::newRow("none") << QVariantList{} << 1;
    QTest::newRow("7 stored before 1 and 2") << QVariantList{7, 1, 2} << 8;
    // The book being edited is one of the stored rows: its own number counts.
    QTest::newRow("only the edited book, 5") << QVariantList{5} << 6;
    QTest::newRow("an empty zch beside 3") << QVariantList{QVariant(), 3} << 4;
    QTest::newRow("only empty zch") << QVariantList{QVariant()} << 1;
    QTest::newRow("zero and less") << QVariantList{0, -4} << 1;
}

// The highest zch of the classification plus one; other classifications do not count.
void BookIntakeDbTest::callNumber()
{
    QFETCH(QVariantList, stored);
    QFETCH(int, zch);
    TestDb t;
    TSGL_FRESH_DB(t);
    int n = 0;
    for (const QVariant &z : stored)
        addBook(QStringLiteral("B%1").arg(++n), QStringLiteral("I247.5"), z);
    addBook(QStringLiteral("X1"), QStringLiteral("I247.51"), 40);
    addBook(QStringLiteral("X2"), QStringLiteral("I247"), 30);

    const CallNumber::Result r = CallNumber::next(QStringLiteral("I247.5"));
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.zch, zch);
    QCOMPARE(r.callNumber, QStringLiteral("I247.5/%1").arg(zch));
}

void BookIntakeDbTest::callNumberNeedsClassification()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addBook(QStringLiteral("B1"), QString(), 9);
    const CallNumber::Result r = CallNumber::next(QString());
    QVERIFY(!r.ok);
    QVERIFY(r.callNumber.isEmpty());
    QCOMPARE(CallNumber::format(QStringLiteral("TP3"), 12), QStringLiteral("TP3/12"));
}

void BookIntakeDbTest::candidatePrefixes_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QStringList>("prefixes");
    QTest::newRow("13 digits") << QStringLiteral("9787500512345")
                               << QStringList{"7-50",    "7-500",    "7-5005",
                                              "7-50051", "7-500512", "7-5005123"};
    QTest::newRow("six characters") << QStringLiteral("978750") << QStringList{"7-50"};
    QTest::newRow("seven characters") << QStringLiteral("9787501") << QStringList{"7-50", "7-501"};
    QTest::newRow("four characters") << QStringLiteral("9787") << QStringList{};
    QTest::newRow("none") << QStringLiteral("n") << QStringList{};
}

void BookIntakeDbTest::candidatePrefixes()
{
    QFETCH(QString, barcode);
    QFETCH(QStringList, prefixes);
    QCOMPARE(PublisherLookup::candidatePrefixes(barcode), prefixes);
}

void BookIntakeDbTest::publisherByPrefixLength_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<QString>("name");
    // 7-5005 and 7-50051 are both stored: the shorter prefix wins.
    QTest::newRow("four digits") << QStringLiteral("9787500512345") << true
                                 << QStringLiteral("7-5005") << QStringLiteral("新华出版社");
    QTest::newRow("two digits") << QStringLiteral("9787020001234") << true << QStringLiteral("7-02")
                                << QStringLiteral("人民文学出版社");
    QTest::newRow("seven digits") << QStringLiteral("9787999999912") << true
                                  << QStringLiteral("7-9999999") << QStringLiteral("七位出版社");
    QTest::newRow("no publisher") << QStringLiteral("9787888812345") << false << QString()
                                  << QString();
    QTest::newRow("not a barcode") << QStringLiteral("n") << false << QString() << QString();
}

void BookIntakeDbTest::publisherByPrefixLength()
{
    QFETCH(QString, barcode);
    QFETCH(bool, found);
    QFETCH(QString, isbn);
    QFETCH(QString, name);
    TestDb t;
    TSGL_FRESH_DB(t);
    addPublisher(QStringLiteral("新华出版社"), QStringLiteral("7-5005"));
    addPublisher(QStringLiteral("新华出版社二"), QStringLiteral("7-50051"));
    addPublisher(QStringLiteral("人民文学出版社"), QStringLiteral("7-02"));
    addPublisher(QStringLiteral("七位出版社"), QStringLiteral("7-9999999"));
    addPublisher(QStringLiteral("错位出版社"),
                 QStringLiteral("7-7888")); // found only when read from the fourth character

    const PublisherLookup::Publisher p = PublisherLookup::find(barcode);
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.found, found);
    QCOMPARE(p.isbn, isbn);
    QCOMPARE(p.name, name);
}

void BookIntakeDbTest::addWritesEveryColumn()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("管理员甲");
    const BookIntake::Result r =
        BookIntake::add(sampleForm(QStringLiteral(" A01")), QStringLiteral(" A01"), kNow);
    QVERIFY2(r.ok, qPrintable(r.message));
    const QSqlRecord b = book(QStringLiteral(" A01")); // the number is stored untrimmed
    QVERIFY(!b.isEmpty());
    QCOMPARE(b.value("名称").toString(), QStringLiteral("红楼梦"));
    QCOMPARE(b.value("条形码").toString(), QStringLiteral("9787020002207"));
    QCOMPARE(b.value("zch").toInt(), 3);
    QCOMPARE(b.value("索书号").toString(), QStringLiteral("I242.4/3"));
    QCOMPARE(b.value("数量").toInt(), 2);
    QCOMPARE(b.value("页数").toInt(), 120);
    QCOMPARE(Money::fromVariant(b.value("价格")).toString(), QStringLiteral("59.8"));
    QCOMPARE(b.value("物品级别").toString(), QStringLiteral("普通"));
    QCOMPARE(b.value("捐赠人").toString(), QStringLiteral("李四"));
    QCOMPARE(b.value("状态").toString(), QStringLiteral("正常"));
    QCOMPARE(b.value("币种").toString(), QStringLiteral("人民币"));
    QCOMPARE(b.value("简介").toString(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(b.value("出版时间").toString(), QStringLiteral("2019-07-01"));
    QCOMPARE(b.value("图片地址").toString(), QStringLiteral(" /文档/红楼梦.pdf"));
    QCOMPARE(b.value("绝对地址").toString(), QStringLiteral(" /文档/红楼梦.pdf"));
    QCOMPARE(dateTimeFromSql(b.value("入库时间")), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    QCOMPARE(b.value("借出次数").toInt(), 0);
    QCOMPARE(b.value("登记人").toString(), QStringLiteral("管理员甲"));
    QCOMPARE(b.value("TmpA").toString(), QStringLiteral("2024-03-05 14:07:09+A"));
}

void BookIntakeDbTest::addRefusesStoredNumber()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(BookIntake::add(sampleForm("A01"), "A01", kNow).ok);
    const BookIntake::Result r = BookIntake::add(sampleForm("A01"), "A01", kNow);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("保存失败, 因为数据库中已经有这个编号了 (A01)"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书")).toInt(), 1);
}

void BookIntakeDbTest::addRefusesBadNumbers_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("页数") << "页数"
                          << "约200"
                          << "页数必须是整数:约200";
    QTest::newRow("数量") << "数量"
                          << "1.5"
                          << "数量必须是整数:1.5";
    QTest::newRow("价格") << "价格"
                          << "1.2.3"
                          << "价格必须是数字:1.2.3";
    QTest::newRow("种次号") << "zch"
                            << "3a"
                            << "种次号必须是整数:3a";
}

// Bad text in a number column is named, and nothing is written.
void BookIntakeDbTest::addRefusesBadNumbers()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    BookIntake::BookForm f = sampleForm("A01");
    f.texts.insert(column, text);
    const BookIntake::Result r = BookIntake::add(f, "A01", kNow);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书")).toInt(), 0);
}

void BookIntakeDbTest::addWithoutTmpA()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("alter table 图书 drop column TmpA")).run());
    t.db().close(); // the column list is read afresh
    QVERIFY(t.db().open());
    const BookIntake::Result r = BookIntake::add(sampleForm("A01"), "A01", kNow);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(book("A01").value("名称").toString(), QStringLiteral("红楼梦"));
}

// B12-1..3 with B12-2 stored already: the others are written with the next 种次号 each.
void BookIntakeDbTest::copiesGetConsecutiveCallNumbers()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addBook(QStringLiteral("B12-2"), QStringLiteral("K20"), 1);
    addBook(QStringLiteral("X"), QStringLiteral("I242.4"), 7);
    QStringList seen;
    const QVector<BookIntake::Result> results = BookIntake::addCopies(
        sampleForm(QStringLiteral("B12")), 3, QStringLiteral("-"),
        [&](const BookIntake::Result &r) { seen << r.number; }, kNow);
    QCOMPARE(seen, QStringList({"B12-1", "B12-2", "B12-3"}));
    QCOMPARE(results.size(), 3);
    QVERIFY(results[0].ok);
    QVERIFY(!results[1].ok);
    QCOMPARE(results[1].message, BookIntake::duplicateNumberMessage(QStringLiteral("B12-2")));
    QVERIFY(results[2].ok);
    QCOMPARE(results[0].callNumber, QStringLiteral("I242.4/8"));
    QCOMPARE(results[2].callNumber, QStringLiteral("I242.4/9"));
    QCOMPARE(numbersWithZch(),
             QStringList({"B12-1 8 I242.4/8", "B12-2 1 ", "B12-3 9 I242.4/9", "X 7 "}));
    QCOMPARE(book("B12-3").value("条形码").toString(), QStringLiteral("9787020002207"));
}

void BookIntakeDbTest::copiesWithoutClassification()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    BookIntake::BookForm f = sampleForm(QStringLiteral("C"));
    f.texts.insert(QStringLiteral("分类号"), QString());
    f.texts.insert(QStringLiteral("zch"), QString());
    f.texts.insert(QStringLiteral("索书号"), QStringLiteral("自定"));
    QCOMPARE(BookIntake::addCopies(f, 0, QStringLiteral("."), {}, kNow).size(), 0);
    const QVector<BookIntake::Result> results =
        BookIntake::addCopies(f, 2, QStringLiteral("."), {}, kNow);
    QVERIFY(results[0].ok && results[1].ok);
    QCOMPARE(numbersWithZch(), QStringList({"C.1  自定", "C.2  自定"}));
}

void BookIntakeDbTest::numbering_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("numbers"); // shown, then after two saves
    QTest::newRow("A0001") << " A "
                           << " 0001 " << QStringList{"A0001", "A0002", "A0003"};
    QTest::newRow("carry past the width") << "B"
                                          << "99" << QStringList{"B99", "B100", "B101"};
    QTest::newRow("no prefix") << ""
                               << "7" << QStringList{"7", "8", "9"};
    QTest::newRow("full-width start") << "C"
                                      << "００９" << QStringList{"C009", "C010", "C011"};
}

void BookIntakeDbTest::numbering()
{
    QFETCH(QString, prefix);
    QFETCH(QString, start);
    QFETCH(QStringList, numbers);
    BookIntake::Numbering n;
    QVERIFY(n.start(prefix, start));
    QStringList got{n.current()};
    got << n.advance();
    got << n.advance();
    QCOMPARE(got, numbers);
    BookIntake::Numbering bad;
    QVERIFY(!bad.start(QStringLiteral("A"), QStringLiteral("1.5")));
    QVERIFY(!bad.start(QStringLiteral("A"), QString()));
    QCOMPARE(bad.counter, 1);
}

void BookIntakeDbTest::barcodeTaken()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(BookIntake::add(sampleForm("A01"), "A01", kNow).ok);
    QVERIFY(BookIntake::barcodeTaken(QStringLiteral(" 9787020002207 ")));
    QVERIFY(!BookIntake::barcodeTaken(QStringLiteral("9787020002208")));
}

void BookIntakeDbTest::pickListsInOrderEntered()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (const char *name : {"乙类", "甲类", "丙类"})
        QVERIFY(Statement(QStringLiteral("insert into 分类 (名称) values ('%1')")
                              .arg(QString::fromUtf8(name)))
                    .run());
    QVERIFY(Statement(QStringLiteral("insert into a3 (名称) values ('三号')")).run());
    QString error;
    const BookIntake::PickLists l = BookIntake::loadPickLists(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // After the rows a new library starts with.
    QCOMPARE(l.classes.mid(l.classes.size() - 3), QStringList({"乙类", "甲类", "丙类"}));
    QCOMPARE(l.a3, QStringList({"三号"}));
}

// The barcode of the label carries the 条形码; the lines show the window's values.
void BookIntakeDbTest::labelCarriesBarcode()
{
    const ReportModel m = BookIntake::labelReport(
        {QStringLiteral("B12"), QStringLiteral("I242.4/8"), QStringLiteral("I242.4"),
         QStringLiteral("红楼梦"), QStringLiteral("9787020002207")});
    QCOMPARE(m.pageCount(), 1);
    const QVector<const ReportItem *> bars = m.items(0, QStringLiteral("barcode"));
    QCOMPARE(bars.size(), 1);
    QCOMPARE(bars.first()->barcode.symbology(), Barcode::Symbology::Code39);
    QCOMPARE(bars.first()->barcode.text(), QStringLiteral("9787020002207"));
    QVERIFY(bars.first()->barcode.hasBars());
    const QStringList texts = m.allTexts(0);
    for (const char *expected : {"编号:B12", "索书号:I242.4/8", "分类号:I242.4", "红楼梦"})
        QVERIFY2(texts.contains(QString::fromUtf8(expected)), qPrintable(texts.join('|')));
}

// A library whose 出版时间 was a date-time keeps its values as "yyyy-mm-dd" text.
void BookIntakeDbTest::publicationDateUpgrade()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const bool server = TestDb::wantsServer();
    if (server) {
        for (const char *table : {"图书", "期刊"})
            QVERIFY(Statement(QStringLiteral("alter table %1 alter column 出版时间 type "
                                             "timestamp(0) using 出版时间::timestamp(0)")
                                  .arg(QString::fromUtf8(table)))
                        .run());
    }
    const QStringList inserts = {
        "insert into 图书 (编号, 出版时间) values ('D1', '2019-07-01')",
        "insert into 图书 (编号, 出版时间) values ('D2', '2020-01-02 10:30:00')",
        "insert into 图书 (编号, 出版时间) values ('D3', NULL)",
        "insert into 期刊 (编号, 出版时间) values ('Q1', '2021-12-31')"};
    for (const QString &sql : inserts)
        QVERIFY2(Statement(sql).run(), qPrintable(sql));

    QStringList notes;
    QString error;
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QVERIFY2(SchemaUpgrade::run(t.db(), t.dialect(), &notes, &error), qPrintable(error));
    QCOMPARE(book("D1").value("出版时间").toString(), QStringLiteral("2019-07-01"));
    QCOMPARE(book("D2").value("出版时间").toString(), QStringLiteral("2020-01-02 10:30:00"));
    QVERIFY(book("D3").value("出版时间").isNull());
    QCOMPARE(scalar(QStringLiteral("select 出版时间 from 期刊 where 编号='Q1'")).toString(),
             QStringLiteral("2021-12-31"));
    // Text as typed is taken now.
    QVERIFY(Statement(QStringLiteral("insert into 图书 (编号, 出版时间) values ('D4', '2019年')"))
                .run());
    if (server)
        QCOMPARE(scalar(QStringLiteral("select data_type from information_schema.columns where "
                                       "table_name='图书' and column_name='出版时间'"))
                     .toString(),
                 QStringLiteral("character varying"));
}

QTEST_MAIN(BookIntakeDbTest)
#include "book_intake_dbtest.moc"
