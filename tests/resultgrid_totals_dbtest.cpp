// The result grid's footer sums, read on a worker thread after the first rows show: pending
// right after a statement is set, then the figures; a newer statement or filter gets its own
// footer even when the older computation ends later; footerText waits; a grid closed while
// the sums are read leaves no connection behind.
#include "TestDb.h"

#include "GridFooter.h"
#include "ResultGrid.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QThreadPool>
#include <QtTest>

namespace {

void insertBooks()
{
    struct Row {
        const char *number, *price;
        int count;
    };
    const Row rows[] = {{"B1", "12.5", 3}, {"B2", "30.25", 1}, {"B3", "7", 2}, {"C1", "100", 4}};
    for (const Row &r : rows) {
        Statement st("insert into 图书 (编号, 名称, 价格, 数量) values (");
        st.value(QString::fromUtf8(r.number)).text(", ").value(QString::fromUtf8(r.number));
        st.text(", ").value(Money::parse(QString::fromUtf8(r.price))->toSql());
        st.text(", ").value(r.count).text(")");
        QString error;
        QVERIFY2(st.run(&error), qPrintable(error));
    }
}

using Col = ResultGrid::Column;

void setUp(ResultGrid &grid)
{
    grid.setColumns({{QStringLiteral("编号"), QString(), ResultGrid::Format::Auto,
                      ResultGrid::Footer::Count, true},
                     {QStringLiteral("数量"), QString(), ResultGrid::Format::Number,
                      ResultGrid::Footer::SumWhole, true},
                     {QStringLiteral("价格"), QString(), ResultGrid::Format::Money,
                      ResultGrid::Footer::Sum, true}});
    grid.setKeyField(QStringLiteral("编号"));
}

Statement books(const QString &prefix)
{
    return Statement(QStringLiteral("select 编号, 数量, 价格 from 图书 where 编号 like "))
        .value(prefix + QLatin1Char('%'))
        .text(QStringLiteral(" order by 编号"));
}

// What the footer under the grid shows now (without waiting), by field.
QString shown(const ResultGrid &grid, const QString &field)
{
    const auto *footer = grid.findChild<GridFooter *>();
    const int column = [&] {
        const QVector<Col> cols = grid.visibleColumns();
        for (int i = 0; i < cols.size(); ++i) {
            if (cols[i].field == field)
                return i;
        }
        return -1;
    }();
    return footer && column >= 0 ? footer->texts().value(column) : QStringLiteral("?");
}

// Lets every worker end and every finished computation report to the grid.
void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

int totalsConnections()
{
    int n = 0;
    for (const QString &name : QSqlDatabase::connectionNames())
        n += name.startsWith(QStringLiteral("tsgl-totals")) ? 1 : 0;
    return n;
}

} // namespace

class ResultGridTotalsTest : public QObject {
    Q_OBJECT
private slots:
    void rowsFirstThenSums()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        insertBooks();
        ResultGrid grid;
        setUp(grid);
        grid.show();
        QString error;
        QVERIFY2(grid.setStatement(books(QStringLiteral("")), &error), qPrintable(error));
        // The rows and the count are there at once; the sums follow.
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(grid.value(3, QStringLiteral("编号")).toString(), QStringLiteral("C1"));
        QVERIFY(grid.totalsPending());
        QCOMPARE(shown(grid, QStringLiteral("编号")), QStringLiteral("4"));
        QCOMPARE(shown(grid, QStringLiteral("价格")), QString());
        QTRY_VERIFY(!grid.totalsPending());
        QCOMPARE(shown(grid, QStringLiteral("价格")), QStringLiteral("149.75"));
        QCOMPARE(shown(grid, QStringLiteral("数量")), QStringLiteral("10"));
        QCOMPARE(totalsConnections(), 0);
    }

    // A caller that reads the footer right after setting a statement gets the figures.
    void footerTextWaits()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        insertBooks();
        ResultGrid grid;
        setUp(grid);
        QVERIFY(grid.setStatement(books(QStringLiteral("B"))));
        QCOMPARE(grid.footerText(QStringLiteral("价格")), QStringLiteral("49.75"));
        QVERIFY(!grid.totalsPending());
        QCOMPARE(shown(grid, QStringLiteral("数量")), QStringLiteral("6"));
        // The same after a filter, set while nothing was pending.
        QVERIFY(grid.setColumnFilter(QStringLiteral("编号"), QStringLiteral("B2")));
        QVERIFY(grid.totalsPending());
        grid.waitForTotals();
        QVERIFY(!grid.totalsPending());
        QCOMPARE(shown(grid, QStringLiteral("价格")), QStringLiteral("30.25"));
        QCOMPARE(grid.footerText(QStringLiteral("编号")), QStringLiteral("1"));
    }

    // The older computation ends as well, and must not overwrite the newer footer.
    void newerStatementKeepsItsFooter_data()
    {
        QTest::addColumn<bool>("byFilter");
        QTest::newRow("a second statement") << false;
        QTest::newRow("a filter") << true;
    }
    void newerStatementKeepsItsFooter()
    {
        QFETCH(bool, byFilter);
        TestDb t;
        TSGL_FRESH_DB(t);
        insertBooks();
        ResultGrid grid;
        setUp(grid);
        grid.show();
        QVERIFY(grid.setStatement(books(QStringLiteral(""))));
        QVERIFY(grid.totalsPending());
        if (byFilter)
            QVERIFY(grid.setColumnFilter(QStringLiteral("编号"), QStringLiteral("C1")));
        else
            QVERIFY(grid.setStatement(books(QStringLiteral("C"))));
        settle();
        QVERIFY(!grid.totalsPending());
        QCOMPARE(shown(grid, QStringLiteral("编号")), QStringLiteral("1"));
        QCOMPARE(shown(grid, QStringLiteral("价格")), QStringLiteral("100.00"));
        QCOMPARE(shown(grid, QStringLiteral("数量")), QStringLiteral("4"));
        QCOMPARE(totalsConnections(), 0);
    }

    // A grid closed while its sums are read: the worker ends on its own connection.
    void closedWhilePending()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        insertBooks();
        auto *grid = new ResultGrid;
        setUp(*grid);
        QVERIFY(grid->setStatement(books(QStringLiteral(""))));
        QVERIFY(grid->totalsPending());
        delete grid;
        settle();
        QCOMPARE(totalsConnections(), 0);
        // The shared connection is untouched.
        QCOMPARE(Statement(QStringLiteral("select count(*) from 图书")).scalar().toInt(), 4);
    }
};

QTEST_MAIN(ResultGridTotalsTest)
#include "resultgrid_totals_dbtest.moc"
