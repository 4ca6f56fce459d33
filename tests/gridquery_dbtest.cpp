// The statements behind the result grid, run on the real database: totals over the same rows
// the grid shows, sorting and filtering by wrapping the statement, paging of a large result,
// and column names that are checked before they reach the SQL text.
#include "TestDb.h"

#include "db/Money.h"
#include "db/Statement.h"
#include "grid/GridQuery.h"
#include "grid/GridRows.h"

#include <QtTest>

namespace {

struct Book {
    const char *number;
    const char *name;
    const char *price; // NULL when empty
    int count;
};

// Five books: two with equal prices (for a stable sort), one without price, names with a
// quote, a percent sign and mixed-case Latin letters.
void insertBooks()
{
    const Book books[] = {
        {"B001", "数据库 ABC", "12.5", 3},    {"B002", "O'Brien 文集", "30.25", 1},
        {"B003", "打折 50% 特价", "12.5", 2}, {"B004", "abc 入门", nullptr, 4},
        {"B005", "历史", "7.0001", 0},
    };
    for (const Book &b : books) {
        Statement st("insert into 图书 (编号, 名称, 价格, 数量) values (");
        st.value(QString::fromUtf8(b.number)).text(", ").value(QString::fromUtf8(b.name));
        st.text(", ").value(b.price ? Money::parse(QString::fromUtf8(b.price))->toSql()
                                    : QVariant());
        st.text(", ").value(b.count).text(")");
        QString error;
        QVERIFY2(st.run(&error), qPrintable(error));
    }
}

QStringList numbersOf(const GridQuery &query)
{
    QStringList out;
    QSqlQuery q = query.rows().exec();
    while (q.next())
        out.append(q.value(QStringLiteral("编号")).toString());
    return out;
}

GridQuery loaded(const QString &sql, const QVariantList &values = {})
{
    GridQuery query(Statement(sql, values));
    QString error;
    if (!query.loadFieldNames(&error))
        qWarning("%s", qPrintable(error));
    return query;
}

} // namespace

class GridQueryTest : public QObject {
    Q_OBJECT
private slots:
    void totalsFollowTheFilter_data();
    void totalsFollowTheFilter();
    void sortWrapsTheStatement_data();
    void sortWrapsTheStatement();
    void unknownColumnsNeverReachTheSql_data();
    void unknownColumnsNeverReachTheSql();
    void baseOrderLeftOutWhereItCannotCount_data();
    void baseOrderLeftOutWhereItCannotCount();
    void distinctValuesIgnoreTheirOwnFilter();
    void rowsArePagedAndCounted();
    void failingStatementReportsTheDatabaseError();
};

void GridQueryTest::totalsFollowTheFilter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("kind"); // -1 = no filter
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("priceSum");
    QTest::addColumn<qint64>("countSum");

    QTest::newRow("no filter") << QString() << -1 << QVariant() << qint64(5)
                               << QStringLiteral("62.2501") << qint64(10);
    QTest::newRow("equals a money value")
        << QStringLiteral("价格") << int(GridQuery::FilterKind::Equals) << QVariant(12.5)
        << qint64(2) << QStringLiteral("25") << qint64(5);
    QTest::newRow("equals NULL means empty")
        << QStringLiteral("价格") << int(GridQuery::FilterKind::Equals) << QVariant() << qint64(1)
        << QStringLiteral("0") << qint64(4);
    QTest::newRow("contains ignores Latin case")
        << QStringLiteral("名称") << int(GridQuery::FilterKind::Contains)
        << QVariant(QStringLiteral("ABC")) << qint64(2) << QStringLiteral("12.5") << qint64(7);
    QTest::newRow("contains matches a percent sign literally")
        << QStringLiteral("名称") << int(GridQuery::FilterKind::Contains)
        << QVariant(QStringLiteral("50%")) << qint64(1) << QStringLiteral("12.5") << qint64(2);
    QTest::newRow("contains matches a quote literally")
        << QStringLiteral("名称") << int(GridQuery::FilterKind::Contains)
        << QVariant(QStringLiteral("O'B")) << qint64(1) << QStringLiteral("30.25") << qint64(1);
    QTest::newRow("contains on a number column")
        << QStringLiteral("数量") << int(GridQuery::FilterKind::Contains)
        << QVariant(QStringLiteral("4")) << qint64(1) << QStringLiteral("0") << qint64(4);
    QTest::newRow("field name in another letter case")
        << QStringLiteral("ISBN") << int(GridQuery::FilterKind::Equals) << QVariant() << qint64(5)
        << QStringLiteral("62.2501") << qint64(10);
}

void GridQueryTest::totalsFollowTheFilter()
{
    QFETCH(QString, field);
    QFETCH(int, kind);
    QFETCH(QVariant, value);
    QFETCH(qint64, count);
    QFETCH(QString, priceSum);
    QFETCH(qint64, countSum);
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    GridQuery query = loaded(QStringLiteral("select * from 图书"));
    if (kind >= 0)
        QVERIFY(query.setFilter(field, GridQuery::FilterKind(kind), value));

    qint64 rows = -1;
    QVariantList sums;
    QString error;
    QVERIFY2(
        query.loadTotals({QStringLiteral("价格"), QStringLiteral("数量")}, &rows, &sums, &error),
        qPrintable(error));
    QCOMPARE(rows, count);
    QCOMPARE(sums.size(), 2);
    QCOMPARE(Money::fromVariant(sums[0]).toString(), priceSum);
    QCOMPARE(sums[1].toLongLong(), countSum);
    // The grid's rows are the same rows the totals counted.
    QCOMPARE(numbersOf(query).size(), int(count));
}

void GridQueryTest::sortWrapsTheStatement_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QStringList>("numbers");

    const QString all = QStringLiteral("select * from 图书");
    // NULL sorts first or last depending on the database: the price cases leave it out.
    const QString priced = QStringLiteral("select * from 图书 where 价格 is not null");
    // Equal prices fall back to the key column, in the same direction.
    QTest::newRow("price ascending")
        << priced << QStringLiteral("价格") << false << QStringList{"B005", "B001", "B003", "B002"};
    QTest::newRow("price descending")
        << priced << QStringLiteral("价格") << true << QStringList{"B002", "B003", "B001", "B005"};
    QTest::newRow("count descending") << all << QStringLiteral("数量") << true
                                      << QStringList{"B004", "B001", "B003", "B002", "B005"};
    // The base's own order and its closing semicolon do not disturb the wrapping.
    QTest::newRow("base with order and semicolon")
        << QStringLiteral("select 编号, 名称, 价格 from 图书 where 价格 is not null order by 2;")
        << QStringLiteral("编号") << true << QStringList{"B005", "B003", "B002", "B001"};
    QTest::newRow("no sort keeps the base's order")
        << QStringLiteral("select * from 图书 where 价格 is not null order by 价格 desc, 1")
        << QString() << false << QStringList{"B002", "B001", "B003", "B005"};
}

void GridQueryTest::sortWrapsTheStatement()
{
    QFETCH(QString, base);
    QFETCH(QString, field);
    QFETCH(bool, descending);
    QFETCH(QStringList, numbers);
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    GridQuery query = loaded(base);
    query.setTieBreaker(QStringLiteral("编号"));
    if (!field.isEmpty())
        QVERIFY(query.setSort(field, descending ? Qt::DescendingOrder : Qt::AscendingOrder));
    QCOMPARE(numbersOf(query), numbers);
}

void GridQueryTest::unknownColumnsNeverReachTheSql_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("not a column") << QStringLiteral("作者名");
    QTest::newRow("injection") << QStringLiteral("名称; drop table 图书");
    QTest::newRow("quoted") << QStringLiteral("\"名称\"");
    QTest::newRow("expression") << QStringLiteral("1");
}

void GridQueryTest::unknownColumnsNeverReachTheSql()
{
    QFETCH(QString, field);
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    GridQuery query = loaded(QStringLiteral("select * from 图书"));
    const QString before = query.rows().sql();
    QString error;
    QVERIFY(!query.setSort(field, Qt::AscendingOrder, &error));
    QVERIFY(error.contains(field));
    QVERIFY(!query.setFilter(field, GridQuery::FilterKind::Contains, QStringLiteral("x"), &error));
    QCOMPARE(query.rows().sql(), before);
    QVERIFY(query.distinctValues(field, 10).sql().isEmpty());
    QVERIFY(!query.totals({field}).sql().contains(field));
    qint64 count = 0;
    QVariantList sums;
    QVERIFY(query.loadTotals({field}, &count, &sums));
    QCOMPARE(count, qint64(5));
    QVERIFY(sums.value(0).isNull());
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书")).toInt(), 5);
}

void GridQueryTest::baseOrderLeftOutWhereItCannotCount_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("leftOut");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("unsorted");
    const QStringList all = {"B001", "B002", "B003", "B004", "B005"};
    QTest::newRow("by positions") << "select * from 图书 order by 1,2" << true << 5 << all;
    QTest::newRow("by names and directions")
        << "select * from 图书 ORDER  BY 数量 desc, 编号 Asc" << true << 5
        << QStringList{"B004", "B001", "B003", "B002", "B005"};
    QTest::newRow("closing semicolon") << "select * from 图书 order by 编号 desc;" << true << 5
                                       << QStringList{"B005", "B004", "B003", "B002", "B001"};
    // What an order at the end decides stays: the rows a limit keeps, quoted text, a
    // sub-select's own order.
    QTest::newRow("with a limit") << "select * from 图书 order by 编号 limit 2" << false << 2
                                  << QStringList{"B001", "B002"};
    QTest::newRow("inside quotes") << "select * from 图书 where 名称 <> 'x order by 1'" << false
                                   << 5 << QStringList{};
    QTest::newRow("inside a sub-select")
        << "select * from (select * from 图书 order by 编号 desc) s" << false << 5
        << QStringList{};
    QTest::newRow("an expression") << "select * from 图书 order by 数量 + 1" << false << 5
                                   << QStringList{"B005", "B002", "B003", "B001", "B004"};
}

// The totals and a sort made outside have no use for the base's own order; the unsorted rows
// keep it.
void GridQueryTest::baseOrderLeftOutWhereItCannotCount()
{
    QFETCH(QString, base);
    QFETCH(bool, leftOut);
    QFETCH(int, count);
    QFETCH(QStringList, unsorted);
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    GridQuery query = loaded(base);
    query.setTieBreaker(QStringLiteral("编号"));
    const QString totals = query.totals({QStringLiteral("数量")}).sql();
    QCOMPARE(!totals.contains(QStringLiteral("order"), Qt::CaseInsensitive),
             leftOut || !base.contains(QStringLiteral("order"), Qt::CaseInsensitive));
    QVERIFY(totals.contains(QStringLiteral("'x order by 1'")) == base.contains("'x order by 1'"));
    qint64 rows = 0;
    QVERIFY(query.loadTotals({QStringLiteral("数量")}, &rows, nullptr));
    QCOMPARE(rows, qint64(count));
    if (!unsorted.isEmpty())
        QCOMPARE(numbersOf(query), unsorted);
    QVERIFY(query.setSort(QStringLiteral("名称"), Qt::AscendingOrder));
    QCOMPARE(numbersOf(query).size(), count);
    QCOMPARE(query.rows().sql().contains(QStringLiteral("order by 1,2")), false);
}

void GridQueryTest::distinctValuesIgnoreTheirOwnFilter()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    GridQuery query = loaded(QStringLiteral("select * from 图书"));
    QVERIFY(query.setFilter(QStringLiteral("价格"), GridQuery::FilterKind::Equals, 12.5));
    QVERIFY(query.setFilter(QStringLiteral("数量"), GridQuery::FilterKind::Equals, 3));
    // The values offered for 数量 are those left by the other filters (price 12.5): 2 and 3.
    QSqlQuery q = query.distinctValues(QStringLiteral("数量"), 10).exec();
    QList<int> values;
    while (q.next())
        values.append(q.value(0).toInt());
    QCOMPARE(values, (QList<int>{2, 3}));
}

void GridQueryTest::rowsArePagedAndCounted()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const int total = GridRows::kPageSize * 2 + 50;
    {
        Transaction tx;
        QSqlQuery insert(t.db());
        QVERIFY(
            insert.prepare(QStringLiteral("insert into 图书 (编号, 名称, 数量) values (?, ?, ?)")));
        for (int i = 0; i < total; ++i) {
            insert.addBindValue(QStringLiteral("N%1").arg(i, 5, 10, QLatin1Char('0')));
            insert.addBindValue(QStringLiteral("书%1").arg(i));
            insert.addBindValue(i % 7);
            QVERIFY(insert.exec());
        }
        QVERIFY(tx.commit());
    }
    GridQuery query(Statement(QStringLiteral("select 编号, 数量 from 图书 where 数量<?"), {6}));
    query.setTieBreaker(QStringLiteral("编号"));
    GridRows rows;
    QString error;
    QVERIFY2(rows.open(&query, {QStringLiteral("数量")}, &error), qPrintable(error));
    qint64 expectedCount = 0, expectedSum = 0;
    for (int i = 0; i < total; ++i) {
        if (i % 7 < 6) {
            ++expectedCount;
            expectedSum += i % 7;
        }
    }
    QCOMPARE(rows.count(), expectedCount);
    QCOMPARE(rows.sum(QStringLiteral("数量")).toLongLong(), expectedSum);
    // Only the first page was read; the last row loads its own page.
    QVERIFY(rows.isLoaded(0));
    QVERIFY(!rows.isLoaded(rows.count() - 1));

    QVERIFY(query.setSort(QStringLiteral("编号"), Qt::DescendingOrder));
    QVERIFY(rows.reload(&error));
    QCOMPARE(rows.value(0, 0).toString(), QStringLiteral("N00449"));
    QCOMPARE(rows.record(rows.count() - 1).value(QStringLiteral("编号")).toString(),
             QStringLiteral("N00000"));
    QVERIFY(rows.isLoaded(rows.count() - 1));
    QVERIFY(!rows.value(rows.count(), 0).isValid());
    // Every row appears once over the pages.
    QSet<QString> seen;
    for (qint64 r = 0; r < rows.count(); ++r)
        seen.insert(rows.value(r, 0).toString());
    QCOMPARE(qint64(seen.size()), expectedCount);

    // A sort with many equal values: pages in the second half are read from the end, and
    // the rows still come in exactly the order of the whole sorted statement.
    QVERIFY(query.setSort(QStringLiteral("数量"), Qt::AscendingOrder));
    QVERIFY(rows.reload(&error));
    QStringList whole;
    QSqlQuery all = query.rows().exec();
    while (all.next())
        whole.append(all.value(0).toString());
    QStringList paged;
    for (qint64 r = rows.count() - 1; r >= 0; --r) // the last pages first
        paged.prepend(rows.value(r, 0).toString());
    QCOMPARE(paged, whole);
}

void GridQueryTest::failingStatementReportsTheDatabaseError()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    GridQuery query(Statement(QStringLiteral("select * from 没有这个表")));
    GridRows rows;
    QString error;
    QVERIFY(!rows.open(&query, {}, &error));
    QVERIFY(error.contains(QStringLiteral("没有这个表")));
    QVERIFY(!rows.isOpen());
    QCOMPARE(rows.count(), qint64(0));
}

QTEST_GUILESS_MAIN(GridQueryTest)
#include "gridquery_dbtest.moc"
