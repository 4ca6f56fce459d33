// The income journal of a period: both bounds at 00:00 of their day, the proposed period
// ending tomorrow, refunds lowering the total, and the printed list with its 合计.
#include "TestDb.h"

#include "circulation/Charges.h"
#include "circulation/IncomeJournal.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "readers/ReaderAccount.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

const QDate kToday(2026, 3, 10);

void charge(const QString &item, const QString &amount, const QDateTime &at)
{
    const Charges::Result r = Charges::record(item, amount, QString(), at);
    QVERIFY2(r.ok, qPrintable(r.message));
}

QStringList itemsOf(const Statement &rows)
{
    QStringList items;
    QSqlQuery q = rows.exec();
    while (q.next())
        items << q.value(QStringLiteral("项目")).toString();
    return items;
}

} // namespace

class IncomeTest : public QObject {
    Q_OBJECT
private slots:
    void defaultPeriod();
    void periodBounds_data();
    void periodBounds();
    void refundLowersTheTotal();
    void report();
};

void IncomeTest::defaultPeriod()
{
    const IncomeJournal::Period p = IncomeJournal::defaultPeriod(kToday);
    QCOMPARE(p.from, QDate(2000, 1, 1));
    QCOMPARE(p.to, QDate(2026, 3, 11));
    // The last day of a year ends in the next one.
    QCOMPARE(IncomeJournal::defaultPeriod(QDate(2026, 12, 31)).to, QDate(2027, 1, 1));
}

void IncomeTest::periodBounds_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("listed");
    // The entries: before (03-08 23:59:59), first (03-09 00:00:00), a minute ago
    // (03-10 09:59:00), midnight (03-11 00:00:00), after (03-11 00:00:01).
    QTest::newRow("proposed period") << QDate(2000, 1, 1) << kToday.addDays(1)
                                     << QStringList{"before", "first", "minute ago", "midnight"};
    // "到" = today stands for today at 00:00: what was booked today is outside.
    QTest::newRow("to today") << QDate(2000, 1, 1) << kToday << QStringList{"before", "first"};
    // "从" = 03-09 takes in its whole first day, from 00:00.
    QTest::newRow("one day") << QDate(2026, 3, 9) << kToday << QStringList{"first"};
    QTest::newRow("from today") << kToday << QDate(2026, 3, 11)
                                << QStringList{"minute ago", "midnight"};
    QTest::newRow("reversed") << QDate(2026, 3, 11) << QDate(2026, 3, 9) << QStringList{};
}

void IncomeTest::periodBounds()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, listed);
    TestDb t;
    TSGL_FRESH_DB(t);
    charge(QStringLiteral("first"), QStringLiteral("1"), QDateTime(QDate(2026, 3, 9), QTime(0, 0)));
    charge(QStringLiteral("before"), QStringLiteral("1"),
           QDateTime(QDate(2026, 3, 8), QTime(23, 59, 59)));
    charge(QStringLiteral("minute ago"), QStringLiteral("1"), QDateTime(kToday, QTime(9, 59)));
    charge(QStringLiteral("midnight"), QStringLiteral("1"),
           QDateTime(QDate(2026, 3, 11), QTime(0, 0)));
    charge(QStringLiteral("after"), QStringLiteral("1"),
           QDateTime(QDate(2026, 3, 11), QTime(0, 0, 1)));

    QStringList items = itemsOf(IncomeJournal::periodStatement({from, to}));
    items.sort();
    listed.sort();
    QCOMPARE(items, listed);
    QCOMPARE(itemsOf(IncomeJournal::allStatement()).size(), 5);
}

// Top-ups and refunds booked by the reader's account count in the total with their sign.
void IncomeTest::refundLowersTheTotal()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    QVERIFY2(Statement(QStringLiteral("insert into 读者库(读者编号,读者姓名,卡内金额) "
                                      "values('1001','李四',3)"))
                 .run(&error),
             qPrintable(error));
    charge(QStringLiteral("罚金"), QStringLiteral("12.5"), QDateTime::currentDateTime());
    QVERIFY(
        ReaderAccount::topUp(QStringLiteral("1001"), QStringLiteral("20"), false, QString()).ok);
    QVERIFY(
        ReaderAccount::topUp(QStringLiteral("1001"), QStringLiteral("5.25"), true, QString()).ok);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 收入 where 金额<0")).toInt(), 1);

    Money sum;
    QVERIFY2(IncomeJournal::total(IncomeJournal::allStatement(), &sum, &error), qPrintable(error));
    QCOMPARE(sum, Money::fromRaw(272500)); // 12.5 + 20 - 5.25
    const IncomeJournal::Period period = IncomeJournal::defaultPeriod(QDate::currentDate());
    QVERIFY(IncomeJournal::total(IncomeJournal::periodStatement(period), &sum, &error));
    QCOMPARE(sum, Money::fromRaw(272500));
}

void IncomeTest::report()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("王管理");
    charge(QStringLiteral("罚金"), QStringLiteral("12.5"), QDateTime(kToday, QTime(9, 0)));
    charge(QStringLiteral("补卡"), QStringLiteral("3"), QDateTime(kToday, QTime(9, 30)));

    const QDateTime printedAt(QDate(2026, 3, 10), QTime(14, 5, 9));
    ReportModel report;
    QString error;
    QVERIFY2(IncomeJournal::buildReport(IncomeJournal::allStatement(),
                                        QStringLiteral("从 2000-01-01 到 2026-03-11"), printedAt,
                                        &report, &error),
             qPrintable(error));
    QCOMPARE(report.pageCount(), 1);
    QCOMPARE(report.texts(0, QStringLiteral("columnTitle")),
             (QStringList{"项目", "时间", "读者编号", "读者姓名", "金额", "管理员"}));
    QCOMPARE(report.texts(0, QStringLiteral("cell")),
             (QStringList{"罚金", "2026-03-10 09:00:00", "", "", "12.50", "王管理", "补卡",
                          "2026-03-10 09:30:00", "", "", "3.00", "王管理"}));
    QCOMPARE(report.texts(0, QStringLiteral("pageFooter")),
             QStringList{"时间: 2026-03-10 14:05:09     合计: 15.50"});
    QCOMPARE(report.texts(0, QStringLiteral("heading")),
             QStringList{"从 2000-01-01 到 2026-03-11"});
}

QTEST_GUILESS_MAIN(IncomeTest)
#include "income_dbtest.moc"
