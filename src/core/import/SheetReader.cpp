#include "SheetReader.h"

#include "CsvSheetSource.h"
#include "RowPrefetch.h"
#include "SheetSource.h"
#include "XlsSheetSource.h"
#include "XlsxSheetSource.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace {

// What a file is by its first bytes, whatever its name says.
enum class Kind { Zip, Ole2, Text, Unknown };

// Where an encrypted Office file keeps the workbook: an OLE2 container holding a stream of
// this name (UTF-16 in the container's directory).
bool holdsEncryptedPackage(QFile &file)
{
    static const QByteArray name =
        QByteArray::fromRawData("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    file.seek(0);
    QByteArray tail;
    while (!file.atEnd()) {
        QByteArray block = file.read(1 << 20);
        if (block.isEmpty())
            break;
        tail += block;
        if (tail.contains(name))
            return true;
        tail = tail.right(name.size());
    }
    return false;
}

Kind kindOf(const QByteArray &head)
{
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return Kind::Zip;
    if (head.startsWith(QByteArray::fromRawData("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)))
        return Kind::Ole2;
    // Text has no NUL bytes, nor bytes that are no characters in any text encoding here.
    for (const char c : head) {
        const uchar u = uchar(c);
        if (u == 0 || (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != 0x1A))
            return Kind::Unknown;
    }
    return Kind::Text;
}

QString unknownFormat(const QString &path)
{
    return QStringLiteral(
               "不能识别文件的格式：%1（应是 Excel 文件 .xls、.xlsx 或逗号分隔的文本文件 "
               ".csv）")
        .arg(path);
}

QString fail(const QString &message, QString *error)
{
    if (error)
        *error = message;
    return message;
}

// Sheets with more rows than this are read ahead (RowPrefetch); smaller ones are read at once.
constexpr int kPrefetchRows = 500;

} // namespace

struct SheetReader::Impl {
    std::unique_ptr<SheetSource> source;
    // Reads the source ahead once next() is asked for rows; declared after the source, so it
    // stops before the source goes.
    std::unique_ptr<RowPrefetch> prefetch;
    QStringList headings;
    int rows = 0;
    int columns = 0;
    int nextRow = 1; // 0-based row that next() gives
    QString error;
};

SheetReader::SheetReader()
    : d(std::make_unique<Impl>())
{}

SheetReader::~SheetReader() = default;

bool SheetReader::open(const QString &path, QString *error)
{
    d = std::make_unique<Impl>();
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists() || !info.isFile()) {
        d->error = fail(QStringLiteral("文件不存在：") + path, error);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        d->error =
            fail(QStringLiteral("不能读取文件：%1（%2）").arg(path, file.errorString()), error);
        return false;
    }
    const QByteArray head = file.read(4096);
    const QString suffix = info.suffix().toLower();
    const bool excelName = suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx");
    switch (kindOf(head)) {
    case Kind::Zip:
        d->source = std::make_unique<XlsxSheetSource>();
        break;
    case Kind::Ole2:
        if (holdsEncryptedPackage(file)) {
            d->error = fail(QStringLiteral("文件已加密，不能读取：%1（请先在电子表格程序中"
                                           "去掉打开密码，另存后再导入）")
                                .arg(path),
                            error);
            return false;
        }
        d->source = std::make_unique<XlsSheetSource>();
        break;
    case Kind::Text: {
        // Text under an Excel name is read as comma- or tab-separated text, as some programs
        // write it; a web page or XML under that name is refused.
        const QByteArray start =
            head.startsWith("\xEF\xBB\xBF") ? head.mid(3).trimmed() : head.trimmed();
        if (head.isEmpty() || (excelName && start.startsWith('<'))) {
            d->error = fail(head.isEmpty()
                                ? QStringLiteral("文件是空的：") + path
                                : QStringLiteral("文件不是 Excel 文件，或已损坏：%1（文件名是 .%2，"
                                                 "内容却是网页或 XML 文本）")
                                      .arg(path, suffix),
                            error);
            return false;
        }
        // Other text files are no sheet: a script, a report, a MARC file picked by mistake.
        const bool textName = suffix == QLatin1String("csv") || suffix == QLatin1String("txt") ||
                              suffix == QLatin1String("tsv");
        if (!textName && !excelName) {
            d->error = fail(unknownFormat(path), error);
            return false;
        }
        d->source = std::make_unique<CsvSheetSource>();
        break;
    }
    case Kind::Unknown:
        d->error = fail(unknownFormat(path), error);
        return false;
    }
    file.close();
    if (!d->source->open(path, &d->error)) {
        d->source.reset();
        fail(d->error, error);
        return false;
    }
    if (d->source->rowCount() > 0 && !d->source->readRow(0, &d->headings, &d->error)) {
        d->source.reset();
        fail(d->error, error);
        return false;
    }
    d->rows = d->source->rowCount();
    d->columns = d->source->columnCount();
    return true;
}

int SheetReader::rowCount() const
{
    return d->rows;
}

int SheetReader::columnCount() const
{
    return d->columns;
}

QStringList SheetReader::headings() const
{
    return d->headings;
}

bool SheetReader::next(int *row, QStringList *cells)
{
    if (!d->source || d->nextRow >= rowCount())
        return false;
    // A sheet of more than a few hundred rows is read ahead in a thread of its own.
    if (!d->prefetch && d->source->readsInAnyThread() && rowCount() - d->nextRow > kPrefetchRows)
        d->prefetch = std::make_unique<RowPrefetch>(*d->source, d->nextRow, rowCount());
    int index = d->nextRow;
    const bool read = d->prefetch ? d->prefetch->next(&index, cells, &d->error)
                                  : d->source->readRow(index, cells, &d->error);
    if (!read) {
        d->prefetch.reset();
        d->source.reset();
        cells->clear();
        return false;
    }
    *row = index + 1;
    d->nextRow = index + 1;
    return true;
}

QString SheetReader::error() const
{
    return d->error;
}

QString SheetReader::numberText(double value)
{
    if (std::floor(value) == value && std::fabs(value) < 9007199254740992.0)
        return QString::number(static_cast<qlonglong>(value));
    return QString::number(value, 'g', 15);
}

QString SheetReader::dateText(const QDateTime &moment)
{
    return dateText(moment.date(), moment.time());
}

QString SheetReader::dateText(const QDate &date, const QTime &time)
{
    char text[32];
    const int year = qBound(0, date.year(), 9999);
    int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, date.month(), date.day());
    if (time.isValid() && time != QTime(0, 0))
        n += std::snprintf(text + n, sizeof text - size_t(n), " %02d:%02d:%02d", time.hour(),
                           time.minute(), time.second());
    return QString::fromLatin1(text, n);
}

QString SheetReader::cellText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
        return numberText(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::QDate:
        return dateText(value.toDate(), QTime(0, 0));
    case QMetaType::QDateTime:
        return dateText(value.toDateTime());
    default:
        return value.toString();
    }
}
