#pragma once

#include "SheetSource.h"

#include <QFile>
#include <string>
#include <vector>

// A comma-separated text file as a sheet: records as in RFC 4180 (fields in double quotes
// may hold commas, line breaks and doubled quotes; lines end in CR LF or LF). The text is
// UTF-8 (with or without a byte order mark) or, when it is not valid UTF-8, GB18030 (which
// reads GBK as GBK). One pass finds the used range and the encoding; the second gives the
// rows as they are read.
class CsvSheetSource : public SheetSource {
public:
    // The longest field, in bytes.
    static constexpr int kMaxFieldBytes = 4 << 20;

    bool open(const QString &path, QString *error) override;
    int rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    bool readRow(int row, QStringList *cells, QString *error) override;

private:
    enum class Read { Record, End, Fault };

    bool rewind();
    Read nextRecord();
    int get();
    int peek();
    QString text(const std::string &field) const;

    QString m_path;
    QFile m_file;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_utf8 = true;
    bool m_bom = false;
    char m_separator = ',';
    int m_rows = 0;
    int m_columns = 0;
    int m_record = 0; // records read in this pass
    std::vector<std::string> m_fields;
    int m_fieldCount = 0;
    QString m_problem;
};
