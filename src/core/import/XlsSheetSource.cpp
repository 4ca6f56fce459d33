#include "XlsSheetSource.h"

#include "SheetReader.h"
#include "XlsxWorkbook.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <freexl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What FreeXL's error codes mean for the user.
QString reasonOf(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("内存不足");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return QStringLiteral("文件头有误，它不是 Excel 97-2003 文件(.xls)");
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return QStringLiteral("文件不完整或读取出错");
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return QStringLiteral("文件的分配表有误");
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("文件中没有完好的工作簿");
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        return QStringLiteral("文件的字符串表有误");
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return QStringLiteral("文件中有不能转换的字符");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("文件结构严重错误");
    default:
        return QStringLiteral("错误代码 %1").arg(code);
    }
}

QString textOf(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return SheetReader::numberText(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_TIME:
        return cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString();
    case FREEXL_CELL_DATETIME: {
        // "YYYY-MM-DD HH:MM:SS": a moment at midnight is a date.
        QString text = cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString();
        if (text.endsWith(QLatin1String(" 00:00:00")))
            text.chop(9);
        return text;
    }
    default:
        return QString();
    }
}

bool isEmpty(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
    case FREEXL_CELL_DOUBLE:
        return false;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return !cell.value.text_value || !*cell.value.text_value;
    default:
        return true;
    }
}

// What the child process sends: a header of three 32-bit numbers (status, rows, columns),
// then every cell of the used range, row by row, as a 32-bit length and UTF-8 bytes.
constexpr qint32 kEncrypted = -1000;
constexpr qint32 kNoSheet = -1001;
constexpr quint32 kMaxTextBytes = 4 << 20;

// Writes all of the bytes to the pipe; false when the reading side is gone.
bool sendAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// In the child process: reads the sheet and sends it. Never returns.
[[noreturn]] void sendSheet(const QByteArray &path, int fd)
{
    std::string out;
    const auto number = [&out](qint32 value) {
        out.append(reinterpret_cast<const char *>(&value), sizeof value);
    };
    const auto flush = [&out, fd](size_t atLeast) {
        if (out.size() >= atLeast) {
            if (!sendAll(fd, out.data(), out.size()))
                ::_exit(1);
            out.clear();
        }
    };
    const auto finish = [&](qint32 status, qint32 rows, qint32 columns) {
        number(status);
        number(rows);
        number(columns);
        flush(0);
    };
    const void *handle = nullptr;
    const int opened = freexl_open(path.constData(), &handle);
    if (opened != FREEXL_OK) {
        finish(opened, 0, 0);
        ::_exit(0);
    }
    unsigned int value = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &value) == FREEXL_OK &&
        value == FREEXL_BIFF_OBFUSCATED) {
        finish(kEncrypted, 0, 0);
        ::_exit(0);
    }
    unsigned int sheets = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
        finish(kNoSheet, 0, 0);
        ::_exit(0);
    }
    unsigned int rowsInSheet = 0;
    unsigned short columnsInSheet = 0;
    int rc = freexl_select_active_worksheet(handle, 0);
    if (rc == FREEXL_OK)
        rc = freexl_worksheet_dimensions(handle, &rowsInSheet, &columnsInSheet);
    if (rc != FREEXL_OK) {
        finish(rc, 0, 0);
        ::_exit(0);
    }
    // The used range: up to the last row and column with a value.
    qint32 rows = 0;
    qint32 columns = 0;
    for (unsigned int r = 0; r < rowsInSheet && r < 1048576; ++r) {
        for (unsigned short c = 0; c < columnsInSheet; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK || isEmpty(cell))
                continue;
            rows = qint32(r) + 1;
            columns = qMax(columns, qint32(c) + 1);
        }
    }
    finish(FREEXL_OK, rows, columns);
    for (qint32 r = 0; r < rows; ++r) {
        for (qint32 c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            QByteArray text;
            if (freexl_get_cell_value(handle, unsigned(r), ushort(c), &cell) == FREEXL_OK)
                text = textOf(cell).toUtf8().left(int(kMaxTextBytes));
            number(qint32(text.size()));
            out.append(text.constData(), size_t(text.size()));
            flush(64 * 1024);
        }
    }
    flush(0);
    ::_exit(0);
}

} // namespace

XlsSheetSource::~XlsSheetSource()
{
    stop();
}

void XlsSheetSource::stop()
{
    if (m_pipe >= 0)
        ::close(m_pipe);
    m_pipe = -1;
    if (m_child > 0) {
        ::kill(m_child, SIGKILL);
        while (::waitpid(m_child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    m_child = -1;
}

bool XlsSheetSource::receive(void *data, size_t size)
{
    auto *p = static_cast<char *>(data);
    while (size > 0) {
        pollfd ready{m_pipe, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kTimeoutMs);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return false;
        const ssize_t n = ::read(m_pipe, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool XlsSheetSource::open(const QString &path, QString *error)
{
    m_path = path;
    // FreeXL reads the whole workbook into memory.
    if (QFileInfo(path).size() > kMaxFileBytes) {
        *error = XlsxReader::damagedMessage(
            path, QStringLiteral("Excel 97-2003 文件超过了 %1 MB").arg(kMaxFileBytes >> 20));
        return false;
    }
    const QByteArray file = QFile::encodeName(path);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        *error = QStringLiteral("不能读取文件：%1（%2）")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_child = ::fork();
    if (m_child == 0) {
        ::close(fds[0]);
        sendSheet(file, fds[1]);
    }
    ::close(fds[1]);
    m_pipe = fds[0];
    if (m_child < 0) {
        *error = QStringLiteral("不能读取文件：%1（%2）")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        stop();
        return false;
    }
    qint32 header[3] = {0, 0, 0};
    if (!receive(header, sizeof header)) {
        stop();
        *error = XlsxReader::damagedMessage(path, QStringLiteral("读取时出错"));
        return false;
    }
    if (header[0] == kEncrypted) {
        stop();
        *error = QStringLiteral("文件已加密，不能读取：%1（请先在电子表格程序中去掉打开密码，"
                                "另存后再导入）")
                     .arg(path);
        return false;
    }
    if (header[0] == kNoSheet) {
        stop();
        *error = QStringLiteral("工作簿中没有工作表：") + path;
        return false;
    }
    if (header[0] != FREEXL_OK || header[1] < 0 || header[1] > 1048576 || header[2] < 0 ||
        header[2] > 65536) {
        stop();
        *error = XlsxReader::damagedMessage(path, reasonOf(header[0]));
        return false;
    }
    m_rows = header[1];
    m_columns = header[2];
    return true;
}

bool XlsSheetSource::readRow(int row, QStringList *cells, QString *error)
{
    cells->clear();
    cells->reserve(m_columns);
    QByteArray text;
    while (m_nextRow <= row) {
        cells->clear();
        for (int c = 0; c < m_columns; ++c) {
            quint32 size = 0;
            bool ok = receive(&size, sizeof size) && size <= kMaxTextBytes;
            if (ok) {
                text.resize(int(size));
                ok = receive(text.data(), size);
            }
            if (!ok) {
                stop();
                *error = XlsxReader::damagedMessage(
                    m_path, QStringLiteral("读取第 %1 行时出错").arg(m_nextRow + 1));
                return false;
            }
            cells->append(QString::fromUtf8(text));
        }
        ++m_nextRow;
    }
    return true;
}
