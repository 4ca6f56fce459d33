// Stock-taking figures on an empty library and on a small one, with the proposed period and
// with chosen ones.
#include "StatsFixture.h"
#include "TestDb.h"

#include "db/Statement.h"
#include "stats/StockTaking.h"

#include <QtTest>

namespace {

using Figures = QVector<StockTaking::Figure>;

QStringList captions(const Figures &figures)
{
    QStringList out;
    for (const StockTaking::Figure &f : figures)
        out << f.caption;
    return out;
}

QStringList values(const Figures &figures)
{
    QStringList out;
    for (const StockTaking::Figure &f : figures)
        out << f.value;
    return out;
}

const QStringList kTotalCaptions = {
    "图书总数:",     "期刊总数:",         "读者总数:",        "总未还数量:",
    "历史借出总数:", "当前在库图书数量:", "当前在库期刊数量:"};
const QStringList kPeriodCaptions = {
    "借出次数:", "归还次数:", "图书入库数:", "期刊入库数:", "读者登记数:", "租金收入:"};

} // namespace

class StockTakingDbTest : public QObject {
    Q_OBJECT
private slots:
    void emptyLibrary();
    void totals();
    void period_data();
    void period();
};

// Every count is 0 and every empty sum shows 0.
void StockTakingDbTest::emptyLibrary()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    Figures figures;
    QString error;
    QVERIFY2(StockTaking::totals(&figures, &error), qPrintable(error));
    QCOMPARE(captions(figures), kTotalCaptions);
    QCOMPARE(values(figures), QStringList(7, QStringLiteral("0")));
    QVERIFY2(StockTaking::periodFigures(StockTaking::defaultPeriod(QDate::currentDate()), &figures,
                                        &error),
             qPrintable(error));
    QCOMPARE(captions(figures), kPeriodCaptions);
    QCOMPARE(values(figures), QStringList(6, QStringLiteral("0")));
}

void StockTakingDbTest::totals()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertLibrary());
    Figures figures;
    QString error;
    QVERIFY2(StockTaking::totals(&figures, &error), qPrintable(error));
    QCOMPARE(values(figures), (QStringList{"2", "1", "2", "1", "3", "3", "2"}));
}

void StockTakingDbTest::period_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("expected");
    // Today to tomorrow: the loan lent and returned today counts once under each.
    QTest::newRow("proposed") << 0 << 1 << QStringList{"1", "1", "1", "0", "1", "1.50"};
    // Ending today at 00:00: today's events are out, yesterday's loan is in.
    QTest::newRow("yesterday") << -1 << 0 << QStringList{"1", "0", "0", "0", "0", "0"};
    QTest::newRow("the last two years")
        << -730 << 1 << QStringList{"3", "2", "2", "1", "2", "3.50"};
    QTest::newRow("end before start") << 1 << -730 << QStringList(6, QStringLiteral("0"));
}

void StockTakingDbTest::period()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, expected);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertLibrary());
    const QDate today = QDate::currentDate();
    Figures figures;
    QString error;
    QVERIFY2(StockTaking::periodFigures({today.addDays(from), today.addDays(to)}, &figures, &error),
             qPrintable(error));
    QCOMPARE(values(figures), expected);
}

QTEST_MAIN(StockTakingDbTest)
#include "stocktaking_dbtest.moc"
