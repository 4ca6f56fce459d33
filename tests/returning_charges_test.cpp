// The four values of a loan at its return: rent period, rent due, days overdue and fine.
#include "circulation/ReturnCharges.h"

#include <QtTest>

namespace {
const QDate kToday(2024, 3, 15);
}

class ReturnChargesTest : public QObject {
    Q_OBJECT
private slots:
    void values_data();
    void values();
    void missingDates_data();
    void missingDates();
};

void ReturnChargesTest::values_data()
{
    QTest::addColumn<QDateTime>("lentOn");
    QTest::addColumn<QDateTime>("dueOn");
    QTest::addColumn<QVariant>("rentPerDay");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("rent");
    QTest::addColumn<QString>("overdue");
    QTest::addColumn<QString>("fine");
    QTest::addColumn<QString>("message");
    const auto day = [](int offset) { return kToday.addDays(offset).startOfDay(); };
    QTest::newRow("returned the day of lending") << day(0) << day(30) << QVariant("0.3") << "1"
                                                 << "0.3"
                                                 << "-30"
                                                 << "0"
                                                 << "";
    QTest::newRow("ten days at 0.5") << day(-10) << day(20) << QVariant(0.5) << "10"
                                     << "5"
                                     << "-20"
                                     << "0"
                                     << "";
    QTest::newRow("one day overdue") << day(-31) << day(-1) << QVariant() << "31"
                                     << ""
                                     << "1"
                                     << "0.15"
                                     << "超期罚金是:0.15 元.";
    QTest::newRow("due today") << day(-30) << day(0) << QVariant() << "30"
                               << ""
                               << "0"
                               << "0"
                               << "";
    QTest::newRow("twelve days overdue") << day(-40) << day(-12) << QVariant("0.0125") << "40"
                                         << "0.5"
                                         << "12"
                                         << "1.8"
                                         << "超期罚金是:1.8 元.";
    // A lending time of day: the part day is dropped from the rent period.
    QTest::newRow("lent in the afternoon")
        << QDateTime(kToday.addDays(-3), QTime(15, 0)) << day(5) << QVariant(1) << "2"
        << "2"
        << "-5"
        << "0"
        << "";
    // Half days overdue go to the even number: 1.5 gives 2, 2.5 gives 2.
    QTest::newRow("1.5 days overdue")
        << day(-9) << QDateTime(kToday.addDays(-2), QTime(12, 0)) << QVariant() << "9"
        << ""
        << "2"
        << "0.3"
        << "超期罚金是:0.3 元.";
    QTest::newRow("2.5 days overdue")
        << day(-9) << QDateTime(kToday.addDays(-3), QTime(12, 0)) << QVariant() << "9"
        << ""
        << "2"
        << "0.3"
        << "超期罚金是:0.3 元.";
    // A lending date after today (a wrong clock) still gives a period without sign.
    QTest::newRow("lent in the future") << day(4) << day(34) << QVariant() << "4"
                                        << ""
                                        << "-34"
                                        << "0"
                                        << "";
}

void ReturnChargesTest::values()
{
    QFETCH(QDateTime, lentOn);
    QFETCH(QDateTime, dueOn);
    QFETCH(QVariant, rentPerDay);
    const ReturnCharges c =
        ReturnCharges::compute(lentOn, dueOn, rentPerDay, Money::fromRaw(1500), kToday);
    QVERIFY(c.known);
    QTEST(c.rentPeriodText(), "period");
    QTEST(c.rentText(), "rent");
    QTEST(c.daysOverdueText(), "overdue");
    QTEST(c.fineText(), "fine");
    QTEST(c.fineMessage(true), "message");
    QVERIFY(c.fineMessage(false).isEmpty());
}

void ReturnChargesTest::missingDates_data()
{
    QTest::addColumn<QDateTime>("lentOn");
    QTest::addColumn<QDateTime>("dueOn");
    QTest::newRow("no lending date") << QDateTime() << kToday.addDays(-3).startOfDay();
    QTest::newRow("no due date") << kToday.addDays(-3).startOfDay() << QDateTime();
}

void ReturnChargesTest::missingDates()
{
    QFETCH(QDateTime, lentOn);
    QFETCH(QDateTime, dueOn);
    const ReturnCharges c =
        ReturnCharges::compute(lentOn, dueOn, QVariant(1), Money::fromYuan(1), kToday);
    QVERIFY(!c.known);
    QVERIFY(c.rentPeriodText().isEmpty());
    QVERIFY(c.rentText().isEmpty());
    QVERIFY(c.daysOverdueText().isEmpty());
    QVERIFY(c.fineText().isEmpty());
    QVERIFY(c.fineMessage(true).isEmpty());
}

QTEST_GUILESS_MAIN(ReturnChargesTest)
#include "returning_charges_test.moc"
