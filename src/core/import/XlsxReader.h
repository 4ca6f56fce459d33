#pragma once

#include "SheetData.h"

#include <QString>

// Reads .xlsx files (Office Open XML spreadsheets). The files come from outside: whatever
// they hold, reading one never takes more than the limits below, and a damaged or oversized
// file is refused with a message saying what is wrong.
namespace XlsxReader {

// The largest sheet a spreadsheet program makes.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384; // A to XFD

// What one file may hold. The defaults take catalogues of several hundred thousand rows.
struct Limits {
    qint64 partBytes = qint64(1) << 30;  // each part of the package, unpacked
    qint64 cells = 10'000'000;           // cells with a value in the sheet
    qint64 textCharacters = 100'000'000; // characters of the texts those cells hold
};

// Reads the sheet the file opens with (the active sheet, else the first one).
bool read(const QString &path, SheetData *sheet, QString *error, const Limits &limits = Limits());

// A spreadsheet date number as a calendar date and time of day (1900 or 1904 date system);
// false when the number is no date.
bool dateOfSerial(double serial, bool date1904, QDate *date, QTime *time);
// The same as a moment of local time.
QDateTime dateFromSerial(double serial, bool date1904 = false);

} // namespace XlsxReader
