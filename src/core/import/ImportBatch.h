#pragma once

#include "db/PreparedStatement.h"
#include "db/Statement.h"
#include "search/HeldIndexing.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <unordered_map>

// Writes the rows of an import quickly and safely. Rows go to the database in transactions
// committed every batchSize rows, or after a second when rows come slowly, and each row runs under
// a savepoint of its own: a row the database refuses (a duplicate key, a value of the wrong type)
// is rolled back to its savepoint alone, its statement and the database's message are reported, and
// the rows before and after it stay. Committing in batches keeps the write lock short enough for
// other workstations to write between batches, and makes an import of 100,000 rows take seconds
// instead of one transaction per row.
//
// On the embedded database the "contains" indexes of the tables written are filled once per
// batch, just before its commit, instead of row by row (HeldIndexing): the same index, several
// times faster.
//
// Any statements serve: the spreadsheet imports write one insert per row, an import may write
// several statements for one row (they succeed or fail together). Statements are prepared
// once per distinct SQL text and reused with new values, so a row costs no parsing.
//
//   ImportBatch batch(db);
//   for (each row) {
//       QString error;
//       if (!batch.write(statementOf(row), &error))
//           recordFailed(row, error);        // the batch goes on
//       if (stopRequested) break;
//   }
//   batch.finish(&error);                   // commits what is pending
//
// If a commit fails (a full disk, a lost server) the rows of that batch are not in the
// database: rowsLost() counts them and commitError() says why. write() still answers for its
// own row only, so a caller compares rowsLost() before and after to notice such a loss. The
// destructor commits what is pending, so a stopped import keeps every row written so far.
class ImportBatch {
public:
    // Rows per transaction, chosen for the database when a batch is made with kDefaultRows.
    // On the embedded database large batches write each index page touched once per batch
    // instead of once per few rows, and a batch holds the write lock for well under a second.
    // The server slows down past a thousand or so savepoints in one transaction.
    static constexpr int kDefaultRows = 0;
    static constexpr int kEmbeddedRows = 10000;
    static constexpr int kServerRows = 1000;
    // The longest a batch stays open: other workstations wait at most this long to write.
    static constexpr qint64 kBatchMilliseconds = 1000;

    explicit ImportBatch(QSqlDatabase db, int batchSize = kDefaultRows);
    ~ImportBatch();
    ImportBatch(const ImportBatch &) = delete;
    ImportBatch &operator=(const ImportBatch &) = delete;

    // Writes one row: the statements in order, under one savepoint. True when all ran; false
    // with the database's message when one was refused, and then none of them stays.
    bool write(const Statement &statement, QString *error = nullptr);
    bool write(const QVector<Statement> &statements, QString *error = nullptr);

    // Commits the rows written since the last commit. False with the reason when the commit
    // failed; those rows are then counted in rowsLost().
    bool commit(QString *error = nullptr);
    // Commits what is pending; the batch can go on writing afterwards.
    bool finish(QString *error = nullptr) { return commit(error); }

    // Rows written and committed, rows written but not yet committed, rows refused, rows that
    // were written but lost with a failed commit.
    int rowsCommitted() const { return m_committed; }
    int rowsPending() const { return m_pending; }
    int rowsRefused() const { return m_refused; }
    int rowsLost() const { return m_lost; }
    // Why the last failed commit failed (the database's message); empty when none failed.
    QString commitError() const { return m_commitError; }

private:
    void tuneConnection();
    bool begin(QString *error);
    bool control(QSqlQuery &query, const char *sql, QString *error);
    PreparedStatement *prepared(const QString &sql, QString *error);
    bool runOne(const Statement &statement, QString *error);
    void abandon(const QString &reason);

    QSqlDatabase m_db;
    int m_batchSize;
    std::unique_ptr<Transaction> m_transaction;
    HeldIndexing m_indexing;
    QElapsedTimer m_batchTimer;
    QStringList m_restore; // statements that put the connection's settings back
    QSqlQuery m_savepoint;
    QSqlQuery m_release;
    QSqlQuery m_rollbackTo;
    std::unordered_map<QString, std::unique_ptr<PreparedStatement>> m_prepared;
    int m_committed = 0;
    int m_pending = 0;
    int m_refused = 0;
    int m_lost = 0;
    QString m_commitError;
    bool m_savepointSet = false; // the current row's (or on the server the last row's)
};
