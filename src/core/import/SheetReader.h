#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

// One worksheet as the imports see it, read row by row whatever the file is (.xls, .xlsx or
// .csv): the sheet the workbook opens with (in an .xls file the first one, which FreeXL
// cannot tell apart), its used range counted from row 1 and column 1,
// row 1 as the headings. Every cell comes as text: a number without trailing zeros, a date in
// short date form ("2008-08-08", with the time when it has one), an empty cell as empty text.
// A file that cannot be read, is encrypted or damaged is refused with a message in Chinese
// naming what is wrong; reading never crashes or hangs, whatever the file holds.
//
// The kind of file is found by its first bytes (a zip archive is .xlsx, an OLE2 container
// .xls, text is CSV when it is named .csv, .txt, .tsv, .xls or .xlsx), not by its name alone. An
// .xlsx sheet is read as a stream: open() makes one quick pass over it for the used range, and
// next() unpacks the rows as they are asked for, so memory does not grow with the rows. A CSV file
// is read the same way.
class SheetReader {
public:
    SheetReader();
    ~SheetReader();
    SheetReader(const SheetReader &) = delete;
    SheetReader &operator=(const SheetReader &) = delete;

    // Opens the file and finds the used range and the headings. False, with the reason, when
    // the file cannot be read; then nothing is read from it.
    bool open(const QString &path, QString *error);

    // The used range: rows (the heading row included) and columns.
    int rowCount() const;
    int columnCount() const;
    // The texts of row 1, one per used column.
    QStringList headings() const;

    // The next row below the heading row: its number (row 2 first, counted from 1) and
    // columnCount() texts. False at the end, or when the file turns out damaged midway
    // (error() then says why).
    bool next(int *row, QStringList *cells);
    QString error() const;

    // A cell's value as text by the rules above (for readers that see typed values).
    static QString cellText(const QVariant &value);
    // A number without trailing zeros: 12.5, 3, 1234567890123 (15 significant digits).
    static QString numberText(double value);
    // "2008-08-08", or "2008-08-08 10:30:00" when the moment has a time of day.
    static QString dateText(const QDateTime &moment);
    // The same for a date and a time of day. Cells hold wall-clock dates: they are never made
    // moments of local time, which would cost a look at the time zone for every cell and shift
    // a midnight that a change to summer time skips.
    static QString dateText(const QDate &date, const QTime &time);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
