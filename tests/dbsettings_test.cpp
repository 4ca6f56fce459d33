// The database settings: what the window starts with, when 保存 may be used, the test of a
// server connection and what 保存 writes. The server cases run against the test
// PostgreSQL server when TSGL_TEST_PG names one.
#include "admin/LoginService.h"
#include "app/DatabaseSettings.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/SharedConnection.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// host, port and user of the test server, or nothing.
QStringList testServer()
{
    const QStringList p = qEnvironmentVariable("TSGL_TEST_PG").split(QLatin1Char(':'));
    return p.size() >= 3 ? p : QStringList();
}

} // namespace

class DatabaseSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsFromDeIni();
    void saveEnabling_data();
    void saveEnabling();
    void failedTestKeepsSaveDisabled();
    void shownStringHidesThePassword_data();
    void shownStringHidesThePassword();
    void savingTheFileCreatesIt();
    void savingRefusesAFileTheNextStartCannotUse_data();
    void savingRefusesAFileTheNextStartCannotUse();
    void savingTheServerWritesTheTestedString();
    void savingALineBreakWritesNothing();
    void savedFileIsFoundBesideDeIni_data();
    void savedFileIsFoundBesideDeIni();

private:
    // Points the settings at the test server; skips without one.
    bool useTestServer(DatabaseSettings &s);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    QString m_ini;
};

void DatabaseSettingsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_ini = m_dir->filePath(QStringLiteral("de.ini"));
}

void DatabaseSettingsTest::cleanup()
{
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

bool DatabaseSettingsTest::useTestServer(DatabaseSettings &s)
{
    const QStringList p = testServer();
    if (p.isEmpty())
        return false;
    s.server = p[0] + QLatin1Char(':') + p[1];
    s.database = QStringLiteral("postgres");
    s.user = p[2];
    s.password.clear();
    return true;
}

void DatabaseSettingsTest::startsFromDeIni()
{
    IniFile ini(m_ini);
    LoginContext c;
    DatabaseSettings fresh(ini, c);
    QCOMPARE(fresh.choice(), DatabaseSettings::Choice::Embedded);
    QVERIFY(fresh.saveEnabled());
    QCOMPARE(fresh.server, QStringLiteral("127.0.0.1"));
    QCOMPARE(fresh.database, QStringLiteral("book"));
    QCOMPARE(fresh.user, QStringLiteral("postgres"));
    QCOMPARE(fresh.password, QString());
    QCOMPARE(fresh.file, QStringLiteral("book.db"));

    QVERIFY(ini.write("part1", "ServerName", "db.school.cn"));
    QVERIFY(ini.write("part1", "DataBaseName", "lib"));
    QVERIFY(ini.write("part1", "UserName", "librarian"));
    QVERIFY(ini.write("part1", "PassWord", "p;w"));
    QVERIFY(ini.write("part1", "csaccess", "Data Source=/data/lib.db;"));
    c.dialect = SqlDialect::Server;
    DatabaseSettings saved(ini, c);
    QCOMPARE(saved.choice(), DatabaseSettings::Choice::Server);
    QVERIFY(!saved.saveEnabled());
    QCOMPARE(saved.server, QStringLiteral("db.school.cn"));
    QCOMPARE(saved.database, QStringLiteral("lib"));
    QCOMPARE(saved.user, QStringLiteral("librarian"));
    QCOMPARE(saved.file, QStringLiteral("/data/lib.db"));
    // The password is never shown.
    QVERIFY(!saved.shownConnectionString().contains(QStringLiteral("p;w")));
    QVERIFY(saved.shownConnectionString().contains(QStringLiteral("Password=******;")));
}

void DatabaseSettingsTest::saveEnabling_data()
{
    // Steps: e = choose the file, s = choose the server, t = a successful test,
    // c = a server field changed.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("file") << "e" << true;
    QTest::newRow("server") << "s" << false;
    QTest::newRow("server tested") << "st" << true;
    QTest::newRow("server chosen again") << "sts" << false;
    QTest::newRow("server tested, field changed") << "stc" << false;
    QTest::newRow("tested again") << "stct" << true;
    QTest::newRow("back to the file") << "se" << true;
    QTest::newRow("test while the file is chosen") << "ets" << false;
}

void DatabaseSettingsTest::saveEnabling()
{
    QFETCH(QString, steps);
    QFETCH(bool, enabled);
    IniFile ini(m_ini);
    LoginContext c;
    DatabaseSettings s(ini, c);
    if (steps.contains(QLatin1Char('t')) && !useTestServer(s))
        QSKIP("no PostgreSQL server for this run (TSGL_TEST_PG is not set)");
    for (const QChar step : steps) {
        if (step == QLatin1Char('e'))
            s.choose(DatabaseSettings::Choice::Embedded);
        else if (step == QLatin1Char('s'))
            s.choose(DatabaseSettings::Choice::Server);
        else if (step == QLatin1Char('c'))
            s.serverFieldsChanged();
        else {
            QString error;
            QVERIFY2(s.test(&error), qPrintable(error));
        }
    }
    QCOMPARE(s.saveEnabled(), enabled);
}

void DatabaseSettingsTest::failedTestKeepsSaveDisabled()
{
    IniFile ini(m_ini);
    LoginContext c;
    DatabaseSettings s(ini, c);
    s.choose(DatabaseSettings::Choice::Server);
    s.server = QStringLiteral("127.0.0.1:1");
    QString error;
    QVERIFY(!s.test(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!s.saveEnabled());
    QVERIFY(!s.save());
    QVERIFY(!QFile::exists(m_ini));
    // The test connection is thrown away.
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("tsgl-settings-test")));
}

void DatabaseSettingsTest::shownStringHidesThePassword_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "s3cret";
    QTest::newRow("empty") << "";
    QTest::newRow("semicolon") << "p;w";
    QTest::newRow("looks like a key") << "x;Data Source=leak;y=z";
    QTest::newRow("equals sign") << "Password=a=b";
    QTest::newRow("quotes") << "\"a'b\";";
    QTest::newRow("blanks") << " p w ";
}

void DatabaseSettingsTest::shownStringHidesThePassword()
{
    QFETCH(QString, password);
    IniFile ini(m_ini);
    LoginContext c;
    DatabaseSettings s(ini, c);
    s.server = QStringLiteral("db.school.cn:5433");
    s.database = QStringLiteral("lib");
    s.user = QStringLiteral("librarian");
    s.password = password;
    // Whatever the password holds, the shown text is the tested one with only the
    // password replaced.
    QCOMPARE(s.shownConnectionString(),
             QStringLiteral("Provider=PostgreSQL;Password=******;User ID=librarian;"
                            "Initial Catalog=lib;Data Source=db.school.cn:5433;"));
    // The tested string gives every field back as typed.
    const ConnectionString tested = ConnectionString::parse(s.serverConnectionString());
    QCOMPARE(tested.value(QStringLiteral("Password")), password);
    QCOMPARE(tested.value(QStringLiteral("User ID")), QStringLiteral("librarian"));
    QCOMPARE(tested.value(QStringLiteral("Initial Catalog")), QStringLiteral("lib"));
    QCOMPARE(tested.value(QStringLiteral("Data Source")), QStringLiteral("db.school.cn:5433"));
}

void DatabaseSettingsTest::savingTheFileCreatesIt()
{
    IniFile ini(m_ini);
    QVERIFY(ini.write("part1", "cs", "Provider=PostgreSQL;Data Source=keep;"));
    QVERIFY(ini.write("part1", "abc", "s"));
    QVERIFY(ini.write("part1", "csaccess", "Data Source=old.db;Mode=Share Deny None;"));
    LoginContext c;
    c.dialect = SqlDialect::Server;
    DatabaseSettings s(ini, c);
    s.choose(DatabaseSettings::Choice::Embedded);
    QString error;
    // A blank name is no file.
    s.file = QStringLiteral("  ");
    QVERIFY(!s.save(&error));
    QCOMPARE(error, DatabaseSettings::noFileMessage());
    QCOMPARE(ini.read("part1", "abc", "0"), QStringLiteral("s"));
    QVERIFY(QDir().entryList(QDir::Files).filter(QStringLiteral(".db")).isEmpty());
    s.file = QStringLiteral("sub dir/新馆.db");
    // A folder that does not exist cannot hold the file: nothing is written.
    QVERIFY(!s.save(&error));
    QCOMPARE(ini.read("part1", "abc", "0"), QStringLiteral("s"));

    QVERIFY(QDir().mkdir(QStringLiteral("sub dir")));
    QVERIFY2(s.save(&error), qPrintable(error));
    QCOMPARE(ini.read("part1", "abc", "0"), QStringLiteral("a"));
    QCOMPARE(ini.read("part1", "csaccess", "0"),
             QStringLiteral("Data Source=sub dir/新馆.db;Mode=Share Deny None;"));
    QCOMPARE(ini.read("part1", "cs", "0"), QStringLiteral("Provider=PostgreSQL;Data Source=keep;"));
    {
        QVERIFY(SharedConnection::openNamed(QStringLiteral("check"),
                                            QStringLiteral("Data Source=sub dir/新馆.db;"),
                                            SqlDialect::Embedded, &error));
        QVERIFY(!Schema::isEmpty(QSqlDatabase::database(QStringLiteral("check"), false)));
        QSqlDatabase::database(QStringLiteral("check"), false).close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    // Saving an existing library file again keeps it.
    QVERIFY2(s.save(&error), qPrintable(error));
}

void DatabaseSettingsTest::savingTheServerWritesTheTestedString()
{
    IniFile ini(m_ini);
    QVERIFY(ini.write("part1", "csaccess", "Data Source=book.db;"));
    LoginContext c;
    c.connectionString = QStringLiteral("Data Source=book.db;");
    DatabaseSettings s(ini, c);
    s.choose(DatabaseSettings::Choice::Server);
    if (!useTestServer(s))
        QSKIP("no PostgreSQL server for this run (TSGL_TEST_PG is not set)");
    // The test takes the fields as typed; the keys keep them trimmed. The test server lets
    // any password in, so the saved string must give back the very one that was typed.
    const QString server = s.server;
    s.server += QLatin1Char(' ');
    s.password = QStringLiteral(" pä;ss\"wort");
    QString error;
    QVERIFY2(s.test(&error), qPrintable(error));
    const QString tested = s.serverConnectionString();
    QVERIFY2(s.save(&error), qPrintable(error));
    QCOMPARE(ini.read("part1", "abc", "0"), QStringLiteral("s"));
    QCOMPARE(ini.read("part1", "cs", "0"), tested);
    const ConnectionString saved = ConnectionString::parse(ini.read("part1", "cs", "0"));
    QCOMPARE(saved.value(QStringLiteral("Password")), QStringLiteral(" pä;ss\"wort"));
    QCOMPARE(saved.value(QStringLiteral("Data Source")).trimmed(), server);
    QCOMPARE(ini.read("part1", "PassWord", "0"), QStringLiteral("pä;ss\"wort"));
    QCOMPARE(QFile::permissions(m_ini) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
             QFileDevice::Permissions());
    QCOMPARE(ini.read("part1", "DataBaseName", "0"), QStringLiteral("postgres"));
    QCOMPARE(ini.read("part1", "ServerName", "0"), server);
    QCOMPARE(ini.read("part1", "csaccess", "0"), QStringLiteral("Data Source=book.db;"));
    // The running program keeps its database until the next start.
    QCOMPARE(c.dialect, SqlDialect::Embedded);
    QCOMPARE(c.connectionString, QStringLiteral("Data Source=book.db;"));
}

void DatabaseSettingsTest::savingRefusesAFileTheNextStartCannotUse_data()
{
    // What is at the chosen path; for a library, a statement that spoils it first.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("saved");
    QTest::newRow("text file") << "text" << QString() << false;
    QTest::newRow("folder") << "folder" << QString() << false;
    QTest::newRow("another program's database") << "other" << QString() << false;
    QTest::newRow("library without administrators") << "library"
                                                    << "delete from 管理员" << false;
    QTest::newRow("older library") << "library"
                                   << "alter table 管理员 drop column qxDjXg" << false;
    QTest::newRow("library") << "library" << QString() << true;
    // An empty file is made into a new library, as a new name is.
    QTest::newRow("empty file") << "empty" << QString() << true;
}

void DatabaseSettingsTest::savingRefusesAFileTheNextStartCannotUse()
{
    QFETCH(QString, kind);
    QFETCH(QString, change);
    QFETCH(bool, saved);
    const QString path = m_dir->filePath(QStringLiteral("chosen.db"));
    QString error;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == QLatin1String("text") || kind == QLatin1String("empty")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("text"))
            f.write("Dear reader,\nthis is a letter, not a database.\n");
    } else {
        if (kind == QLatin1String("library"))
            QVERIFY2(DatabaseSetup::createEmbedded(path, &error), qPrintable(error));
        const QString name = QStringLiteral("prepare");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            const QString sql =
                kind == QLatin1String("other") ? QStringLiteral("create table t (x int)") : change;
            if (!sql.isEmpty())
                QVERIFY2(q.exec(sql), qPrintable(sql));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    QByteArray before;
    if (QFileInfo(path).isFile()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        before = f.readAll();
    }

    IniFile ini(m_ini);
    QVERIFY(ini.write("part1", "abc", "s"));
    QVERIFY(ini.write("part1", "csaccess", "Data Source=book.db;"));
    LoginContext c;
    c.dialect = SqlDialect::Server;
    DatabaseSettings s(ini, c);
    s.choose(DatabaseSettings::Choice::Embedded);
    s.file = path;
    // A library is usually in use by this very program when its settings are saved.
    if (kind == QLatin1String("library"))
        QVERIFY(
            SharedConnection::open(QStringLiteral("Data Source=") + path, SqlDialect::Embedded));
    QCOMPARE(s.save(&error), saved);
    SharedConnection::close();
    QCOMPARE(ini.read("part1", "abc", "0"), saved ? QStringLiteral("a") : QStringLiteral("s"));
    QCOMPARE(ini.read("part1", "csaccess", "0"),
             saved ? QStringLiteral("Data Source=") + path + QLatin1Char(';')
                   : QStringLiteral("Data Source=book.db;"));
    if (!saved)
        QVERIFY(error.startsWith(DatabaseSettings::notALibraryMessage()));
    // The chosen file is only looked at.
    if (kind == QLatin1String("empty")) {
        LoginContext context;
        QVERIFY(SharedConnection::openNamed(QStringLiteral("check"),
                                            QStringLiteral("Data Source=") + path,
                                            SqlDialect::Embedded, &error));
        QCOMPARE(LoginService(context, QSqlDatabase::database(QStringLiteral("check"), false))
                     .checkDatabase(),
                 LoginService::DatabaseCheck::Ok);
        QSqlDatabase::database(QStringLiteral("check"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    } else if (QFileInfo(path).isFile()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("tsgl-settings-file")));
}

void DatabaseSettingsTest::savingALineBreakWritesNothing()
{
    IniFile ini(m_ini);
    QVERIFY(ini.write("part1", "csaccess", "Data Source=book.db;"));
    QFile file(m_ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    LoginContext c;
    DatabaseSettings s(ini, c);
    s.choose(DatabaseSettings::Choice::Server);
    if (!useTestServer(s))
        QSKIP("no PostgreSQL server for this run (TSGL_TEST_PG is not set)");
    // The test server lets any password in; written, this one would add a line "abc=a".
    s.password = QStringLiteral("pw\nabc=a");
    QString error;
    QVERIFY2(s.test(&error), qPrintable(error));
    QVERIFY(!s.save(&error));
    QVERIFY(error.contains(QStringLiteral("换行")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void DatabaseSettingsTest::savedFileIsFoundBesideDeIni_data()
{
    QTest::addColumn<QString>("folder"); // made first, beside de.ini
    QTest::addColumn<QString>("name");   // as typed
    QTest::newRow("relative") << ""
                              << "book.db";
    QTest::newRow("umlaut in the folder") << "lib-ö"
                                          << "lib-ö/book.db";
    QTest::newRow("semicolon") << ""
                               << "a;b.db";
    QTest::newRow("quotes") << "\"x\""
                            << "\"x\"/'y'.db";
    QTest::newRow("absolute") << "abs"
                              << "$DIR/abs/new.db";
}

void DatabaseSettingsTest::savedFileIsFoundBesideDeIni()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    name.replace(QStringLiteral("$DIR"), m_dir->path());
    if (!folder.isEmpty())
        QVERIFY(QDir(m_dir->path()).mkdir(folder));
    // The program was started from another folder.
    QTemporaryDir elsewhere;
    QDir::setCurrent(elsewhere.path());

    IniFile ini(m_ini);
    LoginContext c;
    DatabaseSettings s(ini, c);
    s.file = name;
    QString error;
    QVERIFY2(s.save(&error), qPrintable(error));
    const QString file = QDir(m_dir->path()).filePath(name);
    QVERIFY(QFileInfo(file).isFile());
    QVERIFY(QDir(elsewhere.path()).isEmpty());
    QCOMPARE(s.filePath(), file);

    // The next start reads the name as typed and finds the file beside de.ini.
    QCOMPARE(ConnectionString::parse(ini.read("part1", "csaccess", "0"))
                 .value(QStringLiteral("Data Source")),
             name);
    LoginContext next;
    next.readConfiguration(IniFile(m_ini));
    QCOMPARE(SharedConnection::embeddedFilePath(next.connectionString), file);
    QVERIFY2(SharedConnection::openNamed(QStringLiteral("check"), next.connectionString,
                                         SqlDialect::Embedded, &error),
             qPrintable(error));
    QCOMPARE(
        LoginService(c, QSqlDatabase::database(QStringLiteral("check"), false)).checkDatabase(),
        LoginService::DatabaseCheck::Ok);
    QSqlDatabase::database(QStringLiteral("check"), false).close();
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

QTEST_GUILESS_MAIN(DatabaseSettingsTest)
#include "dbsettings_test.moc"
