#pragma once

#include "db/Statement.h"

#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The rows a report template prints: field names and one list of values per row. Filled from
// a statement, from records (a grid's rows) or value by value (a window's fields).
class ReportRows {
public:
    ReportRows() = default;
    explicit ReportRows(const QStringList &fields)
        : m_fields(fields)
    {}

    // Every row of the statement; false with the database's message on failure.
    bool load(const Statement &statement, QString *error = nullptr);
    // The same, keeping only the named fields (those the template prints): a long result
    // then costs no memory for the columns nobody prints, pictures above all.
    bool load(const Statement &statement, const QStringList &onlyFields, QString *error = nullptr);
    void append(const QSqlRecord &record);
    // A row from field/value pairs; fields not known yet are added.
    void append(const QVariantMap &values);

    int count() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const QStringList &fields() const { return m_fields; }
    // The value of a field in a row (field names in any letter case); invalid if unknown.
    QVariant value(int row, const QString &field) const;

private:
    int fieldIndex(const QString &field) const;
    int ensureField(const QString &field);

    QStringList m_fields;
    QVector<QVariantList> m_rows;
};
