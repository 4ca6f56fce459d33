#pragma once

#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVector>
#include <utility>

// The edit of one row that a window showed, written back by the row's key: only the changed
// columns are set, and only while each of them still holds what was read. A row that another
// workstation changed in those columns, or deleted, is not overwritten; changes made
// meanwhile to other columns (a loan's counters) are kept. A new key is refused when another
// row has it already, checked and written in one transaction.
struct RowChange {
    QString table;
    QString keyColumn;
    QSqlRecord asRead; // the row as the window read it, the key among its columns
    QVector<std::pair<QString, QVariant>> changes; // column -> new value (the key too)

    enum class Outcome {
        Written,
        NothingChanged,
        KeyTaken,         // the new key belongs to another row
        Deleted,          // the row is gone
        ChangedElsewhere, // a changed column no longer holds what was read
        Failed,           // the database refused; see error
    };
    Outcome write(QString *error) const;

    // " and <column> is <the value bound next>", NULL matching NULL on both databases.
    static QString sameAs(const QString &column);
};
