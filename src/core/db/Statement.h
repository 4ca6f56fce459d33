#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// A statement with bound values. It is assembled from text fragments and values; each
// value becomes a "?" placeholder, so whatever a user typed is matched literally. The same
// statement can be rendered as display text with the values as escaped literals.
//
//   Statement st("select * from 读者库 where 读者编号=");
//   st.value(number).text(" or CardId=").value(number);
//   QSqlQuery q = st.exec();
class Statement {
public:
    Statement() = default;
    explicit Statement(const QString &text, const QVariantList &values = {});

    Statement &text(const QString &fragment);
    Statement &value(const QVariant &value);
    Statement &operator<<(const QString &fragment) { return text(fragment); }

    const QString &sql() const { return m_sql; }
    const QVariantList &values() const { return m_values; }
    // The statement with each placeholder replaced by its literal ('O''Brien', 12.5, NULL).
    QString displayText() const;

    // Prepares, binds and runs the statement on the shared connection (or the given one).
    // On failure the query is inactive and error() holds the database's own message.
    QSqlQuery exec(bool forwardOnly = true) const;
    QSqlQuery exec(const QSqlDatabase &db, bool forwardOnly = true) const;
    bool run(QString *error = nullptr) const;
    bool run(const QSqlDatabase &db, QString *error) const;
    // The first column of the first row, or an invalid variant.
    QVariant scalar(QString *error = nullptr) const;

    static QString lastError(const QSqlQuery &query);

    // "insert into table (c1, c2, …) values (?, ?, …)" with the values bound, one per column.
    // The table and column names are the program's own, never typed by a user.
    static Statement insert(const QString &table, const QStringList &columns,
                            const QVariantList &values);

private:
    QString m_sql;
    QVariantList m_values;
};

// Rolls back unless committed. One guard per business operation that writes several rows.
class Transaction {
public:
    explicit Transaction(QSqlDatabase db);
    Transaction();
    // A transaction that holds the table against other writers from its start, so that a
    // check and the write it allows are one step for every workstation ("is the name free?"
    // then insert): the embedded database takes its write lock at once (begin immediate),
    // the server locks the table against other writers; readers are not held up.
    Transaction(QSqlDatabase db, const QString &lockedTable);
    explicit Transaction(const QString &lockedTable);
    // A transaction that is going to write rows it names by key: the embedded database takes
    // its write lock at once (begin immediate), so it never has to turn a read lock into a
    // write lock midway; the server locks just the rows written, not whole tables.
    enum class Intent { Write };
    explicit Transaction(Intent intent);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool isActive() const { return m_active; }
    // Why the transaction could not begin (the database's own text), when it is not active.
    QString error() const { return m_error; }
    bool commit(QString *error = nullptr);
    void rollback();

private:
    QSqlDatabase m_db;
    bool m_active = false;
    QString m_error;
};

// Date and date-time values as both databases store them: a date-time at midnight is kept
// as the bare date, so comparing with 'yyyy-mm-dd' means that day at 00:00.
QVariant sqlDate(const QDate &date);
QVariant sqlDateTime(const QDateTime &moment);
QDateTime dateTimeFromSql(const QVariant &value);
QDate dateFromSql(const QVariant &value);
// A yes/no column value as a flag: 0 is false, any other number true.
bool flagFromSql(const QVariant &value);
