// The login: the version checks of the administrator table, the names offered, the
// pre-filled password, the settings snapshot and the check of name and password.
#include "TestDb.h"

#include "admin/AdminAccounts.h"
#include "admin/LoginService.h"
#include "admin/PasswordHash.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

// Adds an administrator with the given stored password and the named flags set.
void addAdmin(const QString &name, const QVariant &storedPwd, const QStringList &flags = {})
{
    Statement st(QStringLiteral("insert into 管理员 (adminname, pwd"));
    for (const QString &f : flags)
        st.text(QStringLiteral(", ") + f);
    st.text(QStringLiteral(") values (")).value(name).text(QStringLiteral(", ")).value(storedPwd);
    for (int i = 0; i < flags.size(); ++i)
        st.text(QStringLiteral(", 1"));
    QString error;
    QVERIFY2(st.text(QStringLiteral(")")).run(&error), qPrintable(error));
}

void setSuperPassword(const QVariant &stored)
{
    QVERIFY(Statement(QStringLiteral("update 管理员 set pwd="))
                .value(stored)
                .text(QStringLiteral(" where adminname='超级管理员'"))
                .run());
}

QString storedPassword(const QString &name)
{
    return Statement(QStringLiteral("select pwd from 管理员 where adminname="))
        .value(name)
        .scalar()
        .toString();
}

void run(const QString &sql)
{
    QSqlQuery q(SharedConnection::database());
    QVERIFY2(q.exec(sql), qPrintable(Statement::lastError(q) + "\n" + sql));
}

} // namespace

class LoginTest : public QObject {
    Q_OBJECT
private slots:
    void versionChecks_data();
    void versionChecks();
    void namesInQueryOrder();
    void defaultPasswordOffered_data();
    void defaultPasswordOffered();
    void settingsSnapshot();
    void customLabels_data();
    void customLabels();
    void passwordCheck_data();
    void passwordCheck();
    void superAdministratorGetsAllButStock_data();
    void superAdministratorGetsAllButStock();
    void flagsOfAnOrdinaryAdministrator();
    void plainTextPasswordIsReplacedOnce();
    void wrongPasswordChangesNothing();
};

void LoginTest::versionChecks_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("no table") << "drop table 管理员"
                              << "请使用对应的版本@!aaa";
    QTest::newRow("older table") << "alter table 管理员 drop column qxDjXg"
                                 << "请使用对应的版本@!bbb";
    QTest::newRow("no stock permission") << "alter table 管理员 drop column qxModifyStock"
                                         << "请使用对应的版本@!bbb";
    QTest::newRow("no administrators") << "delete from 管理员"
                                       << "没有管理员账户,请重新创建数据库或联系系统管理员.";
}

void LoginTest::versionChecks()
{
    QFETCH(QString, change);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    LoginService ok(loginContext());
    QCOMPARE(ok.checkDatabase(), LoginService::DatabaseCheck::Ok);
    run(change);
    LoginService service(loginContext());
    const LoginService::DatabaseCheck check = service.checkDatabase();
    QVERIFY(check != LoginService::DatabaseCheck::Ok);
    QCOMPARE(LoginService::message(check), message);
}

void LoginTest::namesInQueryOrder()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addAdmin(QStringLiteral("王五"), QStringLiteral("1"));
    addAdmin(QStringLiteral(" 李四 "), QStringLiteral("1"));
    addAdmin(QStringLiteral("Anna"), QStringLiteral("1"));
    LoginService service(loginContext());
    QCOMPARE(service.checkDatabase(), LoginService::DatabaseCheck::Ok);
    // As a fresh table returns them, in the order they were added: no sorting, no trimming.
    QCOMPARE(service.administratorNames(), QStringList({"超级管理员", "王五", " 李四 ", "Anna"}));
    // Also after the super administrator changed his password: he stays the first name.
    const AdminAccounts::Result changed =
        AdminAccounts::changePassword(QStringLiteral("超级管理员"), QStringLiteral("8888"),
                                      QStringLiteral("1"), QStringLiteral("1"));
    QVERIFY2(changed.ok, qPrintable(changed.message));
    QVERIFY(Statement(QStringLiteral("update 管理员 set qxbk=1 where adminname='王五'")).run());
    QCOMPARE(service.checkDatabase(), LoginService::DatabaseCheck::Ok);
    QCOMPARE(service.administratorNames(), QStringList({"超级管理员", "王五", " 李四 ", "Anna"}));
}

void LoginTest::defaultPasswordOffered_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("offered");
    QTest::newRow("hash of 8888") << QVariant(PasswordHash::make("8888")) << true;
    QTest::newRow("plain 8888") << QVariant("8888") << true;
    QTest::newRow("hash of another") << QVariant(PasswordHash::make("1234")) << false;
    QTest::newRow("plain another") << QVariant("88888") << false;
    QTest::newRow("null") << QVariant(QMetaType(QMetaType::QString)) << false;
}

void LoginTest::defaultPasswordOffered()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, offered);
    TestDb t;
    TSGL_FRESH_DB(t);
    setSuperPassword(stored);
    // Another administrator with the default password does not count.
    addAdmin(QStringLiteral("张三"), QStringLiteral("8888"));
    QCOMPARE(LoginService(loginContext()).superAdministratorHasDefaultPassword(), offered);
}

void LoginTest::settingsSnapshot()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    run(QStringLiteral("update 系统设置 set 启用租金功能=1, 启用读者租金=0, 启用读者有效期=1, "
                       "启用超期罚金=0, 借阅数量限制功能=1, 图书馆名='城南''s 图书馆', "
                       "超期每日罚金=0.35, 开户费=12.5, 显示班级=1, 显示院系=0, 启用预定功能=1"));
    LoginContext &c = loginContext();
    QVERIFY(LoginService(c).readSettings());
    QVERIFY(c.rentEnabled);
    QVERIFY(!c.readerRentEnabled);
    QVERIFY(c.readerValidityEnabled);
    QVERIFY(!c.overdueFineEnabled);
    QVERIFY(c.loanLimitEnabled);
    QCOMPARE(c.libraryName, QStringLiteral("城南's 图书馆"));
    QCOMPARE(c.overdueFinePerDay, Money::fromRaw(3500));
    QCOMPARE(c.openingFee, Money::fromRaw(125000));
    QVERIFY(c.showClass);
    QVERIFY(!c.showFaculty);
    QVERIFY(c.reservationEnabled);

    // Every press of 确定 reads the row again, even when the password is wrong.
    run(QStringLiteral("update 系统设置 set 启用租金功能=0, 开户费=3"));
    LoginService service(c);
    QVERIFY(service.readSettings());
    QCOMPARE(service.login(QStringLiteral("超级管理员"), QStringLiteral("wrong")),
             LoginService::Result::WrongPassword);
    QVERIFY(!c.rentEnabled);
    QCOMPARE(c.openingFee, Money::fromYuan(3));
    QVERIFY(c.adminName.isEmpty());
}

void LoginTest::customLabels_data()
{
    QTest::addColumn<QVariant>("a1");
    QTest::addColumn<QVariant>("a3");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("label3");
    const QVariant null(QMetaType(QMetaType::QString));
    QTest::newRow("null") << null << null << "密级"
                          << "a3";
    // An empty label would leave a bare "设置" in the menu: the list keeps its own name.
    QTest::newRow("empty text keeps the name") << QVariant("") << QVariant("  ") << "密级"
                                               << "a3";
    QTest::newRow("named") << QVariant("语种") << QVariant("装订") << "语种"
                           << "装订";
}

void LoginTest::customLabels()
{
    QFETCH(QVariant, a1);
    QFETCH(QVariant, a3);
    QFETCH(QString, label1);
    QFETCH(QString, label3);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("update 系统设置 set a1="))
                .value(a1)
                .text(QStringLiteral(", a3="))
                .value(a3)
                .run());
    LoginContext &c = loginContext();
    c.customListLabel1 = QStringLiteral("old");
    QVERIFY(LoginService(c).readSettings());
    QCOMPARE(c.customListLabel1, label1);
    QCOMPARE(c.customListLabel2, QStringLiteral("a2"));
    QCOMPARE(c.customListLabel3, label3);
}

void LoginTest::passwordCheck_data()
{
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("adminName");
    QTest::newRow("right") << "张三"
                           << "secret" << true << "张三";
    QTest::newRow("wrong password") << "张三"
                                    << "secreT" << false << "";
    QTest::newRow("unknown name") << "张四"
                                  << "secret" << false << "";
    QTest::newRow("name with blanks is matched as typed") << " 张三"
                                                          << "secret" << false << "";
    QTest::newRow("stored name with blanks, trimmed after") << "李四 "
                                                            << "x'y" << true << "李四";
    QTest::newRow("quote in name") << "O'Neil"
                                   << "' or '1'='1" << true << "O'Neil";
    QTest::newRow("injection attempt") << "张三' --"
                                       << "" << false << "";
    QTest::newRow("empty password") << "张三"
                                    << "" << false << "";
    QTest::newRow("no stored password, empty typed") << "赵六"
                                                     << "" << false << "";
    QTest::newRow("empty stored password, empty typed") << "钱七"
                                                        << "" << true << "钱七";
    // Checking it would take an hour; the row admits nobody at once.
    QTest::newRow("stored hash with two billion iterations") << "孙八"
                                                             << "8888" << false << "";
}

void LoginTest::passwordCheck()
{
    QFETCH(QString, typedName);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(QString, adminName);
    TestDb t;
    TSGL_FRESH_DB(t);
    addAdmin(QStringLiteral("张三"), PasswordHash::make(QStringLiteral("secret")));
    addAdmin(QStringLiteral("李四 "), PasswordHash::make(QStringLiteral("x'y")));
    addAdmin(QStringLiteral("O'Neil"), PasswordHash::make(QStringLiteral("' or '1'='1")));
    addAdmin(QStringLiteral("赵六"), QVariant(QMetaType(QMetaType::QString)));
    addAdmin(QStringLiteral("钱七"), QStringLiteral(""));
    addAdmin(QStringLiteral("孙八"), QStringLiteral("pbkdf2-sha256$2000000000$MDEy$MDEy"));
    LoginService service(loginContext());
    QCOMPARE(service.login(typedName, password),
             accepted ? LoginService::Result::Accepted : LoginService::Result::WrongPassword);
    QCOMPARE(loginContext().adminName, adminName);
}

void LoginTest::superAdministratorGetsAllButStock_data()
{
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<bool>("storedStock");
    QTest::newRow("stock not stored") << "超级管理员" << false;
    QTest::newRow("stock stored") << "超级管理员" << true;
    QTest::newRow("typed with a blank") << "超级管理员 " << false;
}

void LoginTest::superAdministratorGetsAllButStock()
{
    QFETCH(QString, typedName);
    QFETCH(bool, storedStock);
    TestDb t;
    TSGL_FRESH_DB(t);
    // A second row whose name differs by a trailing blank: the rule looks at the trimmed name.
    addAdmin(QStringLiteral("超级管理员 "), QStringLiteral("8888"));
    // His stored flags say almost nothing; the rule gives him every command all the same.
    run(QStringLiteral("update 管理员 set qxadmin=0, qxdel=0, qxbk=0, qxrd=0, qxqk=0, qxwp=0, "
                       "qxbkxg=0, qxrdxg=0, qxqkxg=0, qxwpxg=0, qxborrow=0, qxreturn=0, "
                       "qxsysset=0, qxadddata=0, qxModifyStock=%1")
            .arg(storedStock ? 1 : 0));
    LoginContext &c = loginContext();
    QCOMPARE(LoginService(c).login(typedName, QStringLiteral("8888")),
             LoginService::Result::Accepted);
    for (bool f : {c.qxadmin, c.qxdel, c.qxbk, c.qxrd, c.qxqk, c.qxwp, c.qxbkxg, c.qxrdxg, c.qxqkxg,
                   c.qxwpxg, c.qxborrow, c.qxreturn, c.qxsysset, c.qxadddata})
        QVERIFY(f);
    QCOMPARE(c.qxModifyStock, storedStock);
    QCOMPARE(c.adminName, QStringLiteral("超级管理员"));
}

void LoginTest::flagsOfAnOrdinaryAdministrator()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addAdmin(QStringLiteral("张三"), QStringLiteral("1"),
             {QStringLiteral("qxborrow"), QStringLiteral("qxrd"), QStringLiteral("qxModifyStock")});
    LoginContext &c = loginContext();
    c.qxadmin = true; // left from nothing: the login sets every flag from the row
    QCOMPARE(LoginService(c).login(QStringLiteral("张三"), QStringLiteral("1")),
             LoginService::Result::Accepted);
    QVERIFY(c.qxborrow);
    QVERIFY(c.qxrd);
    QVERIFY(c.qxModifyStock);
    for (bool f :
         {c.qxadmin, c.qxdel, c.qxbk, c.qxqk, c.qxbkxg, c.qxreturn, c.qxsysset, c.qxadddata})
        QVERIFY(!f);
}

void LoginTest::plainTextPasswordIsReplacedOnce()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addAdmin(QStringLiteral("张三"), QStringLiteral("abc"));
    addAdmin(QStringLiteral("李四"), QStringLiteral("abc"));
    LoginService service(loginContext());
    QCOMPARE(service.login(QStringLiteral("张三"), QStringLiteral("abc")),
             LoginService::Result::Accepted);
    const QString hash = storedPassword(QStringLiteral("张三"));
    QVERIFY(PasswordHash::isHash(hash));
    QVERIFY(PasswordHash::matches(QStringLiteral("abc"), hash));
    // Only his row changes.
    QCOMPARE(storedPassword(QStringLiteral("李四")), QStringLiteral("abc"));
    // The next login goes through the hash and leaves it as it is.
    QCOMPARE(service.login(QStringLiteral("张三"), QStringLiteral("abc")),
             LoginService::Result::Accepted);
    QCOMPARE(storedPassword(QStringLiteral("张三")), hash);
    QCOMPARE(service.login(QStringLiteral("张三"), QStringLiteral("abd")),
             LoginService::Result::WrongPassword);
}

void LoginTest::wrongPasswordChangesNothing()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addAdmin(QStringLiteral("张三"), QStringLiteral("abc"), {QStringLiteral("qxadmin")});
    LoginContext &c = loginContext();
    LoginService service(c);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(service.login(QStringLiteral("张三"), QStringLiteral("abcd")),
                 LoginService::Result::WrongPassword);
    QCOMPARE(storedPassword(QStringLiteral("张三")), QStringLiteral("abc"));
    QVERIFY(!c.qxadmin);
    QVERIFY(c.adminName.isEmpty());
}

QTEST_GUILESS_MAIN(LoginTest)
#include "login_dbtest.moc"
