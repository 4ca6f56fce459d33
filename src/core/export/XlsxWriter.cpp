#include "XlsxWriter.h"

#include "XlsxLibrary.h"
#include "db/Statement.h"
#include "text/XlsxEscape.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <cerrno>
#include <cmath>

namespace {

// Widths are given in characters of the default font; a hanzi takes about two.
constexpr int kMinWidth = 6;
constexpr int kMaxWidth = 60;
// A cell holds at most this many characters, counted as stored (with escapes).
constexpr int kMaxTextLength = 32767;

const QDate kEpoch(1899, 12, 30);

// Less free space than this where the file is written makes a failure "disk full".
constexpr qint64 kLowSpace = 1024 * 1024;

int shownWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

// Text that a spreadsheet would read as a number. Leading zeros ("007") and long digit
// runs (card numbers) stay text so that nothing is lost.
bool looksNumeric(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^-?(0|[1-9][0-9]{0,14})(\\.[0-9]{1,10})?$"));
    return re.match(text).hasMatch();
}

// Reads "yyyy-MM-dd" and "yyyy-MM-dd HH:mm:ss" quickly: an export may hold millions of them.
bool parseIsoMoment(const QString &text, QDate *date, int *seconds)
{
    const int n = text.size();
    if (n != 10 && n != 19)
        return false;
    auto digits = [&text](int from, int count, int *out) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return false;
            v = v * 10 + (c - u'0');
        }
        *out = v;
        return true;
    };
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    if (text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-') || !digits(0, 4, &y) ||
        !digits(5, 2, &mo) || !digits(8, 2, &d))
        return false;
    if (n == 19 && (text[10] != QLatin1Char(' ') || text[13] != QLatin1Char(':') ||
                    text[16] != QLatin1Char(':') || !digits(11, 2, &h) || !digits(14, 2, &mi) ||
                    !digits(17, 2, &se) || h > 23 || mi > 59 || se > 59))
        return false;
    *date = QDate(y, mo, d);
    *seconds = h * 3600 + mi * 60 + se;
    return date->isValid();
}

bool looksLikeDate(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}( [0-9]{2}:[0-9]{2}(:[0-9]{2})?)?$"));
    return re.match(text).hasMatch();
}

} // namespace

XlsxWriter::XlsxWriter() = default;

XlsxWriter::~XlsxWriter()
{
    close();
}

bool XlsxWriter::open(const QString &path, const QVector<Kind> &kinds)
{
    close();
    m_error.clear();
    m_row = 0;
    m_kinds = kinds;
    m_widths.clear();
    // Row data waits in temporary files beside the result, not in /tmp of another disk.
    m_lib = XlsxLibrary::functions(&m_error);
    if (!m_lib)
        return false;
    m_folder = QFileInfo(path).absolutePath();
    m_tmpDir = QFile::encodeName(m_folder);
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tmpDir.data();
    options.use_zip64 = LXW_FALSE;
    const QByteArray file = QFile::encodeName(path);
    errno = 0;
    m_workbook = m_lib->workbook_new_opt(file.constData(), &options);
    if (!m_workbook) {
        m_error = withCause(QStringLiteral("不能创建文件：") + path, errno);
        return false;
    }
    errno = 0;
    m_sheet = m_lib->workbook_add_worksheet(m_workbook, nullptr);
    const int sheetErrno = errno;
    m_dateFormat = m_lib->workbook_add_format(m_workbook);
    m_lib->format_set_num_format(m_dateFormat, "yyyy-mm-dd");
    m_dateTimeFormat = m_lib->workbook_add_format(m_workbook);
    m_lib->format_set_num_format(m_dateTimeFormat, "yyyy-mm-dd hh:mm:ss");
    if (!m_sheet) {
        m_error = withCause(QStringLiteral("不能创建工作表"), sheetErrno);
        close();
        return false;
    }
    return true;
}

bool XlsxWriter::fail(int code, int systemError)
{
    m_error =
        withCause(QStringLiteral("写入 Excel 文件失败：%1")
                      .arg(QString::fromUtf8(m_lib->lxw_strerror(static_cast<lxw_error>(code)))),
                  systemError);
    return false;
}

QString XlsxWriter::withCause(const QString &message, int systemError) const
{
    QString text = message;
    if (systemError != 0)
        text += QStringLiteral("（") + qt_error_string(systemError) + QStringLiteral("）");
    if (m_folder.isEmpty())
        return text;
    // The library names the step that failed; the folder shows why it failed.
    const QFileInfo folder(m_folder);
    const QString shown = QDir::toNativeSeparators(m_folder);
    if (!folder.isDir())
        return text + QStringLiteral("\n文件夹 %1 不存在").arg(shown);
    const QStorageInfo disk(m_folder);
    if (disk.isValid() && disk.isReadOnly())
        return text + QStringLiteral("\n文件夹 %1 所在的磁盘是只读的").arg(shown);
    if (!folder.isWritable())
        return text + QStringLiteral("\n文件夹 %1 不可写").arg(shown);
    if (disk.isValid() && disk.bytesAvailable() < kLowSpace)
        return text + QStringLiteral("\n磁盘空间不足：文件夹 %1 所在的磁盘只剩 %2 KB")
                          .arg(shown)
                          .arg(disk.bytesAvailable() / 1024);
    return text;
}

void XlsxWriter::widen(int column, int width)
{
    if (column >= m_widths.size())
        m_widths.resize(column + 1, 0);
    if (width > m_widths[column])
        m_widths[column] = width;
}

bool XlsxWriter::addRow(const QVariantList &values)
{
    if (!m_sheet)
        return false;
    if (m_row >= kMaxRows) {
        m_error = QStringLiteral("超过了 Excel 工作表的最大行数 %1").arg(kMaxRows);
        return false;
    }
    for (int c = 0; c < values.size(); ++c) {
        if (!writeCell(c, values[c]))
            return false;
    }
    ++m_row;
    return true;
}

bool XlsxWriter::addTextRow(const QStringList &texts)
{
    QVariantList values;
    values.reserve(texts.size());
    for (const QString &t : texts)
        values.append(t);
    return addRow(values);
}

bool XlsxWriter::addHeaderRow(const QStringList &titles)
{
    if (!m_sheet)
        return false;
    for (int c = 0; c < titles.size(); ++c) {
        if (!writeText(c, titles[c], false))
            return false;
    }
    ++m_row;
    return true;
}

bool XlsxWriter::writeCell(int column, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return true;
    const Kind kind = column < m_kinds.size() ? m_kinds[column] : Kind::Auto;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        if (kind == Kind::Text)
            return writeText(column, value.toString(), false);
        return writeNumber(column, value.toDouble(), value.toString().size());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            return writeText(column, value.toString());
        if (kind == Kind::Text)
            return writeText(column, value.toString(), false);
        return writeNumber(column, d, QString::number(d, 'g', 12).size());
    }
    case QMetaType::Bool:
        return writeNumber(column, value.toBool() ? 1 : 0, 1);
    case QMetaType::QDate:
        return writeMoment(column, value.toDate(), 0);
    case QMetaType::QDateTime:
        return writeMoment(column, value.toDateTime());
    case QMetaType::QByteArray:
        // Pictures and other binary data have no cell form.
        return true;
    default:
        break;
    }
    const QString text = value.toString();
    if (kind == Kind::DateTime || kind == Kind::Auto) {
        QDate date;
        int seconds = 0;
        if (parseIsoMoment(text, &date, &seconds))
            return writeMoment(column, date, seconds);
    }
    const QString trimmed = text.trimmed();
    if (kind == Kind::DateTime || (kind == Kind::Auto && looksLikeDate(trimmed))) {
        const QDateTime moment = dateTimeFromSql(trimmed);
        if (moment.isValid())
            return writeMoment(column, moment);
    }
    if (kind == Kind::Number) {
        bool ok = false;
        const double d = trimmed.toDouble(&ok);
        if (ok && std::isfinite(d))
            return writeNumber(column, d, trimmed.size());
    }
    return writeText(column, text);
}

bool XlsxWriter::writeText(int column, const QString &text, bool convert)
{
    if (text.isEmpty())
        return true;
    const Kind kind = column < m_kinds.size() ? m_kinds[column] : Kind::Auto;
    if (convert && kind != Kind::Text && looksNumeric(text))
        return writeNumber(column, text.toDouble(), text.size());
    widen(column, shownWidth(text.left(kMaxWidth * 2)));
    // The library takes a NUL-terminated text and passes some characters XML cannot hold
    // as they are: escaped here, every character reaches the cell, a NUL included.
    const QByteArray utf8 = XlsxEscape::encode(text, kMaxTextLength).toUtf8();
    const lxw_error e =
        m_lib->worksheet_write_string(m_sheet, static_cast<lxw_row_t>(m_row),
                                      static_cast<lxw_col_t>(column), utf8.constData(), nullptr);
    return e == LXW_NO_ERROR || fail(e);
}

bool XlsxWriter::writeNumber(int column, double value, int width)
{
    widen(column, width);
    const lxw_error e = m_lib->worksheet_write_number(
        m_sheet, static_cast<lxw_row_t>(m_row), static_cast<lxw_col_t>(column), value, nullptr);
    return e == LXW_NO_ERROR || fail(e);
}

bool XlsxWriter::writeMoment(int column, const QDateTime &moment)
{
    if (!moment.isValid())
        return true;
    return writeMoment(column, moment.date(), moment.time().msecsSinceStartOfDay() / 1000);
}

bool XlsxWriter::writeMoment(int column, const QDate &date, int seconds)
{
    // Spreadsheet dates count days from 1899-12-30; the time is the fraction of the day.
    const qint64 days = date.toJulianDay() - kEpoch.toJulianDay();
    // Before March 1900 the spreadsheet calendar counts a day that never was; keep text.
    if (days < 61) {
        const QDateTime moment(date, QTime(0, 0).addSecs(seconds));
        return writeText(column,
                         moment.toString(seconds ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                                 : QStringLiteral("yyyy-MM-dd")),
                         false);
    }
    const double serial = static_cast<double>(days) + seconds / 86400.0;
    const bool withTime = seconds != 0;
    widen(column, withTime ? 19 : 10);
    const lxw_error e = m_lib->worksheet_write_number(m_sheet, static_cast<lxw_row_t>(m_row),
                                                      static_cast<lxw_col_t>(column), serial,
                                                      withTime ? m_dateTimeFormat : m_dateFormat);
    return e == LXW_NO_ERROR || fail(e);
}

bool XlsxWriter::close()
{
    if (!m_workbook)
        return m_error.isEmpty();
    for (int c = 0; c < m_widths.size(); ++c) {
        const int width = qBound(kMinWidth, m_widths[c] + 2, kMaxWidth);
        m_lib->worksheet_set_column(m_sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                    width, nullptr);
    }
    errno = 0;
    const lxw_error e = m_lib->workbook_close(m_workbook);
    const int closeErrno = errno;
    m_workbook = nullptr;
    m_sheet = nullptr;
    m_dateFormat = nullptr;
    m_dateTimeFormat = nullptr;
    if (e != LXW_NO_ERROR)
        return fail(e, closeErrno);
    return m_error.isEmpty();
}
