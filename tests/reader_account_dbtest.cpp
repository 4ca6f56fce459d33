// A reader's state change with its log entry, and the top-up of the prepaid account with its
// income row: each pair of rows is written together or not at all.
#include "TestDb.h"

#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "readers/ReaderAccount.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QtTest>

namespace {

void addReader(const QString &number, const QString &name, const QVariant &balance,
               const QString &state = QStringLiteral("正常"))
{
    Statement st(
        QStringLiteral("insert into 读者库(读者编号,读者姓名,性别,状态,卡内金额) values("));
    st.value(number)
        .text(QStringLiteral(","))
        .value(name)
        .text(QStringLiteral(",'男',"))
        .value(state)
        .text(QStringLiteral(","))
        .value(balance)
        .text(QStringLiteral(")"));
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

QString stateOf(const QString &number)
{
    Statement st(QStringLiteral("select 状态 from 读者库 where 读者编号="));
    st.value(number);
    return st.scalar().toString();
}

Money balanceOf(const QString &number)
{
    Statement st(QStringLiteral("select 卡内金额 from 读者库 where 读者编号="));
    st.value(number);
    return Money::fromVariant(st.scalar());
}

int rowsIn(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

// Makes the second write of an operation fail: its table is gone.
void dropTable(const QString &table)
{
    QString error;
    QVERIFY2(Statement(QStringLiteral("drop table ") + table).run(&error), qPrintable(error));
}

} // namespace

class ReaderAccountTest : public QObject {
    Q_OBJECT
private slots:
    void logText_data();
    void logText();
    void stateAndLogEntry_data();
    void stateAndLogEntry();
    void stateWithoutLogIsRolledBack();
    void stateRefused_data();
    void stateRefused();
    void lookup();
    void topUp_data();
    void topUp();
    void topUpAddsToTheStoredBalance();
    void topUpRefused_data();
    void topUpRefused();
    void balanceWithoutIncomeRowIsRolledBack();
};

void ReaderAccountTest::logText_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("remark");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no remark") << "停用"
                               << ""
                               << "读者编号:1001,姓名:李四,状态改为:[停用],";
    QTest::newRow("remark") << "正常"
                            << "证件已找回"
                            << "读者编号:1001,姓名:李四,状态改为:[正常],证件已找回";
}

void ReaderAccountTest::logText()
{
    QFETCH(QString, state);
    QFETCH(QString, remark);
    QFETCH(QString, expected);
    QCOMPARE(
        ReaderAccount::stateLogText(QStringLiteral("1001"), QStringLiteral("李四"), state, remark),
        expected);
}

void ReaderAccountTest::stateAndLogEntry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("remark");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("details");
    QTest::newRow("停用") << "停用"
                          << ""
                          << "停用"
                          << "读者编号:1001,姓名:李四,状态改为:[停用],";
    // Neither of the two offered states: stored as typed.
    QTest::newRow("typed state") << "挂失"
                                 << "丢卡"
                                 << "挂失"
                                 << "读者编号:1001,姓名:李四,状态改为:[挂失],丢卡";
    QTest::newRow("blanks around") << " 正常 "
                                   << ""
                                   << "正常"
                                   << "读者编号:1001,姓名:李四,状态改为:[正常],";
    // Quotes, colons and question marks are text, never markers or delimiters.
    QTest::newRow("quotes and colons") << "停用"
                                       << "O'Brien: ?:a"
                                       << "停用"
                                       << "读者编号:1001,姓名:李四,状态改为:[停用],O'Brien: ?:a";
}

void ReaderAccountTest::stateAndLogEntry()
{
    QFETCH(QString, typed);
    QFETCH(QString, remark);
    QFETCH(QString, stored);
    QFETCH(QString, details);
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("王管理");
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    addReader(QStringLiteral("1002"), QStringLiteral("张三"), QVariant());

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const ReaderAccount::Result r =
        ReaderAccount::changeState(QStringLiteral("1001"), QStringLiteral("李四"), typed, remark);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QVERIFY2(r.ok, qPrintable(r.message));

    QCOMPARE(stateOf(QStringLiteral("1001")), stored);
    QCOMPARE(stateOf(QStringLiteral("1002")), QStringLiteral("正常"));
    QCOMPARE(rowsIn(QStringLiteral("管理员日志")), 1);
    QSqlQuery q =
        Statement(QStringLiteral("select 事件, 日期, 管理员, 说明 from 管理员日志")).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("修改状态"));
    const QDateTime at = dateTimeFromSql(q.value(1));
    QVERIFY2(at >= before && at <= after, qPrintable(at.toString(Qt::ISODate)));
    QCOMPARE(q.value(2).toString(), QStringLiteral("王管理"));
    QCOMPARE(q.value(3).toString(), details);
}

// The log insert fails after the state was updated: the state goes back.
void ReaderAccountTest::stateWithoutLogIsRolledBack()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    dropTable(QStringLiteral("管理员日志"));
    const ReaderAccount::Result r = ReaderAccount::changeState(
        QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("停用"), QString());
    QVERIFY(!r.ok);
    QVERIFY(!r.message.isEmpty());
    QCOMPARE(stateOf(QStringLiteral("1001")), QStringLiteral("正常"));
    // The connection is usable afterwards: nothing was left open.
    QVERIFY(ReaderAccount::topUp(QStringLiteral("1001"), QStringLiteral("1"), false, QString()).ok);
}

void ReaderAccountTest::stateRefused_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("message");
    // Deleted at another workstation after the list was read.
    QTest::newRow("unknown reader") << "9999"
                                    << "停用" << ReaderAccount::kNotFound;
    QTest::newRow("empty state") << "1001"
                                 << "  " << ReaderAccount::kEmptyState;
}

void ReaderAccountTest::stateRefused()
{
    QFETCH(QString, number);
    QFETCH(QString, state);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    const ReaderAccount::Result r =
        ReaderAccount::changeState(number, QStringLiteral("李四"), state, QString());
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(stateOf(QStringLiteral("1001")), QStringLiteral("正常"));
    QCOMPARE(rowsIn(QStringLiteral("管理员日志")), 0);
}

void ReaderAccountTest::lookup()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), Money::fromRaw(32500).toSql());
    addReader(QStringLiteral("1002"), QStringLiteral("张三"), QVariant());

    ReaderAccount::Lookup l = ReaderAccount::find(QStringLiteral(" 1001 "));
    QVERIFY(l.found);
    QCOMPARE(l.reader.number, QStringLiteral("1001"));
    QCOMPARE(l.reader.name, QStringLiteral("李四"));
    QCOMPARE(l.reader.sex, QStringLiteral("男"));
    QCOMPARE(l.reader.balance, Money::fromRaw(32500));
    // An empty balance shows as 0.
    l = ReaderAccount::find(QStringLiteral("1002"));
    QVERIFY(l.found);
    QCOMPARE(l.reader.balance, Money());
    for (const QString &unknown : {QStringLiteral("9999"), QString(), QStringLiteral("1001'")}) {
        l = ReaderAccount::find(unknown);
        QVERIFY(!l.found);
        QCOMPARE(l.message, ReaderAccount::kNotFound);
    }
}

void ReaderAccountTest::topUp_data()
{
    QTest::addColumn<QVariant>("balance");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("refund");
    QTest::addColumn<qint64>("newBalance"); // raw, ten-thousandths
    QTest::addColumn<qint64>("income");
    QTest::newRow("empty balance")
        << QVariant() << "10" << false << qint64(100000) << qint64(100000);
    // A refund may leave the balance below zero.
    QTest::newRow("refund below zero")
        << QVariant(QStringLiteral("3")) << "5" << true << qint64(-20000) << qint64(-50000);
    QTest::newRow("fraction") << QVariant(QStringLiteral("2.25")) << "0.0001" << false
                              << qint64(22501) << qint64(1);
    QTest::newRow("full width") << QVariant(QStringLiteral("1")) << "１２．５" << false
                                << qint64(135000) << qint64(125000);
}

void ReaderAccountTest::topUp()
{
    QFETCH(QVariant, balance);
    QFETCH(QString, amount);
    QFETCH(bool, refund);
    QFETCH(qint64, newBalance);
    QFETCH(qint64, income);
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("王管理");
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), balance);
    addReader(QStringLiteral("1002"), QStringLiteral("张三"), QStringLiteral("7"));

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const ReaderAccount::Result r =
        ReaderAccount::topUp(QStringLiteral("1001"), amount, refund, QStringLiteral("现金"));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QVERIFY2(r.ok, qPrintable(r.message));

    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromRaw(newBalance));
    QCOMPARE(balanceOf(QStringLiteral("1002")), Money::fromYuan(7));
    QCOMPARE(rowsIn(QStringLiteral("收入")), 1);
    QSqlQuery q =
        Statement(
            QStringLiteral("select 项目, 时间, 读者编号, 读者姓名, 金额, 管理员, 备注 from 收入"))
            .exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("充值"));
    const QDateTime at = dateTimeFromSql(q.value(1));
    QVERIFY2(at >= before && at <= after, qPrintable(at.toString(Qt::ISODate)));
    QCOMPARE(q.value(2).toString(), QStringLiteral("1001"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("李四"));
    QCOMPARE(Money::fromVariant(q.value(4)), Money::fromRaw(income));
    QCOMPARE(q.value(5).toString(), QStringLiteral("王管理"));
    QCOMPARE(q.value(6).toString(), QStringLiteral("现金"));
}

// Another workstation books a top-up after this one has shown the balance: both count.
void ReaderAccountTest::topUpAddsToTheStoredBalance()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    const ReaderAccount::Lookup shown = ReaderAccount::find(QStringLiteral("1001"));
    QCOMPARE(shown.reader.balance, Money::fromYuan(3));
    QVERIFY(Statement(QStringLiteral("update 读者库 set 卡内金额=卡内金额+10")).run());
    QVERIFY(ReaderAccount::topUp(QStringLiteral("1001"), QStringLiteral("5"), false, QString()).ok);
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(18));
}

void ReaderAccountTest::topUpRefused_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("refund");
    QTest::addColumn<QString>("message");
    QTest::newRow("zero") << "1001"
                          << "0" << false << ReaderAccount::kZeroAmount;
    QTest::newRow("zero refund") << "1001"
                                 << "0.00" << true << ReaderAccount::kZeroAmount;
    QTest::newRow("empty") << "1001"
                           << "" << false << ReaderAccount::kZeroAmount;
    // Not a number: counts as 0.
    QTest::newRow("two points") << "1001"
                                << "1.2.3" << false << ReaderAccount::kZeroAmount;
    QTest::newRow("letters") << "1001"
                             << "abc" << false << ReaderAccount::kZeroAmount;
    // Rounds to 0 at four decimals.
    QTest::newRow("below a ten-thousandth") << "1001"
                                            << "0.00004" << false << ReaderAccount::kZeroAmount;
    QTest::newRow("unknown reader") << "9999"
                                    << "5" << false << ReaderAccount::kNotFound;
}

void ReaderAccountTest::topUpRefused()
{
    QFETCH(QString, number);
    QFETCH(QString, amount);
    QFETCH(bool, refund);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    const ReaderAccount::Result r = ReaderAccount::topUp(number, amount, refund, QString());
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message);
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(3));
    QCOMPARE(rowsIn(QStringLiteral("收入")), 0);
}

// The income row fails after the balance was raised: the balance goes back.
void ReaderAccountTest::balanceWithoutIncomeRowIsRolledBack()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    dropTable(QStringLiteral("收入"));
    const ReaderAccount::Result r =
        ReaderAccount::topUp(QStringLiteral("1001"), QStringLiteral("5"), false, QString());
    QVERIFY(!r.ok);
    QVERIFY(!r.message.isEmpty());
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(3));
    QVERIFY(ReaderAccount::changeState(QStringLiteral("1001"), QStringLiteral("李四"),
                                       QStringLiteral("停用"), QString())
                .ok);
}

QTEST_GUILESS_MAIN(ReaderAccountTest)
#include "reader_account_dbtest.moc"
