#include "TestDb.h"

#include "db/ConnectionString.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/SharedConnection.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QStringList serverParts()
{
    return qEnvironmentVariable("TSGL_TEST_PG").split(QLatin1Char(':'));
}

} // namespace

bool TestDb::wantsServer()
{
    return qEnvironmentVariable("TSGL_TEST_BACKEND") == QLatin1String("pg");
}

bool TestDb::serverAvailable()
{
    return serverParts().size() >= 3;
}

QString TestDb::create(bool withSchema)
{
    SharedConnection::close();
    loginContext() = LoginContext();
    m_dir = std::make_unique<QTemporaryDir>();
    if (wantsServer()) {
        m_dialect = SqlDialect::Server;
        const QStringList p = serverParts();
        // One database per test program, emptied for each test.
        const QString dbName = QStringLiteral("t_") + QCoreApplication::applicationName().toLower();
        const QString admin = ConnectionString::forServer(p[0] + QLatin1Char(':') + p[1],
                                                          QStringLiteral("postgres"), p[2], {});
        QString error;
        {
            if (!SharedConnection::openNamed(QStringLiteral("tsgl-admin"), admin,
                                             SqlDialect::Server, &error))
                return error;
            QSqlDatabase adminDb = QSqlDatabase::database(QStringLiteral("tsgl-admin"), false);
            QSqlQuery q(adminDb);
            q.exec(QStringLiteral("select 1 from pg_database where datname='%1'").arg(dbName));
            if (!q.next() && !q.exec(QStringLiteral("create database %1").arg(dbName)))
                return q.lastError().text();
            adminDb.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tsgl-admin"));
        m_connectionString =
            ConnectionString::forServer(p[0] + QLatin1Char(':') + p[1], dbName, p[2], {});
        if (!SharedConnection::open(m_connectionString, SqlDialect::Server, &error))
            return error;
        QSqlQuery q(SharedConnection::database());
        if (!q.exec(QStringLiteral("drop schema public cascade")) ||
            !q.exec(QStringLiteral("create schema public")))
            return q.lastError().text();
    } else {
        m_dialect = SqlDialect::Embedded;
        m_connectionString = ConnectionString::forFile(m_dir->filePath(QStringLiteral("book.db")));
        QString error;
        if (!SharedConnection::open(m_connectionString, SqlDialect::Embedded, &error, true))
            return error;
    }
    loginContext().dialect = m_dialect;
    loginContext().connectionString = m_connectionString;
    QString error;
    if (withSchema && !Schema::create(SharedConnection::database(), m_dialect, &error))
        return error;
    return QString();
}

TestDb::~TestDb()
{
    SharedConnection::close();
}

QSqlDatabase TestDb::db() const
{
    return SharedConnection::database();
}

QString TestDb::dir() const
{
    return m_dir ? m_dir->path() : QString();
}

QVariant scalar(const QString &sql)
{
    QSqlQuery q(SharedConnection::database());
    if (!q.exec(sql) || !q.next())
        return QVariant();
    return q.value(0);
}
