#include "CsvSheetSource.h"

#include "XlsxReader.h"
#include "XlsxWorkbook.h"
#include "text/Gbk.h"

namespace {

constexpr size_t kChunk = 256 * 1024;

// Whether the bytes are valid UTF-8.
bool validUtf8(const std::string &text)
{
    const auto *p = reinterpret_cast<const uchar *>(text.data());
    const uchar *end = p + text.size();
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        uint code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (extra == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        p += extra + 1;
    }
    return true;
}

} // namespace

bool CsvSheetSource::rewind()
{
    m_pos = m_end = 0;
    m_record = 0;
    if (!m_file.seek(0))
        return false;
    // A byte order mark says UTF-8 and is no part of the first field.
    const QByteArray head = m_file.peek(3);
    if (head == "\xEF\xBB\xBF") {
        m_file.read(3);
        m_utf8 = true;
        m_bom = true;
    }
    return true;
}

int CsvSheetSource::peek()
{
    if (m_pos == m_end) {
        if (m_buffer.size() < kChunk)
            m_buffer.resize(kChunk);
        const qint64 n = m_file.read(m_buffer.data(), qint64(kChunk));
        if (n < 0) {
            m_problem = QStringLiteral("读取出错：%1").arg(m_file.errorString());
            return -1;
        }
        m_pos = 0;
        m_end = size_t(n);
        if (n == 0)
            return -1;
    }
    return uchar(m_buffer[m_pos]);
}

int CsvSheetSource::get()
{
    const int c = peek();
    if (c >= 0)
        ++m_pos;
    return c;
}

CsvSheetSource::Read CsvSheetSource::nextRecord()
{
    m_fieldCount = 0;
    if (peek() < 0)
        return m_problem.isEmpty() ? Read::End : Read::Fault;
    const int line = m_record + 1;
    for (;;) {
        if (m_fieldCount == XlsxReader::kMaxColumns) {
            m_problem =
                QStringLiteral("第 %1 行超过了 %2 列").arg(line).arg(XlsxReader::kMaxColumns);
            return Read::Fault;
        }
        if (size_t(m_fieldCount) == m_fields.size())
            m_fields.emplace_back();
        std::string &field = m_fields[size_t(m_fieldCount++)];
        field.clear();
        bool quoted = peek() == '"';
        if (quoted)
            get();
        int c = 0;
        for (;;) {
            c = get();
            if (c < 0) {
                if (!m_problem.isEmpty())
                    return Read::Fault;
                if (quoted) {
                    m_problem = QStringLiteral("第 %1 行有一个引号到文件末尾还没有结束").arg(line);
                    return Read::Fault;
                }
                break;
            }
            if (quoted) {
                if (c == '\r') {
                    // A line break in a field is a line feed, whatever the file's line ends.
                    if (peek() == '\n')
                        get();
                    c = '\n';
                } else if (c == '"') {
                    if (peek() == '"') {
                        get();
                    } else {
                        // The closing quote; what follows up to the separator is kept as is.
                        quoted = false;
                        continue;
                    }
                }
            } else if (c == m_separator || c == '\n') {
                break;
            } else if (c == '\r') {
                if (peek() == '\n')
                    get();
                c = '\n';
                break;
            }
            field.push_back(char(c));
            if (field.size() > size_t(kMaxFieldBytes)) {
                m_problem = QStringLiteral("第 %1 行有一个单元格超过了 %2 MB")
                                .arg(line)
                                .arg(kMaxFieldBytes >> 20);
                return Read::Fault;
            }
        }
        if (c != m_separator)
            break;
    }
    ++m_record;
    if (m_record > XlsxReader::kMaxRows) {
        m_problem = QStringLiteral("文件超过了 %1 行").arg(XlsxReader::kMaxRows);
        return Read::Fault;
    }
    return Read::Record;
}

bool CsvSheetSource::open(const QString &path, QString *error)
{
    m_path = path;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("不能读取文件：%1（%2）").arg(path, m_file.errorString());
        return false;
    }
    // Tab-separated when the first line has tabs and no commas.
    const QByteArray head = m_file.peek(64 * 1024);
    const QByteArray firstLine = head.left(head.indexOf('\n'));
    m_separator = firstLine.contains('\t') && !firstLine.contains(',') ? '\t' : ',';
    if (!rewind()) {
        *error = QStringLiteral("不能读取文件：%1（%2）").arg(path, m_file.errorString());
        return false;
    }
    bool utf8 = true;
    for (;;) {
        const Read read = nextRecord();
        if (read == Read::End)
            break;
        if (read == Read::Fault) {
            *error = XlsxReader::damagedMessage(path, m_problem);
            return false;
        }
        for (int i = 0; i < m_fieldCount; ++i) {
            const std::string &field = m_fields[size_t(i)];
            if (field.empty())
                continue;
            m_rows = m_record;
            m_columns = qMax(m_columns, i + 1);
            if (utf8 && !m_bom && !validUtf8(field))
                utf8 = false;
        }
    }
    m_utf8 = utf8 || m_bom;
    if (!rewind()) {
        *error = QStringLiteral("不能读取文件：%1（%2）").arg(path, m_file.errorString());
        return false;
    }
    return true;
}

QString CsvSheetSource::text(const std::string &field) const
{
    if (m_utf8)
        return QString::fromUtf8(field.data(), qsizetype(field.size()));
    bool ascii = true;
    for (const char c : field)
        ascii = ascii && uchar(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(field.data(), qsizetype(field.size()));
    return Gbk::decodeGb18030(QByteArray(field.data(), qsizetype(field.size())));
}

bool CsvSheetSource::readRow(int row, QStringList *cells, QString *error)
{
    cells->clear();
    cells->reserve(m_columns);
    for (int c = 0; c < m_columns; ++c)
        cells->append(QString());
    while (m_record <= row) {
        const Read read = nextRecord();
        if (read == Read::End)
            return true; // the file grew shorter since it was opened
        if (read == Read::Fault) {
            *error = XlsxReader::damagedMessage(m_path, m_problem);
            return false;
        }
    }
    if (m_record != row + 1)
        return true;
    for (int i = 0; i < m_fieldCount && i < m_columns; ++i)
        (*cells)[i] = text(m_fields[size_t(i)]);
    return true;
}
