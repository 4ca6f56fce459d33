// Backups of the embedded database while another program writes, their restore, the refusal
// of foreign files, and `tsgl backup` on the command line.
#include "TestDb.h"

#include "db/Backup.h"
#include "db/IniFile.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

const char *kWriterVariable = "TSGL_BACKUP_WRITER";

// The other program: until the stop file appears, each transaction adds one income row and
// one log row, so every consistent state of the file has as many of the one as of the other.
int runWriter(const QString &file)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("w"));
    db.setDatabaseName(file);
    if (!db.open())
        return 3;
    QSqlQuery q(db);
    q.exec(QStringLiteral("pragma busy_timeout=8000"));
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(file + QStringLiteral(".stop")) && timer.elapsed() < 60000) {
        if (!q.exec(QStringLiteral("begin immediate")))
            continue;
        q.exec(QStringLiteral("insert into 收入 (项目) values ('写入')"));
        q.exec(QStringLiteral("insert into 管理员日志 (事件) values ('写入')"));
        q.exec(QStringLiteral("commit"));
    }
    return 0;
}

qint64 rowsIn(const QString &file, const QString &table)
{
    qint64 n = -1;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("select count(*) from ") + table) && q.next())
                n = q.value(0).toLongLong();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    return n;
}

qint64 rows(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
}

QString libraryFile()
{
    return SharedConnection::database().databaseName();
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void backupWhileAnotherProgramWrites();
    void failuresWriteNoFile_data();
    void failuresWriteNoFile();
    void restoreBringsTheBackupBack();
    void foreignFilesAreRefused_data();
    void foreignFilesAreRefused();
    void commandLineBackup();

private:
    std::unique_ptr<TestDb> m_db;
    QTemporaryDir m_folder;
};

void BackupTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
    if (m_db->dialect() == SqlDialect::Server) {
        const Backup::Outcome out = Backup::backupTo(m_folder.path(), QDateTime::currentDateTime());
        QVERIFY(!out.ok);
        QCOMPARE(out.message, Backup::serverMessage());
        QSKIP("the server's data is saved with pg_dump");
    }
    QVERIFY(Statement(QStringLiteral("insert into 图书 (编号, 名称) values ('B1', '书')")).run());
}

void BackupTest::backupWhileAnotherProgramWrites()
{
    const QString file = libraryFile();
    QProcess writer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kWriterVariable), file);
    writer.setProcessEnvironment(env);
    writer.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(writer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(rows(QStringLiteral("收入")) > 50, 20000);

    const QDateTime moment(QDate(2026, 3, 4), QTime(5, 6, 7));
    const Backup::Outcome out = Backup::backupTo(m_folder.path(), moment);
    QVERIFY2(out.ok, qPrintable(out.message));
    QCOMPARE(out.message, QStringLiteral("备份成功!"));
    QCOMPARE(QFileInfo(out.path).fileName(), QStringLiteral("20260304 050607备份.db"));
    QVERIFY(rows(QStringLiteral("收入")) > 0);

    QTRY_VERIFY_WITH_TIMEOUT(
        rows(QStringLiteral("收入")) > out.rows.value(QStringLiteral("收入")) + 20, 20000);
    QFile(file + QStringLiteral(".stop")).open(QIODevice::WriteOnly);
    QVERIFY(writer.waitForFinished(20000));
    QCOMPARE(writer.exitCode(), 0);

    // The copy is one state of the library: as many income rows as log rows, the counts the
    // backup reported, and nothing but the one file.
    const qint64 income = rowsIn(out.path, QStringLiteral("收入"));
    QVERIFY(income > 50);
    QCOMPARE(rowsIn(out.path, QStringLiteral("管理员日志")), income);
    QCOMPARE(income, out.rows.value(QStringLiteral("收入")));
    QCOMPARE(rowsIn(out.path, QStringLiteral("图书")), qint64(1));
    QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files),
             QStringList{QFileInfo(out.path).fileName()});
    QCOMPARE(Backup::filesIn(m_folder.path()), QStringList{QFileInfo(out.path).fileName()});
}

void BackupTest::failuresWriteNoFile_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << "no-such-folder"
                                    << "不存在";
    QTest::newRow("empty choice") << ""
                                  << "不存在";
    QTest::newRow("read-only folder") << "ro"
                                      << "不能写入";
}

void BackupTest::failuresWriteNoFile()
{
    QFETCH(QString, folder);
    QFETCH(QString, message);
    QString path = folder.isEmpty() ? folder : m_folder.filePath(folder);
    if (folder == QLatin1String("ro")) {
        QVERIFY(QDir(m_folder.path()).mkdir(folder));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(path).isWritable())
            QSKIP("running as a user who may write anywhere");
    }
    const Backup::Outcome out = Backup::backupTo(path, QDateTime::currentDateTime());
    QVERIFY(!out.ok);
    QVERIFY2(out.message.contains(message), qPrintable(out.message));
    QVERIFY(Backup::filesIn(path).isEmpty());
}

void BackupTest::restoreBringsTheBackupBack()
{
    const Backup::Outcome saved = Backup::backupTo(m_folder.path(), QDateTime::currentDateTime());
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QVERIFY(Statement(QStringLiteral("delete from 图书")).run());
    QVERIFY(Statement(QStringLiteral("insert into 读者库 (读者编号) values ('R9')")).run());

    const QDateTime moment(QDate(2026, 5, 6), QTime(7, 8, 9));
    const Backup::Outcome out = Backup::restore(saved.path, moment);
    QVERIFY2(out.ok, qPrintable(out.message));
    QVERIFY(out.message.contains(QStringLiteral("重新启动")));
    // The shared connection reads the restored data; the replaced data is kept beside it.
    QCOMPARE(rows(QStringLiteral("图书")), qint64(1));
    QCOMPARE(rows(QStringLiteral("读者库")), qint64(0));
    const QFileInfo library(libraryFile());
    QCOMPARE(QFileInfo(out.path).dir(), library.dir());
    QVERIFY(QFileInfo(out.path).fileName().endsWith(QStringLiteral(" 20260506 070809还原前.db")));
    QCOMPARE(rowsIn(out.path, QStringLiteral("图书")), qint64(0));
    QCOMPARE(rowsIn(out.path, QStringLiteral("读者库")), qint64(1));
    // The library still takes writes.
    QVERIFY(Statement(QStringLiteral("insert into 图书 (编号, 名称) values ('B2', '书')")).run());
}

void BackupTest::foreignFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::newRow("another program's database") << QByteArray("db");
    QTest::newRow("a text file") << QByteArray("text");
    QTest::newRow("no file") << QByteArray("none");
}

void BackupTest::foreignFilesAreRefused()
{
    QFETCH(QByteArray, kind);
    const QString path = m_folder.filePath(QStringLiteral("foreign.db"));
    if (kind == "db") {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("f"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("create table notes (t text)")));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("f"));
    } else if (kind == "text") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a library\n");
    }
    const QByteArray before = bytesOf(path);
    const QStringList filesBefore = QFileInfo(libraryFile()).dir().entryList(QDir::Files);
    const Backup::Outcome out = Backup::restore(path, QDateTime::currentDateTime());
    QVERIFY(!out.ok);
    QVERIFY2(out.message.contains(QStringLiteral("不是本程序的图书馆数据库")),
             qPrintable(out.message));
    QCOMPARE(rows(QStringLiteral("图书")), qint64(1));
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(QFileInfo(libraryFile()).dir().entryList(QDir::Files), filesBefore);
}

void BackupTest::commandLineBackup()
{
    const QString ini = m_folder.filePath(QStringLiteral("de.ini"));
    IniFile(ini).write(QStringLiteral("part1"),
                       {{QStringLiteral("abc"), QStringLiteral("a")},
                        {QStringLiteral("csaccess"), m_db->connectionString()}});
    const QString target = m_folder.filePath(QStringLiteral("copies"));
    QVERIFY(QDir().mkpath(target));
    auto tsgl = [&](const QString &folder, QString *out, QString *err) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TSGL_PROGRAM),
                {QStringLiteral("backup"), folder, QStringLiteral("--config"), ini});
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        *out = QString::fromUtf8(p.readAllStandardOutput());
        *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString out, err;
    QCOMPARE(tsgl(target, &out, &err), 0);
    QVERIFY2(out.startsWith(QStringLiteral("OK 备份成功!")), qPrintable(out + err));
    const QStringList files = Backup::filesIn(target);
    QCOMPARE(files.size(), 1);
    QCOMPARE(rowsIn(QDir(target).filePath(files.first()), QStringLiteral("图书")), qint64(1));

    QCOMPARE(tsgl(m_folder.filePath(QStringLiteral("missing")), &out, &err), 1);
    QVERIFY2(err.contains(QStringLiteral("不存在")), qPrintable(err));
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(kWriterVariable)) {
        QCoreApplication app(argc, argv);
        return runWriter(qEnvironmentVariable(kWriterVariable));
    }
    QCoreApplication app(argc, argv);
    BackupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "backup_dbtest.moc"
