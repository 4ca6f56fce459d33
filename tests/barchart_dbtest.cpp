// The bar chart model: bars from a statement in its order, pyramids whose apex stands at
// the height of the value, a colour per bar, labels under and values above.
#include "TestDb.h"

#include "chart/BarChartModel.h"
#include "db/Statement.h"

#include <QtTest>

class BarChartTest : public QObject {
    Q_OBJECT
private slots:
    void barsComeFromTheStatementInItsOrder();
    void unknownFieldIsReported();
    void pyramidsStandOnTheBaseWithApexAtTheValue_data();
    void pyramidsStandOnTheBaseWithApexAtTheValue();
};

void BarChartTest::barsComeFromTheStatementInItsOrder()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QList<QPair<QString, int>> books{{"三国演义", 7}, {"水浒传", 12}, {"西游记", 0}};
    int n = 0;
    for (const auto &b : books) {
        QVERIFY(Statement("insert into 图书 (编号, 名称, 借出次数) values (")
                    .value(QStringLiteral("B%1").arg(++n))
                    .text(", ")
                    .value(b.first)
                    .text(", ")
                    .value(b.second)
                    .text(")")
                    .run());
    }
    BarChartModel chart;
    chart.title = QStringLiteral("借阅次数排行");
    QString error;
    QVERIFY2(chart.load(Statement("select 名称, 借出次数 from 图书 order by 借出次数 desc"),
                        QStringLiteral("名称"), QStringLiteral("借出次数"), &error),
             qPrintable(error));
    QCOMPARE(chart.bars.size(), 3);
    QCOMPARE(chart.bars[0].label, QStringLiteral("水浒传"));
    QCOMPARE(chart.bars[0].value, 12.0);
    QCOMPARE(chart.bars[1].label, QStringLiteral("三国演义"));
    QCOMPARE(chart.bars[2].value, 0.0);
}

void BarChartTest::unknownFieldIsReported()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    BarChartModel chart;
    chart.addBar(QStringLiteral("旧"), 1);
    QString error;
    QVERIFY(!chart.load(Statement("select 名称 from 图书"), QStringLiteral("名称"),
                        QStringLiteral("借出次数"), &error));
    QVERIFY(error.contains(QStringLiteral("借出次数")));
    QVERIFY(!chart.load(Statement("select * from 无此表"), QStringLiteral("名称"),
                        QStringLiteral("借出次数"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(chart.bars.size(), 1); // a failed load leaves the chart as it was
}

void BarChartTest::pyramidsStandOnTheBaseWithApexAtTheValue_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("ranking") << QList<double>{40, 25, 10, 5, 0};
    QTest::newRow("one bar") << QList<double>{3};
    QTest::newRow("all zero") << QList<double>{0, 0};
    QTest::newRow("twelve with fractions") << QList<double>{9.5, 9, 8, 7, 7, 6, 5, 4, 3, 2, 1, 0.5};
}

void BarChartTest::pyramidsStandOnTheBaseWithApexAtTheValue()
{
    QFETCH(QList<double>, values);
    BarChartModel chart;
    for (int i = 0; i < values.size(); ++i)
        chart.addBar(QStringLiteral("第%1名").arg(i + 1), values[i]);
    const QRectF area(0, 0, 800, 500);
    const BarChartModel::Layout l = chart.layout(area, 14);
    QCOMPARE(l.bars.size(), values.size());
    const double top = l.ticks.last().first; // the value at the top of the plot
    QVERIFY(top >= chart.maxValue());
    QSet<QRgb> colours;
    for (int i = 0; i < values.size(); ++i) {
        const BarChartModel::BarShape &s = l.bars[i];
        QCOMPARE(s.pyramid.size(), 3);
        // Base on the axis, apex in the middle at the value's height.
        QCOMPARE(s.pyramid[0].y(), l.plot.bottom());
        QCOMPARE(s.pyramid[2].y(), l.plot.bottom());
        QCOMPARE(s.pyramid[1].x(), (s.pyramid[0].x() + s.pyramid[2].x()) / 2);
        const double height = l.plot.bottom() - s.pyramid[1].y();
        QVERIFY(qAbs(height - values[i] / top * l.plot.height()) < 1e-6);
        // In order from the left, label under the base, value above the apex.
        if (i > 0)
            QVERIFY(s.pyramid[0].x() >= l.bars[i - 1].pyramid[2].x());
        QVERIFY(s.labelRect.top() >= l.plot.bottom());
        QVERIFY(s.valueRect.bottom() <= s.pyramid[1].y() + 1e-6);
        QVERIFY(area.contains(s.valueRect.topLeft()));
        QVERIFY(area.contains(s.labelRect.bottomRight()));
        QCOMPARE(s.valueText, BarChartModel::valueText(values[i]));
        colours.insert(s.color.rgb());
    }
    QCOMPARE(colours.size(), values.size());
}

QTEST_MAIN(BarChartTest)
#include "barchart_dbtest.moc"
