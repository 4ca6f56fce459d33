// The program from its start to the main window: the database file, the login window, the
// main window's menus, permissions and command table, and the database settings window.
#include "FakePrograms.h"
#include "PromptRecorder.h"

#include "AboutUt.h"
#include "AppIcons.h"
#include "LoginUt.h"
#include "MainUt.h"
#include "SetDataUt.h"
#include "TsglVersion.h"
#include "WindowRegistry.h"
#include "admin/PasswordHash.h"
#include "app/DesktopPrograms.h"
#include "app/MainCommands.h"
#include "app/Startup.h"
#include "app/Version.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "text/Gbk.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

class StartupUiTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void freshDatabaseAndEnterLogsIn();
    void refusingTheNewDatabaseOffersSettings();
    void failedCreationOffersSettings();
    void unreadableDeIniEnds();
    void savedSettingsConnectTheLogin_data();
    void savedSettingsConnectTheLogin();
    void wrongPasswordKeepsTheFocus();
    void wrongPasswordsInARowWait();
    void connectionFailureOffersSettings_data();
    void connectionFailureOffersSettings();
    void emptyDatabaseIsOffered_data();
    void emptyDatabaseIsOffered();
    void versionChecksEnd_data();
    void versionChecksEnd();
    void administratorWithoutSystemRights();
    void commandsOpenTheirWindows();
    void missingWindowsAndProgramsSaySo();
    void exitAsksFirst();
    void pictureFollowsTheWindow();
    void iconsOfTheProgramAndItsCommands();
    void settingsWindowSaveRules();

private:
    void writeIni(const QString &text);
    // Starts the login on the de.ini of the test folder.
    TLoginFm *startLogin(TLoginFm::Start expected = TLoginFm::Start::Ready);
    // Starts on a new database and logs in with the pre-filled password.
    TMainFm *loginAsSuperAdministrator();
    void runSql(const QString &sql);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    std::unique_ptr<IniFile> m_ini;
    std::unique_ptr<PromptRecorder> m_prompts;
    std::unique_ptr<TLoginFm> m_login;
};

void StartupUiTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_ini = std::make_unique<IniFile>(m_dir->filePath(QStringLiteral("de.ini")));
    m_prompts = std::make_unique<PromptRecorder>();
    SharedConnection::close();
    loginContext() = LoginContext();
}

void StartupUiTest::cleanup()
{
    m_login.reset();
    m_prompts.reset();
    SharedConnection::close();
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void StartupUiTest::writeIni(const QString &text)
{
    QFile f(m_ini->path());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Gbk::encode(text));
}

TLoginFm *StartupUiTest::startLogin(TLoginFm::Start expected)
{
    Startup::readConfiguration(*m_ini, loginContext());
    m_login = std::make_unique<TLoginFm>(*m_ini, loginContext());
    const TLoginFm::Start started = m_login->start();
    if (started != expected) {
        qWarning() << "messages:" << m_prompts->texts();
        return nullptr;
    }
    return m_login.get();
}

TMainFm *StartupUiTest::loginAsSuperAdministrator()
{
    m_prompts->answer(true); // create the database
    TLoginFm *login = startLogin();
    if (!login)
        return nullptr;
    QTest::keyClick(login->passwordEdit, Qt::Key_Return);
    return login->mainWindow();
}

void StartupUiTest::runSql(const QString &sql)
{
    QString error;
    QVERIFY2(Statement(sql).run(&error), qPrintable(error));
}

void StartupUiTest::freshDatabaseAndEnterLogsIn()
{
    writeIni(
        QStringLiteral("[part1]\r\nsoftname=城南图书馆\r\ntel=010-6543\r\ncompany=城南区文化馆\r\n"
                       "web=lib.example.cn\r\nMemo=为城南区的读者服务。\r\n"));
    TMainFm *main = loginAsSuperAdministrator();
    QVERIFY(main);
    QCOMPARE(m_prompts->entries().first().kind, Prompt::Kind::Question);
    // The question names the whole path; it creates and destroys nothing, so Enter says yes.
    QCOMPARE(m_prompts->entries().first().text,
             QStringLiteral("数据库文件 %1 不存在，是否创建新的图书馆数据库?")
                 .arg(m_dir->filePath(QStringLiteral("book.db"))));
    QCOMPARE(m_prompts->entries().first().defaultAnswer, Prompt::Answer::Yes);
    QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("book.db"))));
    QCOMPARE(m_ini->read("part1", "csaccess", "0"), QStringLiteral("Data Source=book.db;"));
    QCOMPARE(m_login->windowTitle(), QStringLiteral("登录"));
    QCOMPARE(m_login->heading->text(), QStringLiteral("城南图书馆"));
    QCOMPARE(m_login->nameBox->currentText(), QStringLiteral("超级管理员"));

    QVERIFY(!m_login->isVisible());
    QVERIFY(main->isVisible());
    QVERIFY(main->windowState() & Qt::WindowMaximized);
    QCOMPARE(main->windowTitle(), QStringLiteral("城南图书馆"));
    QCOMPARE(main->administratorLabel()->text(), QStringLiteral("  当前管理员:超级管理员"));
    QCOMPARE(main->databaseLabel()->text(), QStringLiteral("  当前数据库是: 本地数据库"));
    QCOMPARE(loginContext().adminName, QStringLiteral("超级管理员"));
    QCOMPARE(m_prompts->entries().size(), 1);
    // The library's own name of its first list is read at login and shown in the menu.
    QCOMPARE(main->menuAction(QStringLiteral("a1设置"))->text(), QStringLiteral("密级设置"));
    QCOMPARE(main->menuAction(QStringLiteral("借    阅"))->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(main->menuAction(QStringLiteral("归    还"))->shortcut(), QKeySequence(Qt::Key_F6));
    QVERIFY(main->menuAction(QStringLiteral("马克marc数据导入"))->isVisible());

    QStringList panels;
    for (QLabel *panel : main->statusBar()->findChildren<QLabel *>())
        panels << panel->text();
    QCOMPARE(panels, QStringList({"城南图书馆", "010-6543", "城南区文化馆 lib.example.cn"}));
    main->runCommand(QStringLiteral("关    于"));
    QWidget *about = main->openWindow(QStringLiteral("关    于"));
    QVERIFY(about);
    QStringList lines;
    for (QLabel *line : about->findChildren<QLabel *>())
        lines << line->text();
    // The version line: the project's version from CMake, with the commit of a checkout.
    QCOMPARE(lines, QStringList({"城南图书馆", "为城南区的读者服务。", "010-6543", "lib.example.cn",
                                 "城南区文化馆", "当前数据库是:本地数据库",
                                 QStringLiteral("版本 ") + Version::text()}));
    QVERIFY(Version::text().startsWith(QStringLiteral(TSGL_PROJECT_VERSION)));
    about->close();
}

void StartupUiTest::refusingTheNewDatabaseOffersSettings()
{
    m_prompts->answer(false);
    TLoginFm *login = startLogin(TLoginFm::Start::NotConnected);
    QVERIFY(login);
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("book.db"))));
    // An existing library may be chosen instead; the user said no, so no failure is shown.
    QCOMPARE(m_prompts->entries().size(), 1);
    QVERIFY(login->isVisible());
    QVERIFY(!login->okButton->isEnabled());
    QVERIFY(login->settingsWindow() && login->settingsWindow()->isVisible());
}

void StartupUiTest::failedCreationOffersSettings()
{
    // de.ini names a file in a folder that is not there (a drive not mounted, a typing
    // error): the file cannot be made, and the settings are where another one is chosen.
    writeIni(QStringLiteral("[part1]\r\ncsaccess=Data Source=gone/book.db;\r\n"));
    m_prompts->answer(true);
    TLoginFm *login = startLogin(TLoginFm::Start::NotConnected);
    QVERIFY(login);
    const QStringList texts = m_prompts->texts();
    QCOMPARE(texts.size(), 2);
    const QString file = m_dir->filePath(QStringLiteral("gone/book.db"));
    QCOMPARE(texts[0], QStringLiteral("数据库文件 %1 不存在，是否创建新的图书馆数据库?").arg(file));
    // The fixed sentence, then what went wrong, naming the file, then the database's reason.
    const QString expected =
        QStringLiteral("数据库连接失败,请选择数据库.\n无法创建数据库文件 %1:\n").arg(file);
    QVERIFY2(texts[1].startsWith(expected) && texts[1].size() > expected.size(),
             qPrintable(texts[1]));
    QVERIFY(login->isVisible());
    QVERIFY(login->settingsWindow() && login->settingsWindow()->isVisible());
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("gone"))));
}

void StartupUiTest::unreadableDeIniEnds()
{
    // de.ini is there and cannot be read (a link to itself stops root too): starting on the
    // defaults would offer a new empty library and hide the settings it holds.
    QVERIFY(QFile::link(QStringLiteral("de.ini"), m_ini->path()));
    QVERIFY(startLogin(TLoginFm::Start::Quit));
    QCOMPARE(m_prompts->entries().size(), 1);
    QCOMPARE(m_prompts->entries().first().kind, Prompt::Kind::Error);
    QVERIFY(
        m_prompts->texts().first().startsWith(QStringLiteral("无法读取配置文件 ") + m_ini->path()));
    QCOMPARE(QFileInfo(m_ini->path()).symLinkTarget(), m_ini->path());
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("de.ini")});
}

void StartupUiTest::savedSettingsConnectTheLogin_data()
{
    QTest::addColumn<QString>("start");  // "declined", "damaged" or "foreign"
    QTest::addColumn<QString>("chosen"); // the file saved in the settings; empty: 退出
    QTest::addColumn<bool>("existing");  // the chosen file is a library already
    QTest::newRow("new library declined, a new file chosen") << "declined"
                                                             << "mine.db" << false;
    QTest::newRow("damaged file, an existing library chosen") << "damaged"
                                                              << "lib.db" << true;
    QTest::newRow("another program's database, a new file chosen") << "foreign"
                                                                   << "sub/new.db" << false;
    QTest::newRow("settings left without saving") << "damaged" << QString() << false;
}

void StartupUiTest::savedSettingsConnectTheLogin()
{
    QFETCH(QString, start);
    QFETCH(QString, chosen);
    QFETCH(bool, existing);
    const QString book = m_dir->filePath(QStringLiteral("book.db"));
    QString error;
    if (start == QLatin1String("declined")) {
        m_prompts->answer(false);
    } else if (start == QLatin1String("damaged")) {
        QFile f(book);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("SQLite format 3\0 and then nothing that makes sense");
    } else {
        const QString name = QStringLiteral("other");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(book);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("create table 客户 (名字 text)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    const QString path = m_dir->filePath(chosen);
    if (existing) {
        QVERIFY2(DatabaseSetup::createEmbedded(path, &error), qPrintable(error));
        QVERIFY(SharedConnection::open(ConnectionString::forFile(path), SqlDialect::Embedded));
        runSql(QStringLiteral("insert into 管理员 (adminname, pwd) values ('张三', '1')"));
        SharedConnection::close();
    }
    if (chosen.contains(QLatin1Char('/')))
        QVERIFY(QDir(m_dir->path()).mkpath(QFileInfo(path).path()));

    TLoginFm *login = startLogin(TLoginFm::Start::NotConnected);
    QVERIFY(login);
    QPointer<TSetDataFm> settings = login->settingsWindow();
    QVERIFY(settings && settings->isVisible());
    QVERIFY(!login->okButton->isEnabled());
    QCOMPARE(login->nameBox->count(), 0);
    m_prompts->clear();
    if (chosen.isEmpty()) {
        QTest::mouseClick(settings->exitButton, Qt::LeftButton);
        QTRY_VERIFY(!settings);
        // Nothing changed, so nothing is said, and the login waits without a database.
        QCOMPARE(m_prompts->entries().size(), 0);
        QVERIFY(!login->okButton->isEnabled());
        QVERIFY(!SharedConnection::isOpen());
        return;
    }
    settings->fileEdit->setText(path);
    QTest::mouseClick(settings->saveButton, Qt::LeftButton);
    QTRY_VERIFY(!settings);
    // The login uses the saved database at once: no restart, no message.
    QCOMPARE(m_prompts->texts(), QStringList());
    QCOMPARE(m_ini->read("part1", "csaccess", "0"), QStringLiteral("Data Source=%1;").arg(path));
    QCOMPARE(loginContext().connectionString, QStringLiteral("Data Source=%1;").arg(path));
    QVERIFY(SharedConnection::isOpen());
    QCOMPARE(SharedConnection::database().databaseName(), path);
    QCOMPARE(login->nameBox->currentText(), QStringLiteral("超级管理员"));
    QCOMPARE(login->nameBox->count(), existing ? 2 : 1);
    QVERIFY(login->okButton->isEnabled());
    QVERIFY(!login->settingsWindow());
    login->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(login));
    QTest::keyClick(login->passwordEdit, Qt::Key_Return);
    QVERIFY(login->mainWindow());
    if (start == QLatin1String("foreign")) {
        SharedConnection::close();
        LoginContext other;
        other.connectionString = QStringLiteral("Data Source=book.db;");
        QCOMPARE(Startup::open(other, &error), Startup::Connection::Failed);
    }
}

void StartupUiTest::wrongPasswordKeepsTheFocus()
{
    m_prompts->answer(true);
    TLoginFm *login = startLogin();
    QVERIFY(login);
    QVERIFY(QTest::qWaitForWindowActive(login));
    login->passwordEdit->clear();
    QTest::keyClicks(login->passwordEdit, QStringLiteral("1234"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 0) {
            QTest::keyClick(login->passwordEdit, Qt::Key_Return);
        } else {
            // From elsewhere in the window the focus comes back to the password as well.
            login->nameBox->setFocus();
            QTest::mouseClick(login->okButton, Qt::LeftButton);
        }
        QCOMPARE(m_prompts->last(), QStringLiteral("密码不正确!"));
        QVERIFY(!login->mainWindow());
        QVERIFY(login->isVisible());
        QCOMPARE(QApplication::focusWidget(), login->passwordEdit);
        QCOMPARE(login->passwordEdit->selectedText(), QStringLiteral("1234"));
    }
    // The right password after the wrong ones.
    QTest::keyClicks(login->passwordEdit, QStringLiteral("8888"));
    QTest::keyClick(login->passwordEdit, Qt::Key_Return);
    QVERIFY(login->mainWindow());
}

void StartupUiTest::wrongPasswordsInARowWait()
{
    m_prompts->answer(true);
    TLoginFm *login = startLogin();
    QVERIFY(login);
    QVERIFY(QTest::qWaitForWindowActive(login));
    // The rule as it is, with a shorter wait for the test.
    login->throttle() = LoginThrottle(LoginThrottle::FreeTries, 800);
    login->passwordEdit->setText(QStringLiteral("1"));
    for (int i = 0; i < LoginThrottle::FreeTries; ++i) {
        QVERIFY(login->okButton->isEnabled());
        QVERIFY(!login->waitLabel->isVisible());
        QTest::mouseClick(login->okButton, Qt::LeftButton);
        QCOMPARE(m_prompts->last(), QStringLiteral("密码不正确!"));
    }
    const int shown = m_prompts->entries().size();
    QVERIFY(!login->okButton->isEnabled());
    QCOMPARE(login->okButton->text(), QStringLiteral("确定 (1)"));
    QVERIFY(login->waitLabel->isVisible());
    QCOMPARE(login->waitLabel->text(), QStringLiteral("密码已连续输错5次,请等待1秒后再试."));
    // While it waits, Enter checks nothing, not even the right password.
    login->passwordEdit->setText(QStringLiteral("8888"));
    QTest::keyClick(login->passwordEdit, Qt::Key_Return);
    QVERIFY(!login->mainWindow());
    QCOMPARE(m_prompts->entries().size(), shown);
    // The window stays live and counts down; then a try is checked again.
    QTRY_VERIFY(login->okButton->isEnabled());
    QCOMPARE(login->okButton->text(), QStringLiteral("确定"));
    QVERIFY(!login->waitLabel->isVisible());
    QTest::keyClick(login->passwordEdit, Qt::Key_Return);
    QVERIFY(login->mainWindow());
}

void StartupUiTest::connectionFailureOffersSettings_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason"); // beneath the fixed sentence; %1 is book.db's path
    QTest::newRow("server without connection string")
        << "[part1]\r\nabc=s\r\n"
        << QByteArray() << "连接字符串中没有服务器或数据库名";
    QTest::newRow("server that does not answer")
        << "[part1]\r\nabc=s\r\ncs=Provider=PostgreSQL;Password=;User ID=u;Initial "
           "Catalog=城南;Data Source=127.0.0.1:1;\r\n"
        << QByteArray() << "无法连接 PostgreSQL 服务器 127.0.0.1:1 上的数据库 城南:\n";
    QTest::newRow("file that is no database")
        << "[part1]\r\nabc=a\r\ncsaccess=Data Source=book.db;\r\n"
        << QByteArray("not sqlite") << "无法打开数据库文件 %1:\n";
    // Another program's database: not a byte of it changes.
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        db.setDatabaseName(other);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("create table 客户 (名字 text)")));
        QVERIFY(q.exec(QStringLiteral("insert into 客户 values ('王五')")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QFile f(other);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QTest::newRow("another program's database")
        << "[part1]\r\nabc=a\r\ncsaccess=Data Source=book.db;\r\n"
        << f.readAll() << "文件 %1 不是本程序的图书馆数据库,程序没有改动它.";
}

void StartupUiTest::connectionFailureOffersSettings()
{
    QFETCH(QString, ini);
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    if (reason.contains(QLatin1String("%1")))
        reason = reason.arg(m_dir->filePath(QStringLiteral("book.db")));
    writeIni(ini);
    if (!file.isEmpty()) {
        QFile f(m_dir->filePath(QStringLiteral("book.db")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    TLoginFm *login = startLogin(TLoginFm::Start::NotConnected);
    QVERIFY(login);
    QCOMPARE(m_prompts->texts().size(), 1);
    const QString shown = m_prompts->last();
    const QString expected = QStringLiteral("数据库连接失败,请选择数据库.\n") + reason;
    QVERIFY2(shown.startsWith(expected), qPrintable(shown));
    if (reason.endsWith(QLatin1Char('\n')))
        QVERIFY2(shown.size() > expected.size(), qPrintable(shown)); // the database's own text
    QVERIFY(login->isVisible());
    QVERIFY(!login->okButton->isEnabled());
    QCOMPARE(login->nameBox->count(), 0);
    TSetDataFm *settings = login->settingsWindow();
    QVERIFY(settings);
    QVERIFY(settings->isVisible());
    QCOMPARE(settings->windowTitle(), QStringLiteral("数据库设置"));
    QCOMPARE(settings->windowModality(), Qt::ApplicationModal);
    if (!file.isEmpty()) {
        QFile f(m_dir->filePath(QStringLiteral("book.db")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), file);
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("book.db*")}),
                 QStringList{QStringLiteral("book.db")});
    }
}

void StartupUiTest::emptyDatabaseIsOffered_data()
{
    QTest::addColumn<bool>("server");
    QTest::addColumn<bool>("create");
    QTest::addColumn<bool>("mayCreate"); // the login may create tables in the database
    QTest::newRow("empty file, create") << false << true << true;
    QTest::newRow("empty file, refuse") << false << false << true;
    QTest::newRow("empty server database, create") << true << true << true;
    QTest::newRow("empty server database, no right to create") << true << true << false;
}

void StartupUiTest::emptyDatabaseIsOffered()
{
    QFETCH(bool, server);
    QFETCH(bool, create);
    QFETCH(bool, mayCreate);
    if (server) {
        const QStringList p = qEnvironmentVariable("TSGL_TEST_PG").split(QLatin1Char(':'));
        if (p.size() < 3)
            QSKIP("no PostgreSQL server for this run (TSGL_TEST_PG is not set)");
        const QString host = p[0] + QLatin1Char(':') + p[1];
        const QString name = QStringLiteral("tsgl-admin");
        QString error;
        {
            QVERIFY2(SharedConnection::openNamed(
                         name, ConnectionString::forServer(host, "postgres", p[2], {}),
                         SqlDialect::Server, &error),
                     qPrintable(error));
            QSqlQuery q(QSqlDatabase::database(name, false));
            QVERIFY(q.exec(QStringLiteral("drop database if exists t_startup_empty")));
            QVERIFY(q.exec(QStringLiteral("create database t_startup_empty")));
            // A login that may connect but not create anything in the database.
            q.exec(QStringLiteral("drop role if exists t_startup_reader"));
            QVERIFY(q.exec(QStringLiteral("create role t_startup_reader login")));
            QSqlDatabase::database(name, false).close();
        }
        QSqlDatabase::removeDatabase(name);
        writeIni(QStringLiteral("[part1]\r\nabc=s\r\ncs=") +
                 ConnectionString::forServer(host, "t_startup_empty",
                                             mayCreate ? p[2] : QStringLiteral("t_startup_reader"),
                                             {}) +
                 QStringLiteral("\r\n"));
    } else {
        QFile f(m_dir->filePath(QStringLiteral("book.db")));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    m_prompts->answer(create);
    // "否", or no right to create tables: the settings are where another database is chosen.
    TLoginFm *login =
        startLogin(create && mayCreate ? TLoginFm::Start::Ready : TLoginFm::Start::NotConnected);
    QVERIFY(login);
    const PromptRecorder::Entry question = m_prompts->entries().first();
    QCOMPARE(question.defaultAnswer, Prompt::Answer::Yes);
    QCOMPARE(question.text,
             Startup::databaseDescription(loginContext()) +
                 QStringLiteral(" 中还没有图书馆的数据表，是否创建新的图书馆数据库?"));
    QVERIFY(question.text.startsWith(server ? QStringLiteral("PostgreSQL 服务器 ")
                                            : QStringLiteral("数据库文件 ") + m_dir->path()));
    if (!mayCreate) {
        QCOMPARE(m_prompts->texts().size(), 2);
        // The refusal names the database, the server's own reason follows.
        const QString expected = QStringLiteral("数据库连接失败,请选择数据库.\n无法在") +
                                 Startup::databaseDescription(loginContext()) +
                                 QStringLiteral(" 中建立图书馆的数据表:\n");
        QVERIFY2(m_prompts->last().startsWith(expected), qPrintable(m_prompts->last()));
    } else {
        QCOMPARE(m_prompts->texts().size(), 1);
    }
    QCOMPARE(login->nameBox->currentText(),
             create && mayCreate ? QStringLiteral("超级管理员") : QString());
    QCOMPARE(login->okButton->isEnabled(), create && mayCreate);
    QCOMPARE(login->settingsWindow() != nullptr, !(create && mayCreate));
    QCOMPARE(SharedConnection::isOpen(), create && mayCreate);
}

void StartupUiTest::versionChecksEnd_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("no administrator table") << "drop table 管理员"
                                            << "请使用对应的版本@!aaa";
    QTest::newRow("older administrator table") << "alter table 管理员 drop column qxDjXg"
                                               << "请使用对应的版本@!bbb";
}

void StartupUiTest::versionChecksEnd()
{
    QFETCH(QString, change);
    QFETCH(QString, message);
    QString error;
    QVERIFY2(DatabaseSetup::createEmbedded(m_dir->filePath(QStringLiteral("book.db")), &error),
             qPrintable(error));
    QVERIFY(SharedConnection::open(QStringLiteral("Data Source=book.db;"), SqlDialect::Embedded,
                                   &error));
    runSql(change);
    SharedConnection::close();
    QVERIFY(startLogin(TLoginFm::Start::Quit));
    QCOMPARE(m_prompts->texts(), QStringList{message});
}

void StartupUiTest::administratorWithoutSystemRights()
{
    m_prompts->answer(true);
    TLoginFm *login = startLogin();
    QVERIFY(login);
    Statement add(QStringLiteral("insert into 管理员 (adminname, pwd, qxborrow) values ('张三', "));
    QVERIFY(add.value(PasswordHash::make(QStringLiteral("x"))).text(QStringLiteral(", 1)")).run());
    login->nameBox->setEditText(QStringLiteral("张三 "));
    login->passwordEdit->setText(QStringLiteral("x"));
    QVERIFY(!login->mainWindow());
    // The name is matched as typed: with the blank it is another name.
    QTest::mouseClick(login->okButton, Qt::LeftButton);
    QCOMPARE(m_prompts->last(), QStringLiteral("密码不正确!"));
    // Enter in the name field is 确定 as well.
    QVERIFY(QTest::qWaitForWindowActive(login));
    login->nameBox->setFocus();
    login->nameBox->setEditText(QStringLiteral("张三"));
    QTest::keyClick(login->nameBox->lineEdit(), Qt::Key_Return);
    TMainFm *main = login->mainWindow();
    QVERIFY(main);
    QCOMPARE(main->administratorLabel()->text(), QStringLiteral("  当前管理员:张三"));

    QVERIFY(!main->menu(QStringLiteral("系统管理"))->menuAction()->isEnabled());
    QVERIFY(!main->menuAction(QStringLiteral("数 据 库 设 置"))->isEnabled());
    QVERIFY(!main->toolAction(QStringLiteral("信息设置"))->isEnabled());
    QVERIFY(!main->toolAction(QStringLiteral("图书管理"))->isEnabled());
    QVERIFY(!main->toolAction(QStringLiteral("归还[F6]"))->isEnabled());
    QVERIFY(main->toolAction(QStringLiteral("借阅[F5]"))->isEnabled());
    QVERIFY(main->toolAction(QStringLiteral("退出"))->isEnabled());
    QVERIFY(!main->menuAction(QStringLiteral("添加图书"))->isEnabled());
    QVERIFY(main->menuAction(QStringLiteral("续    借"))->isEnabled());

    m_prompts->clear();
    main->runCommand(QStringLiteral("数 据 库 设 置"));
    QVERIFY(!main->openWindow(QStringLiteral("数 据 库 设 置")));
    main->runCommand(QStringLiteral("管理员日志"));
    main->runCommand(QStringLiteral("马克marc数据导入"));
    QCOMPARE(m_prompts->texts(), QStringList({"没有权限!", "没有管理员权限!"}));
}

void StartupUiTest::commandsOpenTheirWindows()
{
    TMainFm *main = loginAsSuperAdministrator();
    QVERIFY(main);
    const QString settingsCommand = QStringLiteral("数 据 库 设 置");
    main->runCommand(settingsCommand);
    QPointer<QWidget> settings = main->openWindow(settingsCommand);
    QVERIFY(qobject_cast<TSetDataFm *>(settings));
    QVERIFY(settings->isVisible());
    QVERIFY(settings->isWindow());
    QCOMPARE(settings->windowModality(), Qt::ApplicationModal);
    main->runCommand(settingsCommand);
    QCOMPARE(main->openWindow(settingsCommand), settings.data());
    // Closing destroys it; the next command starts a fresh one.
    settings->close();
    QTRY_VERIFY(!settings);
    QVERIFY(!main->openWindow(settingsCommand));

    main->runCommand(QStringLiteral("关    于"));
    auto *about = qobject_cast<TAboutFm *>(main->openWindow(QStringLiteral("关    于")));
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
    QStringList lines;
    for (QLabel *l : about->findChildren<QLabel *>())
        lines << l->text();
    QVERIFY(lines.contains(QStringLiteral("当前数据库是:本地数据库")));
    about->close();

    // A modeless window is shown beside the main window and brought forward when chosen
    // again.
    int made = 0;
    WindowRegistry::add(QStringLiteral("期刊管理"), [&made](QWidget *parent) {
        ++made;
        return new QWidget(parent);
    });
    main->runCommand(QStringLiteral("期刊管理"));
    QWidget *periodicals = main->openWindow(QStringLiteral("期刊管理"));
    QVERIFY(periodicals);
    QCOMPARE(periodicals->windowModality(), Qt::NonModal);
    periodicals->showMinimized();
    main->runCommand(QStringLiteral("期刊管理"));
    QCOMPARE(made, 1);
    QVERIFY(!(periodicals->windowState() & Qt::WindowMinimized));
    // A maximised one comes back maximised.
    periodicals->setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    main->runCommand(QStringLiteral("期刊管理"));
    QCOMPARE(periodicals->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized),
             Qt::WindowStates(Qt::WindowMaximized));
    QCOMPARE(made, 1);
    periodicals->close();

    // F5 opens the borrowing window from the main window, F6 the return window beside it.
    const struct {
        Qt::Key key;
        const char *command;
        Qt::WindowModality modality;
    } keys[] = {{Qt::Key_F5, "借    阅", Qt::ApplicationModal},
                {Qt::Key_F6, "归    还", Qt::NonModal}};
    for (const auto &k : keys) {
        const QString command = QString::fromUtf8(k.command);
        WindowRegistry::add(command, [](QWidget *parent) { return new QWidget(parent); });
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QTest::keyClick(main, k.key);
        QPointer<QWidget> window = main->openWindow(command);
        QVERIFY2(window, k.command);
        QCOMPARE(window->windowModality(), k.modality);
        window->close();
        QTRY_VERIFY(!window);
    }
    QCOMPARE(m_prompts->entries().size(), 1); // only the question of the new database
}

void StartupUiTest::missingWindowsAndProgramsSaySo()
{
    TMainFm *main = loginAsSuperAdministrator();
    QVERIFY(main);
    m_prompts->clear();
    WindowRegistry::add(QStringLiteral("数据盘点"), {}); // no window for it
    main->runCommand(QStringLiteral("数据盘点"));
    QVERIFY(!main->openWindow(QStringLiteral("数据盘点")));
    QCOMPARE(m_prompts->texts(),
             QStringList{QStringLiteral("“数据盘点”的窗口还没有做好,暂时不能使用.")});

    FakePrograms programs(m_dir->filePath(QStringLiteral("path")));
    m_prompts->clear();
    main->runCommand(QStringLiteral("记事本"));
    main->runCommand(QStringLiteral("计算器"));
    main->runCommand(QStringLiteral("使用帮助"));
    const QStringList texts = m_prompts->texts();
    QCOMPARE(texts.size(), 3);
    QVERIFY2(texts[0].startsWith(QStringLiteral("没有找到文本编辑器程序,请安装其中一个: ")),
             qPrintable(texts[0]));
    QVERIFY2(texts[1].startsWith(QStringLiteral("没有找到计算器程序,请安装其中一个: ")),
             qPrintable(texts[1]));
    // The guide of the source tree is found; nothing is there to open it.
    const QString guide =
        DesktopPrograms::helpFile(QCoreApplication::applicationDirPath(), QDir::currentPath());
    QVERIFY(!guide.isEmpty());
    QVERIFY2(texts[2].startsWith(QStringLiteral("没有可以打开帮助文件的程序")) &&
                 texts[2].endsWith(QStringLiteral("\n帮助文件在: ") + guide),
             qPrintable(texts[2]));

    programs.add({QStringLiteral("mousepad"), QStringLiteral("xcalc"), QStringLiteral("xdg-open")});
    m_prompts->clear();
    main->runCommand(QStringLiteral("记事本"));
    main->runCommand(QStringLiteral("计算器"));
    main->runCommand(QStringLiteral("使用帮助"));
    QCOMPARE(m_prompts->texts(), QStringList());
    QTRY_VERIFY(!programs.ranWith(QStringLiteral("xdg-open")).isEmpty());
    QCOMPARE(programs.ranWith(QStringLiteral("xdg-open")), guide);
    QTRY_VERIFY(QFile::exists(m_dir->filePath(QStringLiteral("path/mousepad.ran"))));
    QTRY_VERIFY(QFile::exists(m_dir->filePath(QStringLiteral("path/xcalc.ran"))));
}

void StartupUiTest::exitAsksFirst()
{
    TMainFm *main = loginAsSuperAdministrator();
    QVERIFY(main);
    QSignalSpy ended(m_login.get(), &TLoginFm::mainWindowClosed);
    m_prompts->clear();
    main->runCommand(QStringLiteral("退    出"));
    main->close(); // the window frame
    QVERIFY(main->isVisible());
    QCOMPARE(ended.count(), 0);
    QCOMPARE(m_prompts->entries().size(), 2);
    for (const auto &e : m_prompts->entries()) {
        QCOMPARE(e.caption, QStringLiteral("请确认"));
        QCOMPARE(e.text, QStringLiteral("确认要退出吗?"));
        QCOMPARE(e.defaultAnswer, Prompt::Answer::Yes); // leaving loses nothing
    }
    m_prompts->answer(true);
    main->toolAction(QStringLiteral("退出"))->trigger();
    QVERIFY(!main->isVisible());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(m_prompts->entries().size(), 3);
}

void StartupUiTest::iconsOfTheProgramAndItsCommands()
{
    // The program's own icon at every size of the hicolor theme, compiled in.
    const QIcon program = AppIcons::program();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QVERIFY2(program.availableSizes().contains(QSize(size, size)),
                 qPrintable(QString::number(size)));
        QCOMPARE(program.pixmap(size).size(), QSize(size, size));
    }

    TMainFm *main = loginAsSuperAdministrator();
    QVERIFY(main);
    // Every menu entry and tool button has a picture from the icon theme; the tool bar keeps
    // its texts beneath them.
    for (const MainCommands::Menu &m : MainCommands::menus(loginContext())) {
        for (const MainCommands::Entry &e : m.entries) {
            if (e.isSeparator())
                continue;
            QVERIFY2(QIcon::hasThemeIcon(MainCommands::iconName(e.command)), qPrintable(e.command));
            QVERIFY2(!main->menuAction(e.command)->icon().isNull(), qPrintable(e.command));
        }
    }
    auto *toolBar = main->findChild<QToolBar *>();
    QCOMPARE(toolBar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    for (const MainCommands::ToolButton &b : MainCommands::toolButtons()) {
        QAction *action = main->toolAction(b.caption);
        QCOMPARE(action->text(), b.caption);
        QVERIFY2(!action->icon().pixmap(toolBar->iconSize()).isNull(), qPrintable(b.caption));
    }
}

void StartupUiTest::pictureFollowsTheWindow()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(m_dir->filePath(QStringLiteral("beijing.jpg"))));
    TMainFm *main = loginAsSuperAdministrator();
    QVERIFY(main);
    QVERIFY(!main->picture()->pixmap().isNull());
    main->showNormal();
    main->resize(900, 640);
    QTRY_COMPARE(main->height(), 640);
    const int expected =
        640 - main->findChild<QToolBar *>()->height() - main->statusBar()->height() - 55;
    QCOMPARE(main->picture()->geometry(), QRect(0, 0, 900, expected));
}

void StartupUiTest::settingsWindowSaveRules()
{
    loginContext().iniPath = m_ini->path();
    TSetDataFm window(*m_ini, loginContext());
    window.show();
    QVERIFY(window.embeddedChoice->isChecked());
    QVERIFY(window.saveButton->isEnabled());
    QVERIFY(window.fileGroup->isVisible());
    QVERIFY(!window.serverGroup->isVisible());
    QCOMPARE(window.fileEdit->text(), QStringLiteral("book.db"));
    QCOMPARE(window.serverBox->currentText(), QStringLiteral("127.0.0.1"));

    QTest::mouseClick(window.serverChoice, Qt::LeftButton);
    QVERIFY(window.serverGroup->isVisible());
    QVERIFY(!window.fileGroup->isVisible());
    QVERIFY(!window.saveButton->isEnabled());

    const QStringList server = qEnvironmentVariable("TSGL_TEST_PG").split(QLatin1Char(':'));
    const bool haveServer = server.size() >= 3;
    window.serverBox->setEditText(haveServer ? server[0] + ':' + server[1]
                                             : QStringLiteral("127.0.0.1:1"));
    window.databaseEdit->setText(QStringLiteral("postgres"));
    window.userEdit->setText(haveServer ? server[2] : QStringLiteral("postgres"));
    window.passwordEdit->setText(QStringLiteral("s3cret"));
    QTest::mouseClick(window.testButton, Qt::LeftButton);
    QCOMPARE(m_prompts->entries().size(), 2);
    const QString shown = m_prompts->entries()[0].text;
    QVERIFY(shown.startsWith(QStringLiteral("Provider=PostgreSQL;Password=******;")));
    for (const QString &text : m_prompts->texts())
        QVERIFY(!text.contains(QStringLiteral("s3cret")));
    if (!haveServer) {
        QVERIFY(m_prompts->last().startsWith(QStringLiteral("连接失败")));
        QVERIFY(!window.saveButton->isEnabled());
        QSKIP("no PostgreSQL server for this run (TSGL_TEST_PG is not set)");
    }
    QCOMPARE(m_prompts->last(), QStringLiteral("连接成功!"));
    QVERIFY(window.saveButton->isEnabled());
    // Choosing the server again asks for another test.
    QTest::mouseClick(window.serverChoice, Qt::LeftButton);
    QVERIFY(!window.saveButton->isEnabled());
    QTest::mouseClick(window.testButton, Qt::LeftButton);
    QVERIFY(window.saveButton->isEnabled());
    QTest::mouseClick(window.saveButton, Qt::LeftButton);
    QCOMPARE(m_prompts->last(), QStringLiteral("软件重启后生效!"));
    QVERIFY(!window.isVisible());
    QCOMPARE(m_ini->read("part1", "abc", "0"), QStringLiteral("s"));
    QCOMPARE(m_ini->read("part1", "PassWord", "0"), QStringLiteral("s3cret"));
}

QTEST_MAIN(StartupUiTest)
#include "startup_uitest.moc"
