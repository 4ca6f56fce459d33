#include "SharedConnection.h"

#include "ConnectionString.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

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
                             : db.lastError().text();
            return false;
        }
        QSqlQuery(db).exec(QStringLiteral("set client_min_messages to warning"));
        return true;
    }
    const QString file = embeddedFilePath(connectionString);
    if (file.isEmpty() || (!allowCreate && !QFileInfo::exists(file))) {
        if (error)
            *error = QStringLiteral("数据库文件不存在: ") + file;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=8000"));
    if (!db.open()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    // A file that is not a database opens, and is refused at the first statement.
    if (!configureSqlite(db, error)) {
        db.close();
        return false;
    }
    return true;
}

bool open(const QString &connectionString, SqlDialect dialect, QString *error, bool allowCreate)
{
    return openNamed(QString::fromLatin1(kName), connectionString,
                     dialect == SqlDialect::Server ? SqlDialect::Server : SqlDialect::Embedded,
                     error, allowCreate);
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
