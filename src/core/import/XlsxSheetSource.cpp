#include "XlsxSheetSource.h"

#include "SheetData.h"
#include "SheetReader.h"
#include "XlsxSheetScanner.h"
#include "XlsxWorkbook.h"
#include "text/XlsxEscape.h"

#include <QDateTime>
#include <algorithm>
#include <quazip/quazip.h>
#include <unordered_map>

namespace {

// A number as the file writes it ("12.50", "1.5E-3"), as text by the cell text rules. Plain
// decimals of up to 15 digits are done on the digits; others through the double.
QString numberFromDigits(const std::string &raw)
{
    const char *p = raw.data();
    const char *end = p + raw.size();
    const bool negative = p < end && *p == '-';
    const char *digits = negative ? p + 1 : p;
    const char *q = digits;
    while (q < end && *q >= '0' && *q <= '9')
        ++q;
    const char *integerEnd = q;
    const char *fractionEnd = q;
    int leadingZeros = 0;
    if (q < end && *q == '.') {
        ++q;
        const char *fraction = q;
        while (q < end && *q >= '0' && *q <= '9')
            ++q;
        fractionEnd = q;
        while (fraction + leadingZeros < fractionEnd && fraction[leadingZeros] == '0')
            ++leadingZeros;
    }
    const size_t integerDigits = size_t(integerEnd - digits);
    const bool plain = q == end && integerDigits > 0 && (integerDigits == 1 || digits[0] != '0') &&
                       integerDigits + size_t(fractionEnd - integerEnd) <= 15 &&
                       (digits[0] != '0' || leadingZeros <= 3);
    if (plain) {
        // Trailing zeros of the fraction go, and the point with them when nothing is left.
        const char *last = fractionEnd;
        if (fractionEnd > integerEnd) {
            while (last > integerEnd + 1 && last[-1] == '0')
                --last;
            if (last == integerEnd + 1)
                last = integerEnd;
        }
        QString text = QString::fromLatin1(p, qsizetype(last - p));
        if (negative && text == QLatin1String("-0"))
            text = QStringLiteral("0");
        return text;
    }
    bool ok = false;
    const double value =
        QByteArray::fromRawData(raw.data(), qsizetype(raw.size())).trimmed().toDouble(&ok);
    if (!ok)
        return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    return SheetReader::numberText(value);
}

} // namespace

struct XlsxSheetSource::Impl {
    XlsxReader::Limits limits;
    QString path;
    std::unique_ptr<QuaZip> zip;
    XlsxReader::WorkbookInfo workbook;
    std::unique_ptr<XlsxSheetScanner> scanner;
    std::vector<int> wanted; // the shared strings the sheet uses, ascending
    std::vector<QString> texts;
    int rows = 0;
    int columns = 0;
    int scannedRow = -1;
    bool haveRow = false;
    bool scanEnded = false;
    std::unique_ptr<SheetData> whole; // a sheet out of order

    QString damaged(const QString &reason) const
    {
        return XlsxReader::damagedMessage(path, reason);
    }

    bool openScanner(QString *error)
    {
        scanner =
            std::make_unique<XlsxSheetScanner>(zip.get(), workbook.sheetPart, limits.partBytes);
        QString reason;
        if (scanner->open(&reason))
            return true;
        *error = reason.isEmpty()
                     ? QStringLiteral("文件中找不到工作表“%1”：%2").arg(workbook.sheetName, path)
                     : damaged(reason);
        return false;
    }

    // The first pass. False with inOrder false when the sheet is to be read whole.
    bool measure(bool *inOrder, QString *error)
    {
        *inOrder = true;
        // Per shared string: the last row and column where a cell uses it, since a string
        // that turns out empty leaves its cells empty.
        std::unordered_map<int, std::pair<int, int>> used;
        qint64 values = 0;
        int lastRow = -1;
        int row = 0;
        while (scanner->nextRow(&row)) {
            if (row <= lastRow || scanner->strayCell()) {
                *inOrder = false;
                return false;
            }
            lastRow = row;
            int lastColumn = -1;
            for (int i = 0; i < scanner->cellCount(); ++i) {
                const XlsxSheetScanner::Cell &cell = scanner->cell(i);
                if (cell.row != row || cell.column <= lastColumn) {
                    *inOrder = false;
                    return false;
                }
                lastColumn = cell.column;
                if (cell.value.empty())
                    continue;
                if (++values > limits.cells) {
                    *error = damaged(
                        QStringLiteral("工作表中有值的单元格超过了 %1 个").arg(limits.cells));
                    return false;
                }
                if (cell.type == 's') {
                    bool ok = false;
                    const int index =
                        QByteArray::fromRawData(cell.value.data(), qsizetype(cell.value.size()))
                            .trimmed()
                            .toInt(&ok);
                    if (!ok || index < 0)
                        continue;
                    auto &place = used[index];
                    place.first = row;
                    place.second = qMax(place.second, cell.column);
                } else {
                    rows = row + 1;
                    columns = qMax(columns, cell.column + 1);
                }
            }
        }
        QString reason;
        if (scanner->failed() || !scanner->readToEnd() || !scanner->finish(&reason)) {
            scanner->finish(&reason);
            *error = damaged(reason);
            return false;
        }
        wanted.reserve(used.size());
        for (const auto &entry : used)
            wanted.push_back(entry.first);
        std::sort(wanted.begin(), wanted.end());
        qint64 characters = 0;
        if (!XlsxReader::readSharedStrings(zip.get(), workbook.sharedStringsPart, wanted, &texts,
                                           limits, &characters, &reason)) {
            *error = damaged(reason);
            return false;
        }
        for (size_t i = 0; i < wanted.size(); ++i) {
            if (texts[i].isEmpty())
                continue;
            const auto &place = used[wanted[i]];
            rows = qMax(rows, place.first + 1);
            columns = qMax(columns, place.second + 1);
        }
        return true;
    }

    QString sharedString(const std::string &value) const
    {
        bool ok = false;
        const int index =
            QByteArray::fromRawData(value.data(), qsizetype(value.size())).trimmed().toInt(&ok);
        const auto it = std::lower_bound(wanted.begin(), wanted.end(), index);
        if (!ok || it == wanted.end() || *it != index)
            return QString();
        return texts[size_t(it - wanted.begin())];
    }

    QString text(const XlsxSheetScanner::Cell &cell) const
    {
        if (cell.value.empty())
            return QString();
        switch (cell.type) {
        case 's':
            return sharedString(cell.value);
        case 'i':
        case 't':
        case 'e':
            return XlsxEscape::decode(
                QString::fromUtf8(cell.value.data(), qsizetype(cell.value.size())));
        case 'b':
            return SheetReader::cellText(
                QByteArray::fromRawData(cell.value.data(), qsizetype(cell.value.size()))
                    .trimmed() == "1");
        case 'd': {
            const QString raw = QString::fromUtf8(cell.value.data(), qsizetype(cell.value.size()));
            const QDateTime moment = QDateTime::fromString(raw.trimmed(), Qt::ISODate);
            return moment.isValid() ? SheetReader::dateText(moment) : raw;
        }
        default:
            break;
        }
        const bool isDate =
            cell.style < workbook.dateStyles.size() && workbook.dateStyles[cell.style];
        if (isDate) {
            bool ok = false;
            const double serial =
                QByteArray::fromRawData(cell.value.data(), qsizetype(cell.value.size()))
                    .trimmed()
                    .toDouble(&ok);
            QDate date;
            QTime time;
            if (ok && XlsxReader::dateOfSerial(serial, workbook.date1904, &date, &time)) {
                // Less than a day is a time of day.
                if (serial < 1)
                    return time.toString(QStringLiteral("hh:mm:ss"));
                return SheetReader::dateText(date, time);
            }
        }
        return numberFromDigits(cell.value);
    }
};

XlsxSheetSource::XlsxSheetSource(const XlsxReader::Limits &limits)
    : d(std::make_unique<Impl>())
{
    d->limits = limits;
}

XlsxSheetSource::~XlsxSheetSource() = default;

bool XlsxSheetSource::open(const QString &path, QString *error)
{
    d->path = path;
    d->zip = std::make_unique<QuaZip>(path);
    if (!XlsxReader::openWorkbook(d->zip.get(), path, d->limits, &d->workbook, error))
        return false;
    if (!d->openScanner(error))
        return false;
    bool inOrder = true;
    if (!d->measure(&inOrder, error)) {
        if (inOrder)
            return false;
        d->scanner.reset();
        d->whole = std::make_unique<SheetData>();
        if (!XlsxReader::read(path, d->whole.get(), error, d->limits))
            return false;
        d->rows = d->whole->rowCount();
        d->columns = d->whole->columnCount;
        return true;
    }
    return d->openScanner(error);
}

int XlsxSheetSource::rowCount() const
{
    return d->rows;
}

int XlsxSheetSource::columnCount() const
{
    return d->columns;
}

bool XlsxSheetSource::readRow(int row, QStringList *cells, QString *error)
{
    cells->clear();
    cells->reserve(d->columns);
    for (int c = 0; c < d->columns; ++c)
        cells->append(QString());
    if (d->whole) {
        const QVariantList values = d->whole->row(row);
        for (int c = 0; c < values.size() && c < d->columns; ++c)
            (*cells)[c] = SheetReader::cellText(values[c]);
        return true;
    }
    while (!d->scanEnded && (!d->haveRow || d->scannedRow < row)) {
        if (!d->scanner->nextRow(&d->scannedRow)) {
            d->scanEnded = true;
            d->haveRow = false;
            QString reason;
            if (d->scanner->failed()) {
                d->scanner->finish(&reason);
                *error = d->damaged(reason);
                return false;
            }
            break;
        }
        d->haveRow = true;
    }
    if (!d->haveRow || d->scannedRow != row)
        return true;
    for (int i = 0; i < d->scanner->cellCount(); ++i) {
        const XlsxSheetScanner::Cell &cell = d->scanner->cell(i);
        if (cell.row == row && cell.column < d->columns)
            (*cells)[cell.column] = d->text(cell);
    }
    return true;
}
