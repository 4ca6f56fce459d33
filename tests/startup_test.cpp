// The steps before the login: which de.ini, the configuration it gives, the database file
// of the embedded database and the opening of the shared connection.
#include "FakePrograms.h"

#include "admin/LoginService.h"
#include "app/CommandLine.h"
#include "app/DesktopPrograms.h"
#include "app/Startup.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "text/Gbk.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeIni(const QString &path, const QString &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Gbk::encode(text));
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Makes a file with sqlite's default settings (no WAL), as another program would, and runs
// the statements in it.
void makeSqliteFile(const QString &path, const QStringList &statements)
{
    const QString name = QStringLiteral("other-program");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString &sql : statements)
            QVERIFY2(q.exec(sql), qPrintable(sql));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void iniPath_data();
    void iniPath();
    void firstStartInTheUserDataFolder();
    void configuration_data();
    void configuration();
    void startFromAnotherFolder();
    void unreadableDeIniNamesNoDatabase();
    void databaseFileTest();
    void helpFileLookup();
    void firstInstalledProgram();
    void opening_data();
    void opening();
    void anotherProgramsFileIsLeftAlone_data();
    void anotherProgramsFileIsLeftAlone();
    void creationTakesOnlyNewFiles_data();
    void creationTakesOnlyNewFiles();
    void olderLibraryIsUpgradedWhenOpened();
    void questionsNameTheDatabase();
    void toolsSayWhatIsMissing();
    void commandLineWithoutWindows_data();
    void commandLineWithoutWindows();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
};

void StartupTest::init()
{
    // Each test works in a folder of its own; a connection string given directly, not read
    // from de.ini, names its file relative to it.
    m_dir = std::make_unique<QTemporaryDir>();
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void StartupTest::cleanup()
{
    SharedConnection::close();
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void StartupTest::iniPath_data()
{
    // Folders below the test's own: bin holds the program, data is the user's data folder.
    QTest::addColumn<QStringList>("made"); // files and folders (ending in /) made first
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a build run where it was built makes de.ini beside it")
        << QStringList() << QString() << "bin/de.ini";
    QTest::newRow("installed: the user's data folder")
        << QStringList{"share/tsgl/"} << QString() << "data/de.ini";
    QTest::newRow("installed with a de.ini beside it: the portable one wins")
        << QStringList{"share/tsgl/", "bin/de.ini"} << QString() << "bin/de.ini";
    QTest::newRow("a de.ini in the data folder does not move a build's de.ini")
        << QStringList{"data/de.ini"} << QString() << "bin/de.ini";
    QTest::newRow("--config wins over the data folder")
        << QStringList{"share/tsgl/", "data/de.ini"} << "my.ini"
        << "my.ini";
    QTest::newRow("--config wins over de.ini beside the program")
        << QStringList{"bin/de.ini"} << "conf/x.ini"
        << "conf/x.ini";
    QTest::newRow("a file named share/tsgl is no installation")
        << QStringList{"share/tsgl"} << QString() << "bin/de.ini";
}

void StartupTest::iniPath()
{
    QFETCH(QStringList, made);
    QFETCH(QString, config);
    QFETCH(QString, expected);
    const QDir root(m_dir->path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    for (const QString &path : made) {
        if (path.endsWith(QLatin1Char('/'))) {
            QVERIFY(root.mkpath(path));
            continue;
        }
        QVERIFY(root.mkpath(QFileInfo(path).path()));
        QFile f(root.filePath(path));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(Startup::iniPath(config, root.filePath(QStringLiteral("bin")),
                              root.filePath(QStringLiteral("data"))),
             root.filePath(expected));
}

void StartupTest::firstStartInTheUserDataFolder()
{
    // The user's data folder follows XDG_DATA_HOME; at the first start it does not exist yet.
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", m_dir->filePath(QStringLiteral("home/.local/share")).toUtf8());
    const QString folder = Startup::userDataFolder();
    const QString expectedFolder = m_dir->filePath(QStringLiteral("home/.local/share/tsgl"));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("usr/bin")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("usr/share/tsgl")));
    const QString path = Startup::iniPath(QString(), m_dir->filePath(QStringLiteral("usr/bin")));
    if (previous.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previous);
    QCOMPARE(folder, expectedFolder);
    QCOMPARE(path, expectedFolder + QStringLiteral("/de.ini"));
    QVERIFY(!QFileInfo::exists(expectedFolder));

    // The first start makes the folder and de.ini in it; the library goes beside it.
    IniFile ini(path);
    LoginContext c;
    Startup::readConfiguration(ini, c);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(IniFile(path).read(QStringLiteral("part1"), QStringLiteral("softname"), QString()),
             Startup::Title);
    QCOMPARE(Startup::missingDatabaseFile(c), expectedFolder + QStringLiteral("/book.db"));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("usr/bin/de.ini"))));
}

void StartupTest::configuration_data()
{
    QTest::addColumn<QString>("ini"); // empty: no de.ini at all
    QTest::addColumn<SqlDialect>("dialect");
    QTest::addColumn<QString>("connection");    // $INI: the folder of de.ini
    QTest::addColumn<QString>("csaccessAfter"); // what de.ini holds afterwards
    const QString deflt = QStringLiteral("Data Source=book.db;");
    const QString besideIni = QStringLiteral("Data Source=$INI/book.db;");
    QTest::newRow("no de.ini") << QString() << SqlDialect::Embedded << besideIni << deflt;
    QTest::newRow("csaccess 0") << "[part1]\nabc=a\ncsaccess=0\n"
                                << SqlDialect::Embedded << besideIni << deflt;
    QTest::newRow("a takes csaccess although cs is set")
        << "[part1]\nabc=a\ncs=Provider=PostgreSQL;Data Source=h;\ncsaccess=Data Source=x.db;\n"
        << SqlDialect::Embedded << "Data Source=$INI/x.db;"
        << "Data Source=x.db;";
    // A relative file is found from de.ini's folder, not from the working directory.
    QTest::newRow("file in a folder")
        << "[part1]\ncsaccess=Data Source=lib/book.db;Mode=Share Deny None;\n"
        << SqlDialect::Embedded << "Data Source=$INI/lib/book.db;Mode=Share Deny None;"
        << "Data Source=lib/book.db;Mode=Share Deny None;";
    QTest::newRow("file in the folder above") << "[part1]\ncsaccess=Data Source=../book.db;\n"
                                              << SqlDialect::Embedded << "Data Source=$DIR/book.db;"
                                              << "Data Source=../book.db;";
    QTest::newRow("absolute file") << "[part1]\ncsaccess=Data Source=/srv/lib.db;\n"
                                   << SqlDialect::Embedded << "Data Source=/srv/lib.db;"
                                   << "Data Source=/srv/lib.db;";
    QTest::newRow("s takes cs")
        << "[part1]\nabc=s\ncs=Provider=PostgreSQL;Initial Catalog=b;Data Source=h;\n"
           "csaccess=Data Source=x.db;\n"
        << SqlDialect::Server << "Provider=PostgreSQL;Initial Catalog=b;Data Source=h;"
        << "Data Source=x.db;";
    // A server without a connection string fails to connect; nothing is invented for it.
    QTest::newRow("s without cs") << "[part1]\nabc=s\n"
                                  << SqlDialect::Server << "0"
                                  << "0";
}

void StartupTest::configuration()
{
    QFETCH(QString, ini);
    QFETCH(SqlDialect, dialect);
    QFETCH(QString, connection);
    QFETCH(QString, csaccessAfter);
    // de.ini in a folder below the working directory.
    QVERIFY(QDir().mkdir(QStringLiteral("conf")));
    const QString path = m_dir->filePath(QStringLiteral("conf/de.ini"));
    connection.replace(QStringLiteral("$INI"), m_dir->filePath(QStringLiteral("conf")));
    connection.replace(QStringLiteral("$DIR"), m_dir->path());
    if (!ini.isEmpty())
        writeIni(path, ini);
    IniFile file(path);
    LoginContext c;
    Startup::readConfiguration(file, c);
    QCOMPARE(c.dialect, dialect);
    QCOMPARE(c.connectionString, connection);
    QCOMPARE(IniFile(path).read("part1", "csaccess", "0"), csaccessAfter);
    // A new installation gets the program's name as title and no bare "0" texts; a de.ini
    // that exists keeps its own keys and defaults.
    QCOMPARE(c.softName, ini.isEmpty() ? Startup::Title : QStringLiteral("0"));
    QCOMPARE(c.telephone, ini.isEmpty() ? QString() : QStringLiteral("0"));
}

void StartupTest::startFromAnotherFolder()
{
    // The program is started from the working directory with the de.ini of another folder.
    QVERIFY(QDir().mkdir(QStringLiteral("conf")));
    const QString conf = m_dir->filePath(QStringLiteral("conf"));
    IniFile ini(conf + QStringLiteral("/de.ini"));
    LoginContext c;
    Startup::readConfiguration(ini, c);
    const QString file = conf + QStringLiteral("/book.db");
    QCOMPARE(Startup::missingDatabaseFile(c), file);
    QString error;
    QVERIFY2(DatabaseSetup::createEmbedded(file, &error), qPrintable(error));
    QCOMPARE(Startup::missingDatabaseFile(c), QString());
    QCOMPARE(Startup::open(c, &error), Startup::Connection::Open);
    QVERIFY(!QFileInfo::exists(QStringLiteral("book.db")));
}

void StartupTest::unreadableDeIniNamesNoDatabase()
{
    // A link to itself cannot be read, by root neither.
    const QString path = m_dir->filePath(QStringLiteral("de.ini"));
    QVERIFY(QFile::link(QStringLiteral("de.ini"), path));
    IniFile ini(path);
    LoginContext c;
    Startup::readConfiguration(ini, c);
    QCOMPARE(c.connectionString, QStringLiteral("0"));
    QCOMPARE(Startup::missingDatabaseFile(c), QString());
    QCOMPARE(QFileInfo(path).symLinkTarget(), path);
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("de.ini")});
}

void StartupTest::databaseFileTest()
{
    LoginContext c;
    c.connectionString = QStringLiteral("Data Source=book.db;");
    QCOMPARE(Startup::missingDatabaseFile(c), QStringLiteral("book.db"));
    QString error;
    QVERIFY2(DatabaseSetup::createEmbedded(QStringLiteral("book.db"), &error), qPrintable(error));
    QCOMPARE(Startup::missingDatabaseFile(c), QString());
    // A server database is no file.
    c.dialect = SqlDialect::Server;
    c.connectionString = QStringLiteral("Provider=PostgreSQL;Data Source=nowhere.db;");
    QCOMPARE(Startup::missingDatabaseFile(c), QString());
}

void StartupTest::helpFileLookup()
{
    // <root>/build/bin/tsgl with the guide in <root>/docs, as in a build inside the sources.
    QDir root(m_dir->path());
    QVERIFY(root.mkpath(QStringLiteral("build/bin")));
    QVERIFY(root.mkpath(QStringLiteral("work")));
    const QString bin = root.filePath(QStringLiteral("build/bin"));
    const QString work = root.filePath(QStringLiteral("work"));
    QCOMPARE(DesktopPrograms::helpFile(bin, work), QString());
    QVERIFY(root.mkpath(QStringLiteral("work/docs")));
    QFile(root.filePath(QStringLiteral("work/docs/help.html"))).open(QIODevice::WriteOnly);
    QCOMPARE(DesktopPrograms::helpFile(bin, work), root.filePath("work/docs/help.html"));
    QVERIFY(root.mkpath(QStringLiteral("docs")));
    QFile(root.filePath(QStringLiteral("docs/help.html"))).open(QIODevice::WriteOnly);
    QCOMPARE(DesktopPrograms::helpFile(bin, work), root.filePath("docs/help.html"));
}

void StartupTest::firstInstalledProgram()
{
    QCOMPARE(DesktopPrograms::firstInstalled({QStringLiteral("no-such-program-tsgl")}), QString());
    const QString sh = DesktopPrograms::firstInstalled(
        {QStringLiteral("no-such-program-tsgl"), QStringLiteral("sh"), QStringLiteral("ls")});
    QCOMPARE(QFileInfo(sh).fileName(), QStringLiteral("sh"));
}

void StartupTest::opening_data()
{
    QTest::addColumn<QByteArray>("fileContent"); // written to book.db unless "-"
    QTest::addColumn<QString>("connection");
    QTest::addColumn<SqlDialect>("dialect");
    QTest::addColumn<int>("outcome");
    // What the error begins with; %1 stands for the full path of book.db.
    QTest::addColumn<QString>("reason");
    const int open = int(Startup::Connection::Open);
    const int failed = int(Startup::Connection::Failed);
    const int empty = int(Startup::Connection::Empty);
    QTest::newRow("library database") << QByteArray("create") << "Data Source=book.db;"
                                      << SqlDialect::Embedded << open << QString();
    QTest::newRow("empty file") << QByteArray() << "Data Source=book.db;" << SqlDialect::Embedded
                                << empty << QString();
    QTest::newRow("not a database")
        << QByteArray("this is a text file, not a database") << "Data Source=book.db;"
        << SqlDialect::Embedded << failed << "无法打开数据库文件 %1:\n";
    QTest::newRow("connection string 0") << QByteArray("-") << "0" << SqlDialect::Embedded << failed
                                         << "连接字符串中没有数据库文件名";
    QTest::newRow("file that is not there")
        << QByteArray("-") << "Data Source=book.db;" << SqlDialect::Embedded << failed
        << "数据库文件 %1 不存在";
    QTest::newRow("server 0") << QByteArray("-") << "0" << SqlDialect::Server << failed
                              << "连接字符串中没有服务器或数据库名";
    QTest::newRow("server that is not there")
        << QByteArray("-")
        << "Provider=PostgreSQL;User ID=u;Initial Catalog=b;Data Source=127.0.0.1:1;"
        << SqlDialect::Server << failed << "无法连接 PostgreSQL 服务器 127.0.0.1:1 上的数据库 b:\n";
}

void StartupTest::opening()
{
    QFETCH(QByteArray, fileContent);
    QFETCH(QString, connection);
    QFETCH(SqlDialect, dialect);
    QFETCH(int, outcome);
    QFETCH(QString, reason);
    if (reason.contains(QLatin1String("%1")))
        reason = reason.arg(QDir::current().filePath(QStringLiteral("book.db")));
    if (fileContent == "create") {
        QVERIFY(DatabaseSetup::createEmbedded(QStringLiteral("book.db"), nullptr));
    } else if (fileContent != "-") {
        QFile f(QStringLiteral("book.db"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(fileContent);
    }
    LoginContext c;
    c.dialect = dialect;
    c.connectionString = connection;
    QString error;
    QCOMPARE(int(Startup::open(c, &error)), outcome);
    QCOMPARE(SharedConnection::isOpen(), outcome != int(Startup::Connection::Failed));
    // A failure names the file or the server, and gives the database's own reason beneath.
    QVERIFY2(error.startsWith(reason), qPrintable(error));
    if (reason.endsWith(QLatin1Char('\n')))
        QVERIFY2(error.size() > reason.size(), qPrintable(error));
    if (outcome == int(Startup::Connection::Empty)) {
        QVERIFY2(Startup::createTables(c, &error), qPrintable(error));
        QCOMPARE(Startup::open(c, &error), Startup::Connection::Open);
    }
    // Bad content is left as it was.
    if (outcome == int(Startup::Connection::Failed) && fileContent.size() > 6) {
        QFile f(QStringLiteral("book.db"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), fileContent);
    }
}

void StartupTest::anotherProgramsFileIsLeftAlone_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("changed");
    const int failed = int(Startup::Connection::Failed);
    QTest::newRow("another program's database")
        << QStringList{"create table 客户 (名字 text)", "insert into 客户 values ('王五')"}
        << failed << false;
    // A table named like one of the library's makes it a library, if a broken one: the
    // version checks of the login take it from there.
    QTest::newRow("a table of the library") << QStringList{"create table 管理员 (adminname text)"}
                                            << int(Startup::Connection::Open) << true;
    // A database without any table has nothing to lose; it is offered for a new library.
    QTest::newRow("no table at all")
        << QStringList{"pragma user_version=7"} << int(Startup::Connection::Empty) << true;
}

void StartupTest::anotherProgramsFileIsLeftAlone()
{
    QFETCH(QStringList, statements);
    QFETCH(int, outcome);
    QFETCH(bool, changed);
    const QString path = QDir::current().filePath(QStringLiteral("book.db"));
    makeSqliteFile(path, statements);
    const QByteArray before = contentOf(path);
    LoginContext c;
    c.connectionString = QStringLiteral("Data Source=book.db;");
    QString error;
    QCOMPARE(int(Startup::open(c, &error)), outcome);
    SharedConnection::close();
    // The shared connection switches a library to WAL; another program's file keeps every
    // byte, and no journal files appear beside it.
    QCOMPARE(contentOf(path) != before, changed);
    if (!changed) {
        QCOMPARE(error,
                 QStringLiteral("文件 %1 不是本程序的图书馆数据库,程序没有改动它.").arg(path));
        QCOMPARE(QDir::current().entryList(QDir::Files), QStringList{QStringLiteral("book.db")});
    }
}

void StartupTest::creationTakesOnlyNewFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("existing"); // "", "empty", "text", "sqlite", "library"
    QTest::addColumn<QString>("refusal");  // empty: the library is created
    QTest::newRow("new file") << "new.db" << QString() << QString();
    QTest::newRow("empty file") << "new.db"
                                << "empty" << QString();
    QTest::newRow("text file") << "notes.db"
                               << "text"
                               << "文件 %1 已经存在,新的图书馆数据库要用一个新的文件名.";
    QTest::newRow("another program's database")
        << "other.db"
        << "sqlite"
        << "文件 %1 已经存在,新的图书馆数据库要用一个新的文件名.";
    QTest::newRow("a library") << "book.db"
                               << "library"
                               << "文件 %1 已经存在,新的图书馆数据库要用一个新的文件名.";
    // The connection string quotes the name: the file made is "lib;x.db", not "lib".
    QTest::newRow("semicolon") << "lib;x.db" << QString() << QString();
}

void StartupTest::creationTakesOnlyNewFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, existing);
    QFETCH(QString, refusal);
    const QString path = QDir::current().filePath(name);
    if (existing == QLatin1String("library")) {
        QVERIFY(DatabaseSetup::createEmbedded(path, nullptr));
    } else if (existing == QLatin1String("sqlite")) {
        makeSqliteFile(path, {QStringLiteral("create table t (x int)")});
    } else if (!existing.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (existing == QLatin1String("text"))
            f.write("a letter, not a database\n");
    }
    const QStringList filesBefore = QDir::current().entryList(QDir::Files);
    const QByteArray before = contentOf(path);
    QString error;
    QCOMPARE(DatabaseSetup::createEmbedded(path, &error), refusal.isEmpty());
    if (!refusal.isEmpty()) {
        QCOMPARE(error, refusal.arg(path));
        QCOMPARE(contentOf(path), before);
        QCOMPARE(QDir::current().entryList(QDir::Files), filesBefore);
        return;
    }
    QCOMPARE(QDir::current().entryList(QDir::Files).filter(QStringLiteral("lib")),
             name.startsWith(QStringLiteral("lib")) ? QStringList{name} : QStringList());
    LoginContext context;
    QVERIFY2(SharedConnection::open(ConnectionString::forFile(path), SqlDialect::Embedded, &error),
             qPrintable(error));
    QCOMPARE(LoginService(context).checkDatabase(), LoginService::DatabaseCheck::Ok);
}

// A library whose reader numbers may be NULL (an earlier version) gets NOT NULL keys when it
// is opened; while a row still lacks its number, the start says so and goes on.
void StartupTest::olderLibraryIsUpgradedWhenOpened()
{
    const QString path = QDir::current().filePath(QStringLiteral("old.db"));
    QVERIFY(DatabaseSetup::createEmbedded(path, nullptr));
    makeSqliteFile(path, {QStringLiteral("drop table 读者库"),
                          QStringLiteral("create table 读者库 (读者编号 TEXT primary key, "
                                         "读者姓名 TEXT)"),
                          QStringLiteral("insert into 读者库 values (NULL, '无号')")});
    LoginContext c;
    c.connectionString = ConnectionString::forFile(path);
    QString error;
    QStringList notes;
    QCOMPARE(Startup::open(c, &error, &notes), Startup::Connection::Open);
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(QStringLiteral("读者库")), qPrintable(notes.first()));
    QSqlQuery q(SharedConnection::database());
    QVERIFY(q.exec(QStringLiteral("update 读者库 set 读者编号='R1'")));
    SharedConnection::close();

    notes.clear();
    QCOMPARE(Startup::open(c, &error, &notes), Startup::Connection::Open);
    QVERIFY(notes.isEmpty());
    QSqlQuery insert(SharedConnection::database());
    QVERIFY(!insert.exec(QStringLiteral("insert into 读者库 values (NULL, '无号')")));
    SharedConnection::close();
}

void StartupTest::questionsNameTheDatabase()
{
    const QString book = QDir::current().filePath(QStringLiteral("data/book.db"));
    QCOMPARE(Startup::missingFileQuestion(QStringLiteral("data/book.db")),
             QStringLiteral("数据库文件 %1 不存在，是否创建新的图书馆数据库?").arg(book));
    LoginContext c;
    c.connectionString = QStringLiteral("Data Source=data/book.db;");
    QCOMPARE(Startup::emptyDatabaseQuestion(c),
             QStringLiteral("数据库文件 %1 中还没有图书馆的数据表，是否创建新的图书馆数据库?")
                 .arg(book));
    c.dialect = SqlDialect::Server;
    c.connectionString =
        ConnectionString::forServer(QStringLiteral("db.example.cn:5433"), QStringLiteral("城南"),
                                    QStringLiteral("lib"), QStringLiteral("pw"));
    QCOMPARE(Startup::emptyDatabaseQuestion(c),
             QStringLiteral("PostgreSQL 服务器 db.example.cn:5433 上的数据库 城南 "
                            "中还没有图书馆的数据表，是否创建新的图书馆数据库?"));
    QCOMPARE(Startup::connectionFailedMessage(QStringLiteral("原因")),
             QStringLiteral("数据库连接失败,请选择数据库.\n原因"));
}

void StartupTest::toolsSayWhatIsMissing()
{
    // <root>/bin/tsgl with its guide in <root>/docs; PATH holds only the fake programs.
    QDir root(m_dir->path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    const QString bin = root.filePath(QStringLiteral("bin"));
    FakePrograms programs(root.filePath(QStringLiteral("path")));

    DesktopPrograms::Launch editor = DesktopPrograms::textEditor();
    QCOMPARE(editor.program, QString());
    QVERIFY2(
        editor.message.startsWith(QStringLiteral("没有找到文本编辑器程序,请安装其中一个: gedit")),
        qPrintable(editor.message));
    QVERIFY(DesktopPrograms::calculator().message.startsWith(
        QStringLiteral("没有找到计算器程序,请安装其中一个: gnome-calculator")));
    // No guide: the message says where it belongs.
    DesktopPrograms::Launch help = DesktopPrograms::help(bin, bin);
    QCOMPARE(help.program, QString());
    QCOMPARE(help.message,
             QStringLiteral("没有找到帮助文件,它应在: ") + root.filePath("bin/docs/help.html"));
    // A guide, but nothing to open it with: the message gives its path.
    QVERIFY(root.mkpath(QStringLiteral("docs")));
    const QString guide = root.filePath(QStringLiteral("docs/help.html"));
    QVERIFY(QFile(guide).open(QIODevice::WriteOnly));
    help = DesktopPrograms::help(bin, bin);
    QCOMPARE(help.program, QString());
    QVERIFY2(help.message.endsWith(QStringLiteral("\n帮助文件在: ") + guide),
             qPrintable(help.message));

    programs.add({QStringLiteral("kate"), QStringLiteral("xdg-open")});
    editor = DesktopPrograms::textEditor();
    QCOMPARE(editor.program, root.filePath(QStringLiteral("path/kate")));
    QCOMPARE(editor.message, QString());
    help = DesktopPrograms::help(bin, bin);
    QCOMPARE(help.program, root.filePath(QStringLiteral("path/xdg-open")));
    QCOMPARE(help.arguments, QStringList{guide});
}

void StartupTest::commandLineWithoutWindows_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("windows");
    QTest::newRow("nothing") << QStringList{} << true;
    QTest::newRow("config") << QStringList{"--config", "my.ini"} << true;
    QTest::newRow("config=") << QStringList{"--config=my.ini"} << true;
    QTest::newRow("toolkit options")
        << QStringList{"-platform", "xcb", "--style=fusion", "-reverse"} << true;
    QTest::newRow("help") << QStringList{"--help"} << false;
    QTest::newRow("h") << QStringList{"-h"} << false;
    QTest::newRow("version") << QStringList{"--version"} << false;
    QTest::newRow("v") << QStringList{"-v"} << false;
    QTest::newRow("create after config")
        << QStringList{"--config", "my.ini", "--create-database", "x.db"} << false;
    QTest::newRow("create=") << QStringList{"--create-database=x.db", "--demo"} << false;
    QTest::newRow("a command") << QStringList{"backup", "/tmp"} << false;
    QTest::newRow("config named like an option") << QStringList{"--config", "--help"} << true;
    QTest::newRow("unknown option") << QStringList{"--colour"} << false;
}

void StartupTest::commandLineWithoutWindows()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, windows);
    QCOMPARE(CommandLine::wantsWindows(QStringList{QStringLiteral("tsgl")} + arguments), windows);
}

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
