#pragma once

#include "SheetSource.h"

#include <sys/types.h>

// The first sheet of an Excel 97-2003 workbook (.xls), read through FreeXL.
//
// FreeXL reads past its own buffers on some damaged files (found by fuzzing: a string whose
// length runs beyond its record is converted from the stack). So it runs in a child process
// of its own that sends the texts of the sheet row by row through a pipe: a file that makes
// it crash or hang is refused with a message, and the program goes on.
class XlsSheetSource : public SheetSource {
public:
    // The largest file taken: the format holds at most 65,536 rows of 256 columns.
    static constexpr qint64 kMaxFileBytes = qint64(256) << 20;
    // How long the reader may go without giving anything.
    static constexpr int kTimeoutMs = 60000;

    XlsSheetSource() = default;
    ~XlsSheetSource() override;
    XlsSheetSource(const XlsSheetSource &) = delete;
    XlsSheetSource &operator=(const XlsSheetSource &) = delete;

    bool open(const QString &path, QString *error) override;
    int rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    bool readRow(int row, QStringList *cells, QString *error) override;
    // The rows come from a child process that belongs to the thread that opened the file.
    bool readsInAnyThread() const override { return false; }

private:
    bool receive(void *data, size_t size);
    void stop();

    QString m_path;
    pid_t m_child = -1;
    int m_pipe = -1;
    int m_rows = 0;
    int m_columns = 0;
    int m_nextRow = 0;
};
