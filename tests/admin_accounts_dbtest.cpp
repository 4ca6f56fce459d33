// Administrator accounts, the password change and the administrators' log.
#include "TestDb.h"

#include "admin/AdminAccounts.h"
#include "admin/AdminLog.h"
#include "admin/LoginService.h"
#include "admin/PasswordHash.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QDateTime>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

namespace {

const AdminAccounts::Account *find(const QVector<AdminAccounts::Account> &all, const QString &name)
{
    for (const AdminAccounts::Account &a : all) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

QVector<bool> flags(std::initializer_list<int> onIndexes)
{
    QVector<bool> out(AdminAccounts::permissions().size(), false);
    for (int i : onIndexes)
        out[i] = true;
    return out;
}

QString storedPassword(const QString &name)
{
    Statement st(QStringLiteral("select pwd from 管理员 where adminname="));
    st.value(name);
    return st.scalar().toString();
}

// The names two processes try to add at the same moment.
constexpr int kRaceNames = 30;

// A second program adding administrators: the test starts two of these on one database.
// Prints how many names it got in.
int raceForNames()
{
    const SqlDialect dialect = qEnvironmentVariable("TSGL_RACE_DIALECT") == QLatin1String("pg")
                                   ? SqlDialect::Server
                                   : SqlDialect::Embedded;
    QString error;
    if (!SharedConnection::open(qEnvironmentVariable("TSGL_RACE_CONNECTION"), dialect, &error)) {
        QTextStream(stderr) << error << '\n';
        return 2;
    }
    // Both start together, so that their checks and inserts interleave.
    const qint64 start = qEnvironmentVariable("TSGL_RACE_START").toLongLong();
    while (QDateTime::currentMSecsSinceEpoch() < start)
        QThread::usleep(200);
    int added = 0;
    for (int i = 0; i < kRaceNames; ++i) {
        const AdminAccounts::Result r =
            AdminAccounts::add(QStringLiteral("抢%1").arg(i), QVector<bool>());
        if (r.ok)
            ++added;
        else if (r.message != QStringLiteral("用户名已存在!")) {
            QTextStream(stderr) << r.message << '\n';
            return 3;
        }
    }
    QTextStream(stdout) << added;
    return 0;
}

} // namespace

class AdminAccountsTest : public QObject {
    Q_OBJECT
private slots:
    void newAdministratorHasDefaultPasswordAndChosenFlags();
    void renameAndFlags();
    void namesAreUnique_data();
    void namesAreUnique();
    void namesakesOfAnOlderDatabase();
    void twoProcessesAddingOneName();
    void superAdministratorIsProtected();
    void deleteOne();
    void passwordChange_data();
    void passwordChange();
    void plainTextPasswordIsReplacedByHash();
    void logEntry();
    void logEntryFollowsCallersTransaction();
    void logDeleteOneAndAll();
    void logReport();
};

void AdminAccountsTest::newAdministratorHasDefaultPasswordAndChosenFlags()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const AdminAccounts::Result r = AdminAccounts::add(QStringLiteral(" 张三 "), flags({0, 12}));
    QVERIFY2(r.ok, qPrintable(r.message));
    const AdminAccounts::Account *a = find(AdminAccounts::load(), QStringLiteral("张三"));
    QVERIFY(a);
    QCOMPARE(a->flags, flags({0, 12}));
    const QString pwd = storedPassword(QStringLiteral("张三"));
    QVERIFY(PasswordHash::isHash(pwd));
    QVERIFY(PasswordHash::matches(QString::fromLatin1(DefaultPassword), pwd));
    QSqlQuery q = Statement(QStringLiteral("select qxborrow, qxModifyStock, qxadmin, qxwp, qxDjXg, "
                                           "qxwpxg from 管理员 where adminname='张三'"))
                      .exec();
    QVERIFY(q.next());
    const QList<int> expected = {1, 1, 0, 0, 0, 0};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(q.value(i).toInt(), expected[i]);
    QCOMPARE(AdminAccounts::add(QStringLiteral("  "), flags({})).message,
             QStringLiteral("用户名必须填写！"));

    // He logs in with the default password at once, with the flags he was given.
    LoginService login(loginContext());
    QCOMPARE(login.login(QStringLiteral("张三"), QStringLiteral("8889")),
             LoginService::Result::WrongPassword);
    QString error;
    QCOMPARE(login.login(QStringLiteral("张三"), QString::fromLatin1(DefaultPassword), &error),
             LoginService::Result::Accepted);
    QCOMPARE(loginContext().adminName, QStringLiteral("张三"));
    QVERIFY(loginContext().qxborrow);
    QVERIFY(loginContext().qxModifyStock);
    QVERIFY(!loginContext().qxadmin);
}

void AdminAccountsTest::renameAndFlags()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(AdminAccounts::add(QStringLiteral("张三"), flags({})).ok);
    const AdminAccounts::Account a = *find(AdminAccounts::load(), QStringLiteral("张三"));
    const AdminAccounts::Result r = AdminAccounts::update(a, QStringLiteral("李四"), flags({1, 9}));
    QVERIFY2(r.ok, qPrintable(r.message));
    const QVector<AdminAccounts::Account> all = AdminAccounts::load();
    QVERIFY(!find(all, QStringLiteral("张三")));
    QCOMPARE(find(all, QStringLiteral("李四"))->flags, flags({1, 9}));
    // The password stays.
    QVERIFY(PasswordHash::matches(QStringLiteral("8888"), storedPassword(QStringLiteral("李四"))));
    // A window that still shows the old name changes nothing.
    QVERIFY(!AdminAccounts::update(a, QStringLiteral("王五"), flags({})).ok);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员")).toInt(), 2);
}

void AdminAccountsTest::namesAreUnique_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rename");
    QTest::newRow("add existing") << "张三" << false;
    QTest::newRow("add super administrator's name") << "超级管理员" << false;
    QTest::newRow("rename to existing") << "张三" << true;
    QTest::newRow("rename to existing with blanks") << " 张三 " << true;
}

void AdminAccountsTest::namesAreUnique()
{
    QFETCH(QString, name);
    QFETCH(bool, rename);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(AdminAccounts::add(QStringLiteral("张三"), flags({})).ok);
    QVERIFY(AdminAccounts::add(QStringLiteral("李四"), flags({})).ok);
    const AdminAccounts::Result r =
        rename ? AdminAccounts::update(*find(AdminAccounts::load(), QStringLiteral("李四")), name,
                                       flags({}))
               : AdminAccounts::add(name, flags({}));
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("用户名已存在!"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员 where adminname='李四'")).toInt(),
             1);
    QCOMPARE(AdminAccounts::load().size(), 3);
}

// An older database may hold two administrators of one name: either one's flags can still
// be changed, and a password change reaches both, so the old password opens neither.
void AdminAccountsTest::namesakesOfAnOlderDatabase()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QString hash = PasswordHash::make(QStringLiteral("旧"));
    for (int i = 0; i < 2; ++i)
        QVERIFY(Statement(QStringLiteral("insert into 管理员 (adminname, pwd) values ('张三', ?)"),
                          {hash})
                    .run());
    QVector<AdminAccounts::Account> all = AdminAccounts::load();
    QCOMPARE(all.size(), 3);
    for (int i = 1; i < 3; ++i) {
        const AdminAccounts::Result r =
            AdminAccounts::update(AdminAccounts::load()[i], QStringLiteral("张三"), flags({i}));
        QVERIFY2(r.ok, qPrintable(r.message));
    }
    all = AdminAccounts::load();
    QCOMPARE(all[1].flags, flags({1}));
    QCOMPARE(all[2].flags, flags({2}));

    const AdminAccounts::Result changed = AdminAccounts::changePassword(
        QStringLiteral("张三"), QStringLiteral("旧"), QStringLiteral("新"), QStringLiteral("新"));
    QVERIFY2(changed.ok, qPrintable(changed.message));
    LoginService login(loginContext());
    QCOMPARE(login.login(QStringLiteral("张三"), QStringLiteral("旧")),
             LoginService::Result::WrongPassword);
    QCOMPARE(login.login(QStringLiteral("张三"), QStringLiteral("新")),
             LoginService::Result::Accepted);
}

// Two workstations adding the same names at the same moment: each name gets in once.
void AdminAccountsTest::twoProcessesAddingOneName()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TSGL_RACE_CONNECTION"), t.connectionString());
    env.insert(QStringLiteral("TSGL_RACE_DIALECT"),
               t.dialect() == SqlDialect::Server ? QStringLiteral("pg") : QStringLiteral("sqlite"));
    env.insert(QStringLiteral("TSGL_RACE_START"),
               QString::number(QDateTime::currentMSecsSinceEpoch() + 1500));
    QProcess racers[2];
    for (QProcess &p : racers) {
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {});
    }
    int added = 0;
    for (QProcess &p : racers) {
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        added += p.readAllStandardOutput().toInt();
    }
    QCOMPARE(added, kRaceNames);
    QCOMPARE(
        scalar(QStringLiteral("select count(*) from 管理员 where adminname like '抢%'")).toInt(),
        kRaceNames);
    QCOMPARE(scalar(QStringLiteral("select count(distinct adminname) from 管理员")).toInt(),
             kRaceNames + 1);
}

void AdminAccountsTest::superAdministratorIsProtected()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const AdminAccounts::Account super = AdminAccounts::load().first();
    QCOMPARE(super.name, QString::fromUtf8(SuperAdminName));
    QCOMPARE(AdminAccounts::deleteRefusal(&super), QStringLiteral("超级管理员 不能删除！"));
    QVERIFY(!AdminAccounts::remove(super).ok);
    QVERIFY(!AdminAccounts::update(super, QStringLiteral("老大"), super.flags).ok);
    // His flags may change; his name stays.
    const AdminAccounts::Result r =
        AdminAccounts::update(super, QString::fromUtf8(SuperAdminName), flags({0}));
    QVERIFY2(r.ok, qPrintable(r.message));
    const AdminAccounts::Account after = AdminAccounts::load().first();
    QCOMPARE(after.name, QString::fromUtf8(SuperAdminName));
    QCOMPARE(after.flags, flags({0}));
}

void AdminAccountsTest::deleteOne()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(AdminAccounts::add(QStringLiteral("张三"), flags({})).ok);
    const AdminAccounts::Account a = *find(AdminAccounts::load(), QStringLiteral("张三"));
    QCOMPARE(AdminAccounts::deleteQuestion(a), QStringLiteral("您是否要删除\" 张三\""));
    QVERIFY(AdminAccounts::deleteRefusal(&a).isEmpty());
    QVERIFY(AdminAccounts::remove(a).ok);
    QCOMPARE(AdminAccounts::load().size(), 1);
    QVERIFY(!AdminAccounts::deleteRefusal(nullptr).isEmpty());
}

void AdminAccountsTest::passwordChange_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::newRow("changed") << "8888"
                             << "s3cret'"
                             << "s3cret'" << QString();
    QTest::newRow("empty new password") << "8888"
                                        << ""
                                        << "" << QString();
    QTest::newRow("wrong old") << "8889"
                               << "x"
                               << "x"
                               << "旧密码输入错误！";
    QTest::newRow("old is the hash text") << PasswordHash::make("8888") << "x"
                                          << "x"
                                          << "旧密码输入错误！";
    QTest::newRow("confirmation differs") << "8888"
                                          << "abc"
                                          << "abd"
                                          << "两次输入的新密码不一致！";
}

void AdminAccountsTest::passwordChange()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(AdminAccounts::add(QStringLiteral("张三"), flags({})).ok);
    QVERIFY(AdminAccounts::add(QStringLiteral("李四"), flags({})).ok);
    const QString otherBefore = storedPassword(QStringLiteral("李四"));
    const AdminAccounts::Result r = AdminAccounts::changePassword(
        QStringLiteral("张三"), oldPassword, newPassword, confirmation);
    QCOMPARE(r.ok, message.isEmpty());
    QCOMPARE(r.message, message);
    const QString stored = storedPassword(QStringLiteral("张三"));
    QVERIFY(PasswordHash::isHash(stored));
    QCOMPARE(PasswordHash::matches(newPassword, stored), message.isEmpty());
    QCOMPARE(PasswordHash::matches(QStringLiteral("8888"), stored), !message.isEmpty());
    QCOMPARE(storedPassword(QStringLiteral("李四")), otherBefore);
}

void AdminAccountsTest::plainTextPasswordIsReplacedByHash()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(AdminAccounts::add(QStringLiteral("张三"), flags({})).ok);
    QVERIFY(Statement(QStringLiteral("update 管理员 set pwd='old1' where adminname='张三'")).run());
    QVERIFY(AdminAccounts::changePassword(QStringLiteral("张三"), QStringLiteral("old1"),
                                          QStringLiteral("new2"), QStringLiteral("new2"))
                .ok);
    const QString stored = storedPassword(QStringLiteral("张三"));
    QVERIFY(PasswordHash::isHash(stored));
    QVERIFY(PasswordHash::matches(QStringLiteral("new2"), stored));
}

void AdminAccountsTest::logEntry()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("张三");
    const QDateTime at(QDate(2024, 3, 5), QTime(14, 7, 9, 640));
    QString error;
    QVERIFY2(AdminLog::write(QStringLiteral("修改库存"), QStringLiteral("条形码:O'1"), at, &error),
             qPrintable(error));
    QSqlQuery q = AdminLog::selectStatement().exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), QStringLiteral("修改库存"));
    QCOMPARE(dateTimeFromSql(q.value(2)), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    QCOMPARE(q.value(3).toString(), QStringLiteral("张三"));
    QCOMPARE(q.value(4).toString(), QStringLiteral("条形码:O'1"));
    QVERIFY(!q.next());

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QVERIFY(AdminLog::write(QStringLiteral("修改状态"), QStringLiteral("读者编号:1")));
    const QDateTime written = dateTimeFromSql(
        scalar(QStringLiteral("select 日期 from 管理员日志 where 事件='修改状态'")));
    QVERIFY(written >= before && written <= QDateTime::currentDateTime());
}

void AdminAccountsTest::logEntryFollowsCallersTransaction()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    {
        Transaction tx;
        QVERIFY(AdminLog::write(QStringLiteral("修改库存"), QStringLiteral("a")));
        // No commit: the entry goes with the caller's other rows.
    }
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员日志")).toInt(), 0);
    {
        Transaction tx;
        QVERIFY(AdminLog::write(QStringLiteral("修改库存"), QStringLiteral("b")));
        QVERIFY(tx.commit());
    }
    QCOMPARE(scalar(QStringLiteral("select 说明 from 管理员日志")).toString(), QStringLiteral("b"));
}

void AdminAccountsTest::logDeleteOneAndAll()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (const char *e : {"一", "二", "三"})
        QVERIFY(AdminLog::write(QString::fromUtf8(e), QString()));
    const QVariant id = scalar(QStringLiteral("select id from 管理员日志 where 事件='二'"));
    QVERIFY(AdminLog::removeEntry(id));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员日志")).toInt(), 2);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员日志 where 事件='二'")).toInt(), 0);
    QVERIFY(AdminLog::removeAll());
    QCOMPARE(scalar(QStringLiteral("select count(*) from 管理员日志")).toInt(), 0);
}

void AdminAccountsTest::logReport()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("张三");
    const QDateTime at(QDate(2024, 5, 6), QTime(7, 8, 9));
    QVERIFY(AdminLog::write(QStringLiteral("修改库存"), QStringLiteral("条形码:A1"), at, nullptr));
    QVERIFY(AdminLog::write(QStringLiteral("修改状态"), QStringLiteral("读者编号:7"), at, nullptr));
    Statement onlyStock = AdminLog::selectStatement();
    onlyStock.text(QStringLiteral(" where 事件=")).value(QStringLiteral("修改库存"));
    ReportModel report;
    QString error;
    QVERIFY2(AdminLog::buildReport(onlyStock, at, &report, &error), qPrintable(error));
    QCOMPARE(report.pageCount(), 1);
    QStringList titles;
    QMap<QString, QString> cells;
    for (const ReportItem &item : report.pages[0].items) {
        if (item.role == QLatin1String("columnTitle"))
            titles << item.text;
        if (item.role == QLatin1String("cell")) {
            QCOMPARE(item.row, 0);
            cells[item.field] = item.text;
        }
    }
    QCOMPARE(titles,
             QStringList({QStringLiteral("id"), QStringLiteral("事件"), QStringLiteral("日期"),
                          QStringLiteral("管理员"), QStringLiteral("说明")}));
    QCOMPARE(cells.value(QStringLiteral("事件")), QStringLiteral("修改库存"));
    QCOMPARE(cells.value(QStringLiteral("日期")), QStringLiteral("2024-05-06 07:08:09"));
    QCOMPARE(cells.value(QStringLiteral("管理员")), QStringLiteral("张三"));
    QCOMPARE(cells.value(QStringLiteral("说明")), QStringLiteral("条形码:A1"));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TSGL_RACE_CONNECTION"))
        return raceForNames();
    AdminAccountsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "admin_accounts_dbtest.moc"
