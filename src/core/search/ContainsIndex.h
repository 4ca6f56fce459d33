#pragma once

#include "db/SqlDialect.h"
#include "db/Statement.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

// The "contains" search (模糊: like '%text%') kept fast on large tables by trigram indexes on
// the columns listed in indexed():
// - the embedded database keeps one FTS5 table per indexed table (tokenize='trigram', named
//   "<table>_全文", its rowid that of the table's row), kept in step by three triggers on
//   the table (insert, update of an indexed column, delete);
// - the server keeps one pg_trgm GIN index per column ("ix_<table>_<column>_trgm").
// A search always applies the like itself: the index only narrows the rows looked at, so the
// rows found are exactly those of the plain like, whether the index exists or not. Texts of
// fewer than three characters have no trigram and are searched by the like alone.
//
// Matching follows the grid's "contains" filter: the search text is matched literally (%, _ and
// the backslash are no wildcards), Latin letters in any case (the server uses ilike).
namespace ContainsIndex {

struct Indexed {
    QString table;
    QStringList columns;
};

// The tables and columns that have an index.
const QVector<Indexed> &indexed();
bool isIndexed(const QString &table, const QString &column);

// The fewest characters a trigram index can serve.
inline constexpr int kMinimumLength = 3;

// '%' + text + '%' with \ % _ escaped by a backslash (for "like ? escape '\'").
QString likePattern(const QString &text);
// " like " on the embedded database (its like ignores the case of Latin letters); on the
// server " ilike ", or " like " for a text without any letter that has a case (Chinese
// characters, digits, signs), which both match alike and like matches several times faster.
QString likeOperator(SqlDialect dialect, const QString &text);

// Appends the condition "column contains text" for a column of table (a real column name)
// to a statement on the shared connection: the index lookup where the table has one and the
// text is long enough, then the like. A non-text column is compared as text.
void appendContains(Statement &statement, const QString &table, const QString &column,
                    const QString &text);
// The same for a statement that runs on db, a connection of the calling thread (a worker
// thread's copy of the shared connection).
void appendContains(Statement &statement, const QSqlDatabase &db, const QString &table,
                    const QString &column, const QString &text);

// Appends "any of the columns contains text", for columns of one table: on the embedded
// database with the table's index one lookup for all the columns together (instead of one per
// column), then the like of each column; otherwise the condition of appendContains for each
// column, joined by "or". The rows found are those of the plain likes either way.
void appendContainsAny(Statement &statement, const QSqlDatabase &db, const QString &table,
                       const QStringList &columns, const QString &text);

// Whether the embedded database holds the index of the table (always false on the server,
// where the planner chooses the index by itself).
bool isBuilt(const QSqlDatabase &db, const QString &table);

// The names of the objects that make the index of a table (embedded: the FTS table and its
// triggers; server: the column indexes).
QString ftsTable(const QString &table);
QStringList triggerNames(const QString &table);
QString serverIndexName(const QString &table, const QString &column);

// The statement that makes the insert trigger of a table's index on the embedded database.
QString embeddedInsertTrigger(const Indexed &ix);

// Builds every missing index and fills it from the rows already there; an index that exists
// in its present form is left alone, so the check costs a few catalogue reads. Each table's
// index is built in a transaction of its own, all or nothing. What this database cannot build (no
// FTS5 trigram tokenizer, no pg_trgm extension or no right to create it) is left out and said in
// notes: the searches then use the like alone, with the same results, only slower. False with the
// error only when the catalogue cannot be read.
bool ensure(QSqlDatabase db, SqlDialect dialect, QStringList *notes, QString *error);
// Removes the indexes (before a bulk load, which builds them once at its end).
bool drop(QSqlDatabase db, SqlDialect dialect, QString *error);

} // namespace ContainsIndex
