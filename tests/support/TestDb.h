#pragma once

#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A fresh library database for one test, on the backend the test run names
// (TSGL_TEST_BACKEND=sqlite or pg). It becomes the shared connection; the LoginContext is
// reset to its defaults with the dialect of the backend.
//
// PostgreSQL tests need TSGL_TEST_PG ("host:port:user"); scripts/test starts a private server
// and sets it. Without it the PostgreSQL runs are skipped.
class TestDb {
public:
    static bool wantsServer();
    static bool serverAvailable();
    // Creates the database (empty when withSchema is false). Returns an empty text on success.
    QString create(bool withSchema = true);
    ~TestDb();

    SqlDialect dialect() const { return m_dialect; }
    QSqlDatabase db() const;
    // The connection string of this database, as de.ini would hold it.
    QString connectionString() const { return m_connectionString; }
    QString dir() const;

private:
    SqlDialect m_dialect = SqlDialect::Embedded;
    QString m_connectionString;
    std::unique_ptr<QTemporaryDir> m_dir;
};

// Skips a test on PostgreSQL when no server is there; otherwise creates the database.
#define TSGL_FRESH_DB(testDb)                                                                      \
    do {                                                                                           \
        if (TestDb::wantsServer() && !TestDb::serverAvailable())                                   \
            QSKIP("no PostgreSQL server for this run (TSGL_TEST_PG is not set)");                  \
        const QString tsglCreateError = (testDb).create();                                         \
        QVERIFY2(tsglCreateError.isEmpty(), qPrintable(tsglCreateError));                          \
    } while (0)

// Runs one statement and returns the first column of the first row.
QVariant scalar(const QString &sql);
