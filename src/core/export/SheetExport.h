#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QSqlQuery;

// Copies a result set or a list of texts into an .xlsx file: row 1 holds the titles, the
// rows follow from row 2.
namespace SheetExport {

inline constexpr int kMaxDataRows = 1048575;

struct Result {
    bool ok = false;
    int rows = 0;           // data rows written
    bool truncated = false; // the result had more rows than a sheet holds
    QString error;
};

// Writes the fields firstField … lastField of every row of an active query, from its first
// row on (a forward-only query that was already read is run again). Row 1 holds the field
// names. lastField < 0 means the last field. The query is left after its last row, or at the
// first row that did not fit when the result has more than maxRows rows (a sheet holds
// 1,048,576 rows, the titles included).
Result writeQuery(QSqlQuery &query, int firstField, int lastField, const QString &path,
                  int maxRows = kMaxDataRows);

// Writes the titles and the rows of texts (as a list shows them).
Result writeTexts(const QStringList &titles, const QVector<QStringList> &rows, const QString &path);

} // namespace SheetExport
