#include "ReportRows.h"

#include <QSqlError>
#include <QSqlQuery>

bool ReportRows::load(const Statement &statement, QString *error)
{
    QSqlQuery q = statement.exec();
    if (q.lastError().isValid() || !q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    while (q.next())
        append(q.record());
    if (m_rows.isEmpty() && m_fields.isEmpty()) {
        const QSqlRecord rec = q.record();
        for (int i = 0; i < rec.count(); ++i)
            m_fields.append(rec.fieldName(i));
    }
    return true;
}

bool ReportRows::load(const Statement &statement, const QStringList &onlyFields, QString *error)
{
    QSqlQuery q = statement.exec();
    if (q.lastError().isValid() || !q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    const QSqlRecord layout = q.record();
    QVector<QPair<int, int>> columns; // result column -> field index
    for (const QString &field : onlyFields) {
        const int column = layout.indexOf(field);
        if (column >= 0)
            columns.append({column, ensureField(layout.fieldName(column))});
    }
    while (q.next()) {
        QVariantList row(m_fields.size());
        for (const auto &c : columns)
            row[c.second] = q.value(c.first);
        m_rows.append(row);
    }
    return true;
}

void ReportRows::append(const QSqlRecord &record)
{
    QVariantList row(m_fields.size());
    for (int i = 0; i < record.count(); ++i) {
        const int index = ensureField(record.fieldName(i));
        if (index >= row.size())
            row.resize(index + 1);
        row[index] = record.value(i);
    }
    m_rows.append(row);
}

void ReportRows::append(const QVariantMap &values)
{
    QVariantList row(m_fields.size());
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const int index = ensureField(it.key());
        if (index >= row.size())
            row.resize(index + 1);
        row[index] = it.value();
    }
    m_rows.append(row);
}

QVariant ReportRows::value(int row, const QString &field) const
{
    const int index = fieldIndex(field);
    if (row < 0 || row >= m_rows.size() || index < 0)
        return QVariant();
    return m_rows[row].value(index);
}

int ReportRows::fieldIndex(const QString &field) const
{
    const int exact = m_fields.indexOf(field);
    if (exact >= 0)
        return exact;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int ReportRows::ensureField(const QString &field)
{
    const int index = m_fields.indexOf(field);
    if (index >= 0)
        return index;
    m_fields.append(field);
    return m_fields.size() - 1;
}
