#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;
namespace XlsxLibrary {
struct Functions;
}

// Writes one worksheet of an .xlsx file row by row, keeping the types of the values:
// numbers and amounts become numbers, dates and points in time real spreadsheet dates with a
// date format, texts stay texts and NULL leaves the cell empty. Rows go to disk as they are
// written, so the memory used does not grow with the number of rows. Column widths are
// fitted to the longest value seen in each column when the file is closed.
// A text keeps every character: those XML cannot hold (NUL, other control characters) are
// stored as _xHHHH_ escapes, which spreadsheet programs read back as the character; only a
// text longer than a cell holds (32,767 characters as stored) is cut.
class XlsxWriter {
public:
    // How the values of a column are to be read.
    enum class Kind {
        Auto,     // by the value: numbers as numbers, ISO date text as a date, else text
        Text,     // always text, even when it looks like a number ("0012")
        Number,   // numbers and numeric text as numbers
        DateTime, // dates and "yyyy-MM-dd[ HH:mm:ss]" text as dates
    };

    XlsxWriter();
    ~XlsxWriter();
    XlsxWriter(const XlsxWriter &) = delete;
    XlsxWriter &operator=(const XlsxWriter &) = delete;

    // Creates the file (replacing it) with one sheet. The kinds are per column; missing
    // entries count as Auto.
    bool open(const QString &path, const QVector<Kind> &kinds = {});
    // Writes the next row; the first row written is row 1.
    bool addRow(const QVariantList &values);
    // A row of texts as a list shows them: number-like texts become numbers and ISO date
    // texts dates, as a spreadsheet reads typed-in values, unless the column is Text.
    bool addTextRow(const QStringList &texts);
    // A row of titles, always written as texts.
    bool addHeaderRow(const QStringList &titles);
    // Sets the column widths and writes the file. Called by the destructor if needed.
    bool close();

    int rowsWritten() const { return m_row; }
    QString errorString() const { return m_error; }

    // The largest number of rows a sheet holds.
    static constexpr int kMaxRows = 1048576;

private:
    bool writeCell(int column, const QVariant &value);
    bool writeText(int column, const QString &text, bool convert = true);
    bool writeNumber(int column, double value, int shownWidth);
    bool writeMoment(int column, const QDateTime &moment);
    bool writeMoment(int column, const QDate &date, int seconds);
    // A failure of the library, with the system's reason when there is one.
    bool fail(int code, int systemError = 0);
    // The message, the system's reason, and what is wrong with the folder (missing, read
    // only, not writable, disk full), when something is.
    QString withCause(const QString &message, int systemError) const;
    void widen(int column, int width);

    const XlsxLibrary::Functions *m_lib = nullptr;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_dateFormat = nullptr;
    lxw_format *m_dateTimeFormat = nullptr;
    QVector<Kind> m_kinds;
    QVector<int> m_widths;
    QString m_folder;
    QByteArray m_tmpDir;
    int m_row = 0;
    QString m_error;
};
