#include "XlsSheetSource.h"

#include "SheetReader.h"
#include "XlsxWorkbook.h"

#include <QFile>
#include <QFileInfo>
#include <freexl.h>

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

} // namespace

XlsSheetSource::~XlsSheetSource()
{
    if (m_handle)
        freexl_close(m_handle);
}

bool XlsSheetSource::open(const QString &path, QString *error)
{
    // FreeXL reads the whole workbook into memory.
    if (QFileInfo(path).size() > kMaxFileBytes) {
        *error = XlsxReader::damagedMessage(
            path, QStringLiteral("Excel 97-2003 文件超过了 %1 MB").arg(kMaxFileBytes >> 20));
        return false;
    }
    const int opened = freexl_open(QFile::encodeName(path).constData(), &m_handle);
    if (opened != FREEXL_OK) {
        // FreeXL has released what it took.
        m_handle = nullptr;
        *error = XlsxReader::damagedMessage(path, reasonOf(opened));
        return false;
    }
    unsigned int value = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &value) == FREEXL_OK &&
        value == FREEXL_BIFF_OBFUSCATED) {
        *error = QStringLiteral("文件已加密，不能读取：%1（请先在电子表格程序中去掉打开密码，"
                                "另存后再导入）")
                     .arg(path);
        return false;
    }
    unsigned int sheets = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
        *error = QStringLiteral("工作簿中没有工作表：") + path;
        return false;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    int rc = freexl_select_active_worksheet(m_handle, 0);
    if (rc == FREEXL_OK)
        rc = freexl_worksheet_dimensions(m_handle, &rows, &columns);
    if (rc != FREEXL_OK) {
        *error = XlsxReader::damagedMessage(path, reasonOf(rc));
        return false;
    }
    // The used range: up to the last row and column with a value.
    for (unsigned int r = 0; r < rows && r < 1048576; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(m_handle, r, c, &cell) != FREEXL_OK || isEmpty(cell))
                continue;
            m_rows = int(r) + 1;
            m_columns = qMax(m_columns, int(c) + 1);
        }
    }
    return true;
}

bool XlsSheetSource::readRow(int row, QStringList *cells, QString *)
{
    cells->clear();
    cells->reserve(m_columns);
    for (int c = 0; c < m_columns; ++c) {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(m_handle, unsigned(row), ushort(c), &cell) != FREEXL_OK)
            cells->append(QString());
        else
            cells->append(textOf(cell));
    }
    return true;
}
