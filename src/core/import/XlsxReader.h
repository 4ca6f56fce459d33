#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

// One worksheet as the imports see it: the used range from row 1 and column 1, each row
// padded to the same number of cells. Cells hold QString (texts), qlonglong (whole numbers),
// double, bool, QDate / QDateTime (numbers under a date format) or an invalid QVariant
// (empty cell).
struct SheetData {
    QString name;
    QVector<QVariantList> rows;
    int columnCount = 0;

    int rowCount() const { return rows.size(); }
    // 0-based; an empty variant outside the used range.
    QVariant cell(int row, int column) const;
};

// Reads .xlsx files (Office Open XML spreadsheets).
namespace XlsxReader {

// Reads the sheet the file opens with (the active sheet, else the first one).
bool read(const QString &path, SheetData *sheet, QString *error);

// A spreadsheet date number as a moment (1900 or 1904 date system).
QDateTime dateFromSerial(double serial, bool date1904 = false);

} // namespace XlsxReader
