// The lending rankings behind the three charts: the twelve highest rows with the rows tied
// with the twelfth, unlent rows only to fill up to twelve, on both databases.
#include "TestDb.h"

#include "chart/BarChartModel.h"
#include "db/Statement.h"
#include "stats/TopTwelve.h"

#include <QtTest>

Q_DECLARE_METATYPE(TopTwelve::Kind)

namespace {

constexpr int kNull = -1; // a counter left empty

// Rows K01, K02, … labelled 名01, 名02, … with the given counters.
void insertRows(TopTwelve::Kind kind, const QList<int> &counters)
{
    const TopTwelve::Source s = TopTwelve::source(kind);
    for (int i = 0; i < counters.size(); ++i) {
        const QString n = QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        Statement st(QStringLiteral("insert into %1 (%2, %3, %4) values (")
                         .arg(s.table, s.keyField, s.labelField, s.valueField));
        st.value(QStringLiteral("K") + n)
            .text(", ")
            .value(QStringLiteral("名") + n)
            .text(", ")
            .value(counters[i] == kNull ? QVariant(QMetaType(QMetaType::Int)) : counters[i])
            .text(")");
        QString error;
        QVERIFY2(st.run(&error), qPrintable(error));
    }
}

} // namespace

class ChartsTest : public QObject {
    Q_OBJECT
private slots:
    void ranking_data();
    void ranking();
    void failedLoadKeepsTheChart();
};

void ChartsTest::ranking_data()
{
    using K = TopTwelve::Kind;
    QTest::addColumn<TopTwelve::Kind>("kind");
    QTest::addColumn<QList<int>>("counters");
    // Labels by row number, highest first; the value of each follows from the counters.
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("empty table") << K::Books << QList<int>{} << QList<int>{};
    // Rows 12 to 14 tie with the twelfth highest (5); row 15 (4) stays out, as do the unlent.
    const QList<int> ties{30, 29, 28, 27, 26, 25, 24, 23, 0, 22, 21, 5, 5, 5, 4, kNull};
    const QList<int> tiesExpected{1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14};
    QTest::newRow("books: ties at the twelfth") << K::Books << ties << tiesExpected;
    QTest::newRow("periodicals: ties at the twelfth") << K::Periodicals << ties << tiesExpected;
    QTest::newRow("readers: ties at the twelfth") << K::Readers << ties << tiesExpected;
    // Thirteen lent rows of which the twelfth and thirteenth tie, all in one value.
    QTest::newRow("all tied") << K::Readers << QList<int>(13, 2)
                              << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    QTest::newRow("thirteen distinct: twelve")
        << K::Books << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}
        << QList<int>{13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
    // Fewer than twelve rows: every row, the unlent (0 or empty) last in key order.
    QTest::newRow("fewer than twelve")
        << K::Periodicals << QList<int>{2, kNull, 7, 0, 2} << QList<int>{3, 1, 5, 2, 4};
    // Few lent in a larger catalogue: the unlent only fill up to twelve.
    QTest::newRow("unlent fill up to twelve")
        << K::Books << QList<int>{0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
        << QList<int>{3, 7, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12};
}

void ChartsTest::ranking()
{
    QFETCH(TopTwelve::Kind, kind);
    QFETCH(QList<int>, counters);
    QFETCH(QList<int>, expected);
    TestDb t;
    TSGL_FRESH_DB(t);
    insertRows(kind, counters);

    BarChartModel chart;
    QString error;
    QVERIFY2(TopTwelve::load(kind, &chart, &error), qPrintable(error));
    QCOMPARE(chart.title, QStringLiteral("借阅次数排行"));
    QStringList labels;
    for (const BarChartModel::Bar &b : chart.bars)
        labels << b.label;
    QStringList expectedLabels;
    for (int row : expected)
        expectedLabels << QStringLiteral("名%1").arg(row, 2, 10, QLatin1Char('0'));
    QCOMPARE(labels, expectedLabels);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(chart.bars[i].value, double(qMax(0, counters[expected[i] - 1])));
}

void ChartsTest::failedLoadKeepsTheChart()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    insertRows(TopTwelve::Kind::Books, {4, 2});
    BarChartModel chart;
    chart.addBar(QStringLiteral("旧"), 1);
    QVERIFY(Statement(QStringLiteral("drop table 图书")).run());
    QString error;
    QVERIFY(!TopTwelve::load(TopTwelve::Kind::Books, &chart, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(chart.bars.size(), 1);
    QCOMPARE(chart.bars[0].label, QStringLiteral("旧"));
}

QTEST_MAIN(ChartsTest)
#include "charts_dbtest.moc"
