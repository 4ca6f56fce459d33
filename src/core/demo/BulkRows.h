#pragma once

#include "db/PreparedStatement.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>

// Writing millions of generated rows: one prepared insert, run once per row, inside
// transactions of many rows each.

// Commits every kRows rows and starts the next transaction.
class RowBatches {
public:
    static constexpr int kRows = 50000;

    explicit RowBatches(QSqlDatabase db);
    ~RowBatches();
    bool begin(QString *error);
    bool rowDone(QString *error);
    bool finish(QString *error);

private:
    QSqlDatabase m_db;
    bool m_open = false;
    qint64 m_rows = 0;
};

// One prepared insert (PreparedStatement) whose rows go through the batches.
class BulkInsert {
public:
    BulkInsert(QSqlDatabase db, RowBatches *batches, const QString &sql);
    BulkInsert(const BulkInsert &) = delete;
    BulkInsert &operator=(const BulkInsert &) = delete;

    bool ok(QString *error) const { return m_statement.ok(error); }
    // Binds the value of the placeholder at index (0-based); a null variant is NULL.
    void bind(int index, const QVariant &value) { m_statement.bind(index, value); }
    void bind(int index, const QString &text) { m_statement.bind(index, text); }
    void bind(int index, int number) { m_statement.bind(index, number); }
    // UTF-8 text that stays unchanged until exec() (a cached value); a null array is NULL.
    void bindUtf8(int index, const QByteArray &utf8) { m_statement.bindUtf8(index, utf8); }
    bool exec(QString *error);
    qint64 rows() const { return m_rows; }

private:
    PreparedStatement m_statement;
    RowBatches *m_batches;
    qint64 m_rows = 0;
};
