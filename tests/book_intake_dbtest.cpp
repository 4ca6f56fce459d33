// Book intake: the call number of a classification, the publisher found from a barcode.
#include "TestDb.h"

#include "catalogue/CallNumber.h"
#include "catalogue/PublisherLookup.h"
#include "db/Statement.h"

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

QTEST_MAIN(BookIntakeDbTest)
#include "book_intake_dbtest.moc"
