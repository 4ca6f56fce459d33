#pragma once

#include "GridQuery.h"

#include <QHash>
#include <QSet>
#include <QSqlRecord>
#include <QVector>

// The rows of a grid query, read a page at a time when they are first needed. The row count
// and the column sums come from one aggregate statement; the rows themselves from
// "limit/offset" pages, of which a bounded number stays in memory, so a result of a million
// rows costs one page and one aggregate to show.
//
// The sums may be left for later (Sums::Later): then only the count is read with the first
// page (the rows need it), and the sums, which read every row, are handed in by setSums()
// when someone computed them elsewhere (GridTotals, on a worker thread).
class GridRows {
public:
    static constexpr int kPageSize = 200;
    static constexpr int kCachedPages = 64;

    enum class Sums { Now, Later };

    // Runs the query's first page and the totals. The query's field names are read (again),
    // and a sort or filter on a column that is no longer there is dropped.
    // On failure the rows are empty and error holds the database's message.
    bool open(GridQuery *query, const QStringList &sumFields, QString *error = nullptr,
              Sums sums = Sums::Now);
    // Reads the count and the sums again and forgets every loaded page (after a change of
    // sort or filter, or to see rows others wrote). With Sums::Later the sums are unknown again.
    bool reload(QString *error = nullptr);
    void clear();

    bool isOpen() const { return m_query != nullptr; }
    qint64 count() const { return m_count; }
    const QStringList &sumFields() const { return m_sumFields; }
    // Whether the sums are there: always after a reload with Sums::Now, after setSums() with
    // Sums::Later.
    bool sumsKnown() const { return m_sumsKnown; }
    // The sums computed elsewhere, one per sum field in order (an empty list: they could not
    // be computed, and every sum reads as NULL).
    void setSums(const QVariantList &sums);
    const QVariantList &sums() const { return m_sums; }
    QVariant sum(const QString &field) const;
    // The fields of the result, with their types.
    const QSqlRecord &layout() const { return m_layout; }

    // One value; reads its page when it is not loaded. Invalid outside the rows.
    QVariant value(qint64 row, int column) const;
    QSqlRecord record(qint64 row) const;
    // Whether the row's page is in memory (no statement would run to read it).
    bool isLoaded(qint64 row) const;
    // The first loaded row whose column equals value, searching the pages in memory; -1 if none.
    qint64 findLoaded(int column, const QVariant &value) const;
    QString lastError() const { return m_error; }

private:
    using Row = QVector<QVariant>;
    const QVector<Row> *pageOf(qint64 row) const;
    bool loadPage(qint64 page, QString *error) const;

    GridQuery *m_query = nullptr;
    QStringList m_sumFields;
    QVariantList m_sums;
    Sums m_sumsTiming = Sums::Now;
    bool m_sumsKnown = false;
    qint64 m_count = 0;
    mutable QSqlRecord m_layout; // taken from the first page read
    mutable QHash<qint64, QVector<Row>> m_pages;
    mutable QVector<qint64> m_recent; // loaded pages, most recently used last
    mutable QSet<qint64> m_failed;    // pages whose statement failed since the last reload
    mutable QString m_error;
};
