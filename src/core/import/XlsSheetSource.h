#pragma once

#include "SheetSource.h"

// The first sheet of an Excel 97-2003 workbook (.xls), read through FreeXL.
class XlsSheetSource : public SheetSource {
public:
    // The largest file taken: the format holds at most 65,536 rows of 256 columns.
    static constexpr qint64 kMaxFileBytes = qint64(256) << 20;

    XlsSheetSource() = default;
    ~XlsSheetSource() override;
    XlsSheetSource(const XlsSheetSource &) = delete;
    XlsSheetSource &operator=(const XlsSheetSource &) = delete;

    bool open(const QString &path, QString *error) override;
    int rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    bool readRow(int row, QStringList *cells, QString *error) override;

private:
    const void *m_handle = nullptr;
    int m_rows = 0;
    int m_columns = 0;
};
