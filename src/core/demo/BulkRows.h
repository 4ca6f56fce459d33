#pragma once

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

// One prepared insert. On SQLite the values go straight to the database library through
// the connection's own handle: binding through QSqlQuery costs several times the insert
// itself, which matters for millions of rows. Elsewhere it is a QSqlQuery.
class BulkInsert {
public:
    BulkInsert(QSqlDatabase db, RowBatches *batches, const QString &sql);
    ~BulkInsert();
    BulkInsert(const BulkInsert &) = delete;
    BulkInsert &operator=(const BulkInsert &) = delete;

    bool ok(QString *error) const;
    // Binds the value of the placeholder at index (0-based); a null variant is NULL.
    void bind(int index, const QVariant &value);
    void bind(int index, const QString &text);
    void bind(int index, int number);
    // UTF-8 text that stays unchanged until exec() (a cached value); a null array is NULL.
    void bindUtf8(int index, const QByteArray &utf8);
    bool exec(QString *error);
    qint64 rows() const { return m_rows; }

    class Backend;

private:
    std::unique_ptr<Backend> m_backend;
    RowBatches *m_batches;
    qint64 m_rows = 0;
};
