#pragma once

#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/SharedConnection.h"
#include "demo/LibraryGenerator.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

// Creates a new embedded library at path, opens it as the shared connection and fills it
// with a generated library of the given size, loaded in bulk.
inline bool createGeneratedLibrary(const QString &path, const LibraryGenerator::Size &size,
                                   QString *error)
{
    if (!DatabaseSetup::createEmbedded(path, error))
        return false;
    if (!SharedConnection::open(ConnectionString::forFile(path), SqlDialect::Embedded, error))
        return false;
    LibraryGenerator::Options options;
    options.bulkLoad = true;
    return LibraryGenerator(SharedConnection::database(), options).generate(size, error);
}

// Opens the database name on the server "HOST:PORT:USER" as the shared connection, creating
// it first when it is not there (then *fresh is set: the caller fills it).
inline bool openServerDatabase(const QString &setup, const QString &name, bool *fresh,
                               QString *error)
{
    *fresh = false;
    const QStringList p = setup.split(QLatin1Char(':'));
    if (p.size() < 3) {
        *error = QStringLiteral("--server wants HOST:PORT:USER");
        return false;
    }
    const QString server = p[0] + QLatin1Char(':') + p[1];
    {
        const QString admin =
            ConnectionString::forServer(server, QStringLiteral("postgres"), p[2], {});
        if (!SharedConnection::openNamed(QStringLiteral("bench-admin"), admin, SqlDialect::Server,
                                         error))
            return false;
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("bench-admin"), false));
        q.exec(QStringLiteral("select 1 from pg_database where datname='%1'").arg(name));
        if (!q.next()) {
            *fresh = true;
            if (!q.exec(QStringLiteral("create database %1").arg(name))) {
                *error = q.lastError().text();
                return false;
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
    return SharedConnection::open(ConnectionString::forServer(server, name, p[2], {}),
                                  SqlDialect::Server, error);
}
