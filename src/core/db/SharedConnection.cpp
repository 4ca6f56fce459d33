#include "SharedConnection.h"

#include "ConnectionString.h"
#include "Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString shownPath(const QString &file)
{
    return QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
}

QString openFailed(const QString &file, const QString &reason)
{
    return QStringLiteral("无法打开数据库文件 %1:\n%2").arg(shownPath(file), reason);
}

// Whether the program may write to the file: nothing is there yet (no file, an empty file, a
// database without any table), or it holds the library's tables. The file is looked at through
// a read-only connection first, because the settings of the shared connection already write
// to it (WAL mode is kept in the file's header).
bool mayWriteTo(const QString &connectionName, const QString &file, QString *error)
{
    const QFileInfo info(file);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return true;
    const QString name = connectionName + QStringLiteral("-look");
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=8000"));
        if (db.open()) {
            QSqlQuery q(db);
            // A file that is no database opens, and is refused at the first statement.
            if (!q.exec(QStringLiteral("select count(*) from sqlite_master")) || !q.next())
                problem = openFailed(file, q.lastError().text());
            else if (q.value(0).toInt() > 0 && Schema::isEmpty(db))
                problem = SharedConnection::notALibraryMessage(file);
        } else {
            problem = openFailed(file, db.lastError().text());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!problem.isEmpty() && error)
        *error = problem;
    return problem.isEmpty();
}

bool configureSqlite(QSqlDatabase &db, QString *error)
{
    QSqlQuery q(db);
    // WAL lets several programs on one machine share the file; readers never wait for a
    // writer, and a writer waits up to the busy time-out for another writer.
    const char *pragmas[] = {"pragma journal_mode=WAL", "pragma synchronous=NORMAL",
                             "pragma busy_timeout=8000", "pragma foreign_keys=OFF"};
    for (const char *p : pragmas) {
        if (!q.exec(QString::fromLatin1(p))) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

} // namespace

namespace SharedConnection {

QString notALibraryMessage(const QString &file)
{
    return QStringLiteral("文件 %1 不是本程序的图书馆数据库,程序没有改动它.").arg(shownPath(file));
}

QString embeddedFilePath(const QString &connectionString)
{
    QString path = ConnectionString::parse(connectionString).value(QStringLiteral("Data Source"));
    return path.trimmed();
}

bool openNamed(const QString &connectionName, const QString &connectionString, SqlDialect dialect,
               QString *error, bool allowCreate, int connectTimeoutSeconds)
{
    if (QSqlDatabase::contains(connectionName)) {
        QSqlDatabase::database(connectionName, false).close();
        QSqlDatabase::removeDatabase(connectionName);
    }
    const ConnectionString cs = ConnectionString::parse(connectionString);
    if (dialect == SqlDialect::Server) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        QString host = cs.value(QStringLiteral("Data Source")).trimmed();
        int port = 5432;
        const int colon = host.lastIndexOf(QLatin1Char(':'));
        if (colon > 0) {
            bool ok = false;
            const int p = host.mid(colon + 1).toInt(&ok);
            if (ok) {
                port = p;
                host = host.left(colon);
            }
        }
        db.setHostName(host);
        db.setPort(port);
        db.setDatabaseName(cs.value(QStringLiteral("Initial Catalog")));
        db.setUserName(cs.value(QStringLiteral("User ID")));
        db.setPassword(cs.value(QStringLiteral("Password")));
        db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(connectTimeoutSeconds));
        if (host.isEmpty() || db.databaseName().isEmpty() || !db.open()) {
            if (error)
                *error = host.isEmpty() || db.databaseName().isEmpty()
                             ? QStringLiteral("连接字符串中没有服务器或数据库名")
                             : QStringLiteral("无法连接 PostgreSQL 服务器 %1 上的数据库 %2:\n%3")
                                   .arg(cs.value(QStringLiteral("Data Source")).trimmed(),
                                        db.databaseName(), db.lastError().text());
            return false;
        }
        QSqlQuery(db).exec(QStringLiteral("set client_min_messages to warning"));
        return true;
    }
    const QString file = embeddedFilePath(connectionString);
    if (file.isEmpty()) {
        if (error)
            *error = QStringLiteral("连接字符串中没有数据库文件名");
        return false;
    }
    const bool exists = QFileInfo::exists(file);
    if (!allowCreate && !exists) {
        if (error)
            *error = QStringLiteral("数据库文件 %1 不存在").arg(shownPath(file));
        return false;
    }
    if (!mayWriteTo(connectionName, file, error))
        return false;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=8000"));
    QString reason;
    if (!db.open())
        reason = db.lastError().text();
    else if (!configureSqlite(db, &reason))
        db.close();
    if (reason.isEmpty())
        return true;
    if (error)
        *error = exists ? openFailed(file, reason)
                        : QStringLiteral("无法创建数据库文件 %1:\n%2").arg(shownPath(file), reason);
    return false;
}

bool open(const QString &connectionString, SqlDialect dialect, QString *error, bool allowCreate)
{
    return openNamed(QString::fromLatin1(kName), connectionString,
                     dialect == SqlDialect::Server ? SqlDialect::Server : SqlDialect::Embedded,
                     error, allowCreate);
}

bool openCopy(const QString &connectionName, QString *error)
{
    // This form of cloneDatabase may be called from another thread than the shared
    // connection's own.
    QSqlDatabase db = QSqlDatabase::cloneDatabase(QString::fromLatin1(kName), connectionName);
    if (!db.isValid() || !db.open()) {
        if (error)
            *error = db.isValid() ? db.lastError().text() : QStringLiteral("数据库没有打开");
        return false;
    }
    if (db.driverName() == QLatin1String("QSQLITE")) {
        // The file is already in WAL mode (kept in its header): this reader does not wait for
        // the shared connection's writes, nor they for it.
        QSqlQuery(db).exec(QStringLiteral("pragma busy_timeout=8000"));
    } else {
        QSqlQuery(db).exec(QStringLiteral("set client_min_messages to warning"));
    }
    return true;
}

void close()
{
    if (QSqlDatabase::contains(QString::fromLatin1(kName)))
        QSqlDatabase::database(QString::fromLatin1(kName), false).close();
}

bool isOpen()
{
    return QSqlDatabase::contains(QString::fromLatin1(kName)) && database().isOpen();
}

QSqlDatabase database()
{
    return QSqlDatabase::database(QString::fromLatin1(kName), false);
}

SqlDialect dialect()
{
    return database().driverName() == QLatin1String("QPSQL") ? SqlDialect::Server
                                                             : SqlDialect::Embedded;
}

} // namespace SharedConnection
