// The result grid as a window uses it: captions and formats, hidden columns that stay
// readable, footer totals, sorting by a click on a title, filtering, the current row over a
// refresh, and a statement the database refuses.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ResultGrid.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

void insertBooks()
{
    struct Row {
        const char *number, *name, *price, *intake;
        int count;
    };
    const Row rows[] = {
        {"B1", "红楼梦", "12.5", "2024-03-01", 3},
        {"B2", "西游记", "30.25", "2023-12-31 10:20:00", 1},
        {"B3", "水浒传", "7", "2024-01-15", 2},
    };
    for (const Row &r : rows) {
        Statement st("insert into 图书 (编号, 名称, 价格, 入库时间, 数量, 简介) values (");
        st.value(QString::fromUtf8(r.number)).text(", ").value(QString::fromUtf8(r.name));
        st.text(", ").value(Money::parse(QString::fromUtf8(r.price))->toSql()).text(", ");
        st.value(sqlDateTime(dateTimeFromSql(QString::fromUtf8(r.intake)))).text(", ");
        st.value(r.count).text(", ").value(QStringLiteral("简介") + QString::fromUtf8(r.number));
        st.text(")");
        QString error;
        QVERIFY2(st.run(&error), qPrintable(error));
    }
}

using Col = ResultGrid::Column;
using F = ResultGrid::Format;
using S = ResultGrid::Footer;

QVector<Col> bookColumns()
{
    return {
        {QStringLiteral("编号"), QString(), F::Auto, S::Count, true},
        {QStringLiteral("名称"), QStringLiteral("书名"), F::Auto, S::None, true},
        {QStringLiteral("数量"), QString(), F::Number, S::SumWhole, true},
        {QStringLiteral("价格"), QString(), F::Money, S::Sum, true},
        {QStringLiteral("入库时间"), QString(), F::Date, S::None, true},
        {QStringLiteral("简介"), QString(), F::Auto, S::None, false},
    };
}

QStringList column(const ResultGrid &grid, const QString &field)
{
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r)
        out.append(grid.displayText(r, field));
    return out;
}

void clickTitle(ResultGrid &grid, int section)
{
    QHeaderView *header = grid.view()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class ResultGridTest : public QObject {
    Q_OBJECT
private slots:
    void showsCaptionsFormatsAndFooter();
    void clickOnTitleSorts();
    void filtersChangeRowsAndFooter_data();
    void filtersChangeRowsAndFooter();
    void currentRowSurvivesRefresh();
    void refusedStatementLeavesTheGridEmpty();
    void enterActivatesTheCurrentRow();
    void footerFitsItsColumn();
};

void ResultGridTest::showsCaptionsFormatsAndFooter()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    ResultGrid grid;
    grid.setColumns(bookColumns());
    grid.setKeyField(QStringLiteral("编号"));
    QString error;
    QVERIFY2(grid.setStatement(Statement("select * from 图书 order by 1"), &error),
             qPrintable(error));
    grid.resize(700, 300);
    grid.show();

    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.currentRow(), 0);
    const QVector<Col> visible = grid.visibleColumns();
    QStringList captions;
    for (const Col &c : visible)
        captions.append(c.caption);
    QCOMPARE(captions, (QStringList{"编号", "书名", "数量", "价格", "入库时间"}));
    // Hidden and unlisted fields are loaded all the same.
    QCOMPARE(grid.value(1, QStringLiteral("简介")).toString(), QStringLiteral("简介B2"));
    QVERIFY(grid.fieldNames().contains(QStringLiteral("出版社")));
    QCOMPARE(column(grid, QStringLiteral("价格")), (QStringList{"12.50", "30.25", "7.00"}));
    QCOMPARE(column(grid, QStringLiteral("入库时间")),
             (QStringList{"2024-03-01", "2023-12-31", "2024-01-15"}));
    QCOMPARE(grid.footerText(QStringLiteral("编号")), QStringLiteral("3"));
    QCOMPARE(grid.footerText(QStringLiteral("数量")), QStringLiteral("6"));
    QCOMPARE(grid.footerText(QStringLiteral("价格")), QStringLiteral("49.75"));
    QVERIFY(grid.footerText(QStringLiteral("名称")).isEmpty());
    QCOMPARE(grid.currentRecord().value(QStringLiteral("名称")).toString(),
             QStringLiteral("红楼梦"));
    // The footer band takes its room at the bottom; the first row stays below the titles.
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QTableView *view = grid.view();
    QVERIFY(view->viewport()->geometry().top() >= view->horizontalHeader()->height());
    QCOMPARE(view->rowAt(0), 0);
}

void ResultGridTest::clickOnTitleSorts()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    ResultGrid grid;
    grid.setColumns(bookColumns());
    QVERIFY(grid.setStatement(Statement("select * from 图书")));
    grid.resize(700, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    clickTitle(grid, 3); // 价格
    QCOMPARE(column(grid, QStringLiteral("编号")), (QStringList{"B3", "B1", "B2"}));
    clickTitle(grid, 3); // again: descending
    QCOMPARE(column(grid, QStringLiteral("编号")), (QStringList{"B2", "B1", "B3"}));
    QCOMPARE(grid.view()->horizontalHeader()->sortIndicatorSection(), 3);
    QVERIFY(grid.currentStatement().sql().contains(QStringLiteral("order by")));
    // The totals do not depend on the order.
    QCOMPARE(grid.footerText(QStringLiteral("价格")), QStringLiteral("49.75"));
}

void ResultGridTest::filtersChangeRowsAndFooter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("contains");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QString>("priceSum");

    QTest::newRow("contains") << QStringLiteral("名称") << true << QVariant(QStringLiteral("游"))
                              << QStringList{"B2"} << QStringLiteral("30.25");
    QTest::newRow("equals") << QStringLiteral("数量") << false << QVariant(2) << QStringList{"B3"}
                            << QStringLiteral("7.00");
    QTest::newRow("nothing matches")
        << QStringLiteral("名称") << true << QVariant(QStringLiteral("'; drop table 图书; --"))
        << QStringList{} << QStringLiteral("0.00");
}

void ResultGridTest::filtersChangeRowsAndFooter()
{
    QFETCH(QString, field);
    QFETCH(bool, contains);
    QFETCH(QVariant, value);
    QFETCH(QStringList, numbers);
    QFETCH(QString, priceSum);
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    ResultGrid grid;
    grid.setColumns(bookColumns());
    QVERIFY(grid.setStatement(Statement("select * from 图书 order by 1")));
    QSignalSpy current(&grid, &ResultGrid::currentRowChanged);
    QString error;
    QVERIFY2(contains ? grid.setColumnFilterContains(field, value.toString(), &error)
                      : grid.setColumnFilter(field, value, &error),
             qPrintable(error));
    QCOMPARE(column(grid, QStringLiteral("编号")), numbers);
    QCOMPARE(grid.footerText(QStringLiteral("编号")), QString::number(numbers.size()));
    QCOMPARE(grid.footerText(QStringLiteral("价格")), priceSum);
    QCOMPARE(grid.currentRow(), numbers.isEmpty() ? -1 : 0);
    // Windows hear of the new current row even when its number stayed 0.
    QVERIFY(!current.isEmpty());
    QCOMPARE(current.last().first().toInt(), grid.currentRow());
    // The filtered title says so; removing the filter brings every row back.
    const int section = 1 + (field == QStringLiteral("数量"));
    QVERIFY(grid.view()
                ->model()
                ->headerData(section, Qt::Horizontal)
                .toString()
                .endsWith(QStringLiteral("▼")));
    grid.clearFilters();
    QCOMPARE(grid.rowCount(), 3);
    // The values the title's menu offers for a column, sorted, once each.
    QList<int> counts;
    for (const QVariant &v : grid.filterValues(QStringLiteral("数量")))
        counts.append(v.toInt());
    QCOMPARE(counts, (QList<int>{1, 2, 3}));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书")).toInt(), 3);
    // A column that is not in the result is refused.
    QVERIFY(!grid.setColumnFilter(QStringLiteral("作者名"), 1, &error));
    QCOMPARE(grid.rowCount(), 3);
}

void ResultGridTest::currentRowSurvivesRefresh()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    ResultGrid grid;
    grid.setColumns(bookColumns());
    grid.setKeyField(QStringLiteral("编号"));
    QVERIFY(grid.setStatement(Statement("select * from 图书 order by 1")));
    grid.setCurrentRow(1);
    QCOMPARE(grid.currentValue(QStringLiteral("编号")).toString(), QStringLiteral("B2"));
    // Another workstation adds a book that sorts before the current one.
    QVERIFY(
        Statement("insert into 图书 (编号, 名称, 价格, 数量) values ('B0', '新书', 1, 1)").run());
    QVERIFY(grid.refresh());
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.currentValue(QStringLiteral("编号")).toString(), QStringLiteral("B2"));
    QCOMPARE(grid.footerText(QStringLiteral("数量")), QStringLiteral("7"));
}

void ResultGridTest::refusedStatementLeavesTheGridEmpty()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    ResultGrid grid;
    grid.setColumns(bookColumns());
    QVERIFY(grid.setStatement(Statement("select * from 图书")));
    QString error;
    QVERIFY(!grid.setStatement(Statement("select * from 图书 where 不存在的列=1"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(grid.rowCount(), 0);
    QCOMPARE(grid.currentRow(), -1);
    QVERIFY(!grid.currentValue(QStringLiteral("编号")).isValid());
    QVERIFY(grid.footerText(QStringLiteral("编号")).isEmpty());
    QVERIFY(!grid.sortBy(QStringLiteral("编号")));
}

void ResultGridTest::enterActivatesTheCurrentRow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    insertBooks();
    ResultGrid grid;
    QVERIFY(grid.setStatement(Statement("select 编号, 名称 from 图书 order by 1")));
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy activated(&grid, &ResultGrid::rowActivated);
    grid.view()->setFocus();
    QTest::keyClick(grid.view(), Qt::Key_Down);
    QCOMPARE(grid.currentRow(), 1);
    QTest::keyClick(grid.view(), Qt::Key_Return);
    QCOMPARE(activated.size(), 1);
    QCOMPARE(activated.first().first().toInt(), 1);
}

void ResultGridTest::footerFitsItsColumn()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    // Short prices, a long sum: the column is as wide as its footer, drawn in bold.
    for (int i = 0; i < 40; ++i) {
        Statement st("insert into 图书 (编号, 价格) values (");
        st.value(QStringLiteral("B%1").arg(i)).text(", ").value(QStringLiteral("25.5")).text(")");
        QVERIFY(st.run());
    }
    ResultGrid grid;
    grid.setColumns({{QStringLiteral("价格"), QString(), F::Money, S::Sum, true}});
    QVERIFY(grid.setStatement(Statement("select 价格 from 图书")));
    grid.resize(600, 300);
    grid.show();
    QCOMPARE(grid.footerText(QStringLiteral("价格")), QStringLiteral("1020.00"));
    QFont bold = grid.view()->font();
    bold.setBold(true);
    QVERIFY(grid.view()->horizontalHeader()->sectionSize(0) - 8 >=
            QFontMetrics(bold).horizontalAdvance(QStringLiteral("1020.00")));
}

QTEST_MAIN(ResultGridTest)
#include "resultgrid_uitest.moc"
