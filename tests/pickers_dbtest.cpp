// The statements of the reader and item pickers: the first list is capped and in the order of
// entry, the searches by name, pinyin initials and number match the typed text literally, and
// the item kind names one of the two item tables.
#include "TestDb.h"

#include "circulation/BorrowPickers.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

void addReader(const QString &number, const QString &name, const QString &py)
{
    Statement st(QStringLiteral("insert into 读者库(读者编号,读者姓名,py,状态) values("));
    st.value(number).text(",").value(name).text(",").value(py).text(",'正常')");
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

void addItem(const QString &table, const QString &number, const QString &name, const QString &py,
             const QString &barcode = QStringLiteral("n"))
{
    Statement st(QStringLiteral("insert into ") + table + "(编号,名称,py,条形码,数量) values(");
    st.value(number).text(",").value(name).text(",").value(py).text(",").value(barcode).text(",1)");
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

// The first column of every row the statement gives, in order.
QStringList column(const Statement &st, const QString &field)
{
    QStringList out;
    QSqlQuery q = st.exec();
    if (!q.isActive())
        qWarning() << Statement::lastError(q);
    while (q.next())
        out << q.value(field).toString();
    return out;
}

} // namespace

class PickersTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstListIsCappedInOrderOfEntry();
    void readerSearch_data();
    void readerSearch();
    void itemSearch_data();
    void itemSearch();
    void kindIsChecked_data();
    void kindIsChecked();
    void chosenValue_data();
    void chosenValue();

private:
    std::unique_ptr<TestDb> m_db;
};

void PickersTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
}

void PickersTest::firstListIsCappedInOrderOfEntry()
{
    // Numbers entered against their sort order: the list keeps the order of entry.
    QSqlDatabase db = m_db->db();
    QVERIFY(db.transaction());
    for (int i = 0; i < BorrowPickers::kFirstRows + 5; ++i) {
        const QString n = QStringLiteral("R%1").arg(999 - i);
        addReader(n, QStringLiteral("读者%1").arg(i), QStringLiteral("dz"));
        addItem(QStringLiteral("图书"), n, QStringLiteral("书%1").arg(i), QStringLiteral("s"));
    }
    QVERIFY(db.commit());

    const QStringList readers =
        column(BorrowPickers::readerFirstList(), QStringLiteral("读者编号"));
    QCOMPARE(readers.size(), BorrowPickers::kFirstRows);
    QCOMPARE(readers.first(), QStringLiteral("R999"));
    QCOMPARE(readers.last(), QStringLiteral("R800"));

    const BorrowPickers::ItemQuery books = BorrowPickers::itemFirstList(QStringLiteral("图书"));
    QVERIFY(books.ok);
    const QStringList numbers = column(books.statement, QStringLiteral("编号"));
    QCOMPARE(numbers.size(), BorrowPickers::kFirstRows);
    QCOMPARE(numbers.first(), QStringLiteral("R999"));

    // A search has no row limit.
    QCOMPARE(column(BorrowPickers::readersByName(QStringLiteral("读者")), "读者编号").size(),
             BorrowPickers::kFirstRows + 5);
}

void PickersTest::readerSearch_data()
{
    QTest::addColumn<bool>("byNumber");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("one character of the name") << false << "三" << QStringList{"001", "003"};
    QTest::newRow("initials") << false << "zs" << QStringList{"001", "002"};
    QTest::newRow("initials in capitals") << false << "ZS" << QStringList{"001", "002"};
    QTest::newRow("part of the number") << true << "00" << QStringList{"001", "002", "003"};
    QTest::newRow("a typed % is no wildcard") << true << "%1" << QStringList{"A%1"};
    QTest::newRow("a typed _ is no wildcard") << true << "0_1" << QStringList{};
    QTest::newRow("a quote is matched literally") << false << "O'B" << QStringList{"O'B"};
    QTest::newRow("nothing") << false << "无此人" << QStringList{};
}

void PickersTest::readerSearch()
{
    QFETCH(bool, byNumber);
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    addReader(QStringLiteral("001"), QStringLiteral("张三"), QStringLiteral("zs"));
    addReader(QStringLiteral("002"), QStringLiteral("赵顺"), QStringLiteral("zs"));
    addReader(QStringLiteral("003"), QStringLiteral("李三"), QStringLiteral("ls"));
    addReader(QStringLiteral("A%1"), QStringLiteral("王五00"), QStringLiteral("ww"));
    addReader(QStringLiteral("O'B"), QStringLiteral("O'Brien"), QStringLiteral("ob"));
    const Statement st =
        byNumber ? BorrowPickers::readersByNumber(text) : BorrowPickers::readersByName(text);
    QCOMPARE(column(st, QStringLiteral("读者编号")), found);
}

void PickersTest::itemSearch_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("byNumber");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("book by title") << "图书" << false << "红楼" << QStringList{"B1"};
    QTest::newRow("book by initials") << "图书" << false << "hlm" << QStringList{"B1"};
    QTest::newRow("book by number") << "图书" << true << "B" << QStringList{"B1", "B%2"};
    QTest::newRow("book number with %") << "图书" << true << "B%" << QStringList{"B%2"};
    QTest::newRow("periodicals only") << "期刊" << false << "读者" << QStringList{"Q1"};
    QTest::newRow("periodical by number") << "期刊" << true << "Q" << QStringList{"Q1"};
}

void PickersTest::itemSearch()
{
    QFETCH(QString, kind);
    QFETCH(bool, byNumber);
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("红楼梦"),
            QStringLiteral("hlm"));
    addItem(QStringLiteral("图书"), QStringLiteral("B%2"), QStringLiteral("读者文摘合订本"),
            QStringLiteral("dzwzhdb"));
    addItem(QStringLiteral("期刊"), QStringLiteral("Q1"), QStringLiteral("读者"),
            QStringLiteral("dz"));
    const BorrowPickers::ItemQuery q = byNumber ? BorrowPickers::itemsByNumber(kind, text)
                                                : BorrowPickers::itemsByName(kind, text);
    QVERIFY(q.ok);
    QCOMPARE(column(q.statement, QStringLiteral("编号")), found);
}

void PickersTest::kindIsChecked_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("table");
    QTest::newRow("books") << "图书"
                           << "图书";
    QTest::newRow("periodicals") << "期刊"
                                 << "期刊";
    QTest::newRow("another table") << "读者库"
                                   << "";
    QTest::newRow("sql text") << "图书; drop table 图书"
                              << "";
    QTest::newRow("empty") << ""
                           << "";
}

void PickersTest::kindIsChecked()
{
    QFETCH(QString, kind);
    QFETCH(QString, table);
    QCOMPARE(BorrowPickers::itemTable(kind), table);
    const BorrowPickers::ItemQuery q = BorrowPickers::itemsByName(kind, QStringLiteral("x"));
    QCOMPARE(q.ok, !table.isEmpty());
    if (!q.ok) {
        QVERIFY(q.message.contains(QStringLiteral("图书")));
        QVERIFY(q.statement.sql().isEmpty());
    }
}

void PickersTest::chosenValue_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<bool>("byBarcode");
    QTest::addColumn<QString>("value");
    QTest::newRow("number") << "690123" << false << "B1";
    QTest::newRow("barcode") << "690123" << true << "690123";
    QTest::newRow("no barcode") << "n" << true << "";
}

void PickersTest::chosenValue()
{
    QFETCH(QString, barcode);
    QFETCH(bool, byBarcode);
    QFETCH(QString, value);
    QCOMPARE(BorrowPickers::chosenItemValue(QStringLiteral("B1"), barcode, byBarcode), value);
}

QTEST_GUILESS_MAIN(PickersTest)
#include "pickers_dbtest.moc"
