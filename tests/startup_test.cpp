// The steps before the login: which de.ini, the configuration it gives, the database file
// of the embedded database and the opening of the shared connection.
#include "app/DesktopPrograms.h"
#include "app/Startup.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "text/Gbk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeIni(const QString &path, const QString &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Gbk::encode(text));
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void iniPath();
    void configuration_data();
    void configuration();
    void startFromAnotherFolder();
    void unreadableDeIniNamesNoDatabase();
    void databaseFileTest();
    void helpFileLookup();
    void firstInstalledProgram();
    void opening_data();
    void opening();

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

void StartupTest::iniPath()
{
    QCOMPARE(Startup::iniPath(QString(), QStringLiteral("/opt/tsgl/bin")),
             QStringLiteral("/opt/tsgl/bin/de.ini"));
    QCOMPARE(Startup::iniPath(QStringLiteral("my.ini"), QStringLiteral("/opt/tsgl/bin")),
             m_dir->filePath(QStringLiteral("my.ini")));
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
    const int open = int(Startup::Connection::Open);
    const int failed = int(Startup::Connection::Failed);
    const int empty = int(Startup::Connection::Empty);
    QTest::newRow("library database")
        << QByteArray("create") << "Data Source=book.db;" << SqlDialect::Embedded << open;
    QTest::newRow("empty file") << QByteArray() << "Data Source=book.db;" << SqlDialect::Embedded
                                << empty;
    QTest::newRow("not a database") << QByteArray("this is a text file, not a database")
                                    << "Data Source=book.db;" << SqlDialect::Embedded << failed;
    QTest::newRow("connection string 0")
        << QByteArray("-") << "0" << SqlDialect::Embedded << failed;
    QTest::newRow("server 0") << QByteArray("-") << "0" << SqlDialect::Server << failed;
    QTest::newRow("server that is not there")
        << QByteArray("-")
        << "Provider=PostgreSQL;User ID=u;Initial Catalog=b;Data Source=127.0.0.1:1;"
        << SqlDialect::Server << failed;
}

void StartupTest::opening()
{
    QFETCH(QByteArray, fileContent);
    QFETCH(QString, connection);
    QFETCH(SqlDialect, dialect);
    QFETCH(int, outcome);
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

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
