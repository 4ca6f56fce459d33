// A charge taken at the desk: one income row with the item, the exact amount, the moment to
// the second, the administrator and the note, and no reader; refused amounts write nothing.
#include "TestDb.h"

#include "circulation/Charges.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QtTest>

class ChargesTest : public QObject {
    Q_OBJECT
private slots:
    void chargeIsBooked_data();
    void chargeIsBooked();
    void refused_data();
    void refused();
};

void ChargesTest::chargeIsBooked_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("storedItem");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("12.5 for 罚金") << "罚金"
                                   << "12.5"
                                   << "逾期"
                                   << "罚金" << qint64(125000);
    // Full-width digits of the Chinese input method read as their ASCII forms.
    QTest::newRow("full width") << "补卡"
                                << "３.０５"
                                << ""
                                << "补卡" << qint64(30500);
    // A typed item is stored as typed, without the blanks around it; quotes are text.
    QTest::newRow("typed item") << " 复印费 "
                                << "0.0001"
                                << "O'Brien: ?"
                                << "复印费" << qint64(1);
}

void ChargesTest::chargeIsBooked()
{
    QFETCH(QString, item);
    QFETCH(QString, amount);
    QFETCH(QString, note);
    QFETCH(QString, storedItem);
    QFETCH(qint64, raw);
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("王管理");

    const QDateTime now(QDate(2026, 3, 10), QTime(9, 58, 7, 654));
    const Charges::Result r = Charges::record(item, amount, note, now);
    QVERIFY2(r.ok, qPrintable(r.message));

    QSqlQuery q =
        Statement(
            QStringLiteral("select 项目, 时间, 读者编号, 读者姓名, 金额, 管理员, 备注 from 收入"))
            .exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), storedItem);
    QCOMPARE(dateTimeFromSql(q.value(1)), QDateTime(QDate(2026, 3, 10), QTime(9, 58, 7)));
    QVERIFY(q.value(2).isNull());
    QVERIFY(q.value(3).isNull());
    QCOMPARE(Money::fromVariant(q.value(4)).raw(), raw);
    QCOMPARE(q.value(5).toString(), QStringLiteral("王管理"));
    QCOMPARE(q.value(6).toString(), note);
    QVERIFY(!q.next());
}

void ChargesTest::refused_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "租金"
                           << "" << Charges::kNoAmount;
    QTest::newRow("blanks") << "租金"
                            << " 　" << Charges::kNoAmount;
    QTest::newRow("letters") << "租金"
                             << "abc" << Charges::kNotAnAmount;
    QTest::newRow("two points") << "租金"
                                << "1.2.3" << Charges::kNotAnAmount;
    QTest::newRow("zero") << "租金"
                          << "0.00" << Charges::kNotPositive;
    QTest::newRow("negative") << "租金"
                              << "-5" << Charges::kNotPositive;
    QTest::newRow("no item") << "  "
                             << "5" << Charges::kNoItem;
}

void ChargesTest::refused()
{
    QFETCH(QString, item);
    QFETCH(QString, amount);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    const Charges::Result r =
        Charges::record(item, amount, QString(), QDateTime::currentDateTime());
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 收入")).toInt(), 0);
}

QTEST_GUILESS_MAIN(ChargesTest)
#include "charges_dbtest.moc"
