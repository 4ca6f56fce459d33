// The program's command line, run as a user runs it, on a machine without a display: help,
// version, the creation of a new library and the refusals that leave files alone.
#include "TsglVersion.h"
#include "admin/LoginService.h"
#include "db/ConnectionString.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

// Runs tsgl in dir with no display of any kind in its environment.
Run tsgl(const QString &dir, const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(TSGL_PROGRAM), arguments);
    Run run;
    if (!p.waitForFinished(60000))
        return run;
    run.crashed = p.exitStatus() != QProcess::NormalExit;
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersion_data();
    void helpAndVersion();
    void createsANewLibrary();
    void refusals_data();
    void refusals();
};

void CommandLineTest::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("help") << QStringList{"--help"}
                          << QStringList{"--create-database", "--config", "--version"};
    QTest::newRow("help after config")
        << QStringList{"--config", "x.ini", "-h"} << QStringList{"--create-database"};
    // The version CMake gives the project, and the commit when the source is a git checkout.
    QStringList version{QStringLiteral("图书管理系统 " TSGL_PROJECT_VERSION)};
    if (!QStringLiteral(TSGL_GIT_COMMIT).isEmpty())
        version << QStringLiteral("(提交 " TSGL_GIT_COMMIT ")");
    QTest::newRow("version") << QStringList{"--version"} << version;
}

void CommandLineTest::helpAndVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    const Run run = tsgl(dir.path(), arguments);
    QVERIFY2(!run.crashed, qPrintable(run.err));
    QCOMPARE(run.exitCode, 0);
    for (const QString &text : shown)
        QVERIFY2(run.out.contains(text), qPrintable(run.out));
    // Nothing is written: no de.ini, no database.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void CommandLineTest::createsANewLibrary()
{
    QTemporaryDir dir;
    // A semicolon in the name is kept: the file made is exactly the one named.
    const Run run = tsgl(dir.path(), {QStringLiteral("--create-database"),
                                      QStringLiteral("new;1.db"), QStringLiteral("--demo")});
    QVERIFY2(!run.crashed, qPrintable(run.err));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("new;1.db")});
    QString error;
    QVERIFY2(SharedConnection::open(ConnectionString::forFile(dir.filePath("new;1.db")),
                                    SqlDialect::Embedded, &error),
             qPrintable(error));
    LoginContext context;
    QCOMPARE(LoginService(context).checkDatabase(), LoginService::DatabaseCheck::Ok);
    QSqlQuery q(SharedConnection::database());
    QVERIFY(q.exec(QStringLiteral("select count(*) from 图书")) && q.next());
    QVERIFY(q.value(0).toInt() > 0);
    SharedConnection::close();
}

void CommandLineTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("existing"); // file made before the run: "sqlite" or "text"
    QTest::addColumn<QString>("message");  // what stderr says
    QTest::newRow("another program's database")
        << QStringList{"--create-database", "other.db"} << "sqlite"
        << "已经存在";
    QTest::newRow("a text file") << QStringList{"--create-database", "other.db"} << "text"
                                 << "已经存在";
    QTest::newRow("unknown command") << QStringList{"lend"} << QString() << "未知的命令: lend";
    QTest::newRow("reserve without its arguments")
        << QStringList{"reserve", "B1"} << QString() << "用法: tsgl reserve";
    QTest::newRow("circulation of a library not there")
        << QStringList{"--config", "de.ini", "circulation", "ops.txt"} << QString() << "配置文件";
    QTest::newRow("unknown option") << QStringList{"--colour"} << QString() << "colour";
}

void CommandLineTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, existing);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.db"));
    if (existing == QLatin1String("sqlite")) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
            db.setDatabaseName(other);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("create table 客户 (名字 text)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    } else if (existing == QLatin1String("text")) {
        QFile f(other);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a letter\n");
    }
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);
    const QByteArray before = contentOf(other);
    const Run run = tsgl(dir.path(), arguments);
    QVERIFY2(!run.crashed, qPrintable(run.err));
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(contentOf(other), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), filesBefore);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "commandline_test.moc"
