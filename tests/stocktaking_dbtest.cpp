// Stock-taking figures on an empty library and on a small one, with the proposed period and
// with chosen ones.
#include "LoanRows.h"
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

QString day(int offset, const char *time = " 08:00:00")
{
    return QDate::currentDate().addDays(offset).toString(QStringLiteral("yyyy-MM-dd")) +
           QString::fromUtf8(time);
}

bool run(const Statement &st)
{
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

bool insertItem(const QString &table, const QString &number, int count, const QString &entered)
{
    return run(Statement::insert(table,
                                 {QStringLiteral("编号"), QStringLiteral("名称"),
                                  QStringLiteral("数量"), QStringLiteral("入库时间")},
                                 {number, number, count, entered}));
}

bool insertReader(const QString &number, const QString &registered)
{
    return run(Statement::insert(
        QStringLiteral("读者库"),
        {QStringLiteral("读者编号"), QStringLiteral("读者姓名"), QStringLiteral("登记日期")},
        {number, number, registered}));
}

// Two books (3 and 0 on the shelf), a periodical, two readers, three loans: one lent and
// returned today with rent, one out since yesterday, one returned a year ago with rent.
bool insertFixture()
{
    LoanRow today{"R1", "甲", "B1", "书一", "n", day(0), day(30), day(0, " 10:00:00")};
    today.rent = QStringLiteral("1.5");
    LoanRow out{"R1", "甲", "B2", "书二", "n", day(-1), day(29), QString()};
    LoanRow old{"R2", "乙", "B1", "书一", "n", day(-400), day(-370), day(-380)};
    old.rent = QStringLiteral("2");
    return insertItem(QStringLiteral("图书"), "B1", 3, day(0)) &&
           insertItem(QStringLiteral("图书"), "B2", 0, day(-10)) &&
           insertItem(QStringLiteral("期刊"), "P1", 2, day(-3)) && insertReader("R1", day(0)) &&
           insertReader("R2", day(-500)) && insertLoan(today) && insertLoan(out) && insertLoan(old);
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
    QVERIFY(insertFixture());
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
    QVERIFY(insertFixture());
    const QDate today = QDate::currentDate();
    Figures figures;
    QString error;
    QVERIFY2(StockTaking::periodFigures({today.addDays(from), today.addDays(to)}, &figures, &error),
             qPrintable(error));
    QCOMPARE(values(figures), expected);
}

QTEST_MAIN(StockTakingDbTest)
#include "stocktaking_dbtest.moc"
