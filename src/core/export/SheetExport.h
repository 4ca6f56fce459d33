#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QSqlQuery;

// Copies a result set or a list of texts into an .xlsx file: row 1 holds the titles, the
// rows follow from row 2.
namespace SheetExport {

struct Result {
    bool ok = false;
    int rows = 0; // data rows written
    QString error;
};

// Writes the fields firstField … lastField of every row of an active query, from its first
// row on (a forward-only query that was already read is run again). Row 1 holds the field
// names. lastField < 0 means the last field. The query is left after its last row.
Result writeQuery(QSqlQuery &query, int firstField, int lastField, const QString &path);

// Writes the titles and the rows of texts (as a list shows them).
Result writeTexts(const QStringList &titles, const QVector<QStringList> &rows, const QString &path);

} // namespace SheetExport
