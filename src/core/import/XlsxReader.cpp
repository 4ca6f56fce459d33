#include "XlsxReader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <cmath>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

QVariant SheetData::cell(int row, int column) const
{
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].size())
        return QVariant();
    return rows[row][column];
}

namespace XlsxReader {

namespace {

struct Workbook {
    QStringList sheetNames;
    QStringList sheetRelIds;
    int activeTab = 0;
    bool date1904 = false;
};

bool readEntry(QuaZip &zip, const QString &name, QByteArray *out)
{
    if (!zip.setCurrentFile(name, QuaZip::csInsensitive))
        return false;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *out = file.readAll();
    file.close();
    return file.getZipError() == UNZ_OK;
}

Workbook parseWorkbook(const QByteArray &xml)
{
    Workbook wb;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        if (r.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = r.name();
        if (name == QLatin1String("sheet")) {
            const QXmlStreamAttributes a = r.attributes();
            wb.sheetNames << a.value(QLatin1String("name")).toString();
            QString id;
            for (const QXmlStreamAttribute &attr : a) {
                if (attr.name() == QLatin1String("id"))
                    id = attr.value().toString();
            }
            wb.sheetRelIds << id;
        } else if (name == QLatin1String("workbookView")) {
            wb.activeTab = r.attributes().value(QLatin1String("activeTab")).toInt();
        } else if (name == QLatin1String("workbookPr")) {
            const QStringView v = r.attributes().value(QLatin1String("date1904"));
            wb.date1904 = v == QLatin1String("1") || v == QLatin1String("true");
        }
    }
    return wb;
}

QHash<QString, QString> parseRelationships(const QByteArray &xml)
{
    QHash<QString, QString> targets;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        if (r.readNext() == QXmlStreamReader::StartElement &&
            r.name() == QLatin1String("Relationship"))
            targets.insert(r.attributes().value(QLatin1String("Id")).toString(),
                           r.attributes().value(QLatin1String("Target")).toString());
    }
    return targets;
}

QString resolveTarget(const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QStringList parts = QStringLiteral("xl").split(QLatin1Char('/'));
    for (const QString &p : target.split(QLatin1Char('/'))) {
        if (p == QLatin1String(".."))
            parts.removeLast();
        else if (!p.isEmpty() && p != QLatin1String("."))
            parts << p;
    }
    return parts.join(QLatin1Char('/'));
}

// The text of an <si> or <is> element: its <t> parts, without phonetic runs.
QString readRichText(QXmlStreamReader &r)
{
    QString text;
    const QString end = r.name().toString();
    int phonetic = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (r.name() == QLatin1String("t") && phonetic == 0)
                text += r.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (r.isEndElement()) {
            if (r.name() == QLatin1String("rPh"))
                --phonetic;
            else if (r.name() == end)
                break;
        }
    }
    return text;
}

QStringList parseSharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        if (r.readNext() == QXmlStreamReader::StartElement && r.name() == QLatin1String("si"))
            strings << readRichText(r);
    }
    return strings;
}

// Whether a number format shows a date or time: the built-in date formats, and format codes
// with date or time letters outside quoted text, escapes and [colour] brackets.
bool isDateFormat(int id, const QString &code)
{
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58))
        return true;
    if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return false;
    bool quoted = false;
    bool bracket = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != QLatin1Char('"');
            continue;
        }
        if (bracket) {
            // [h], [mm], [ss] are elapsed times; other brackets are colours and locales.
            if (c == QLatin1Char(']'))
                bracket = false;
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = true;
        else if (c == QLatin1Char('['))
            bracket = true;
        else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*'))
            ++i;
        else if (c == QLatin1Char(';'))
            break; // the first section decides
        else if (QStringLiteral("dmyhsDMYHS").contains(c))
            return true;
    }
    return false;
}

// Which cell styles (by index) show dates.
QVector<bool> parseDateStyles(const QByteArray &xml)
{
    QHash<int, QString> codes;
    QVector<bool> dates;
    QXmlStreamReader r(xml);
    bool inCellXfs = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("numFmt")) {
                codes.insert(r.attributes().value(QLatin1String("numFmtId")).toInt(),
                             r.attributes().value(QLatin1String("formatCode")).toString());
            } else if (r.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && r.name() == QLatin1String("xf")) {
                const int id = r.attributes().value(QLatin1String("numFmtId")).toInt();
                dates << isDateFormat(id, codes.value(id));
            }
        } else if (r.isEndElement() && r.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
    }
    return dates;
}

// "AB12" -> column 27 (0-based 27), row 11 (0-based). Returns false for a malformed name.
bool parseCellName(QStringView ref, int *row, int *column)
{
    int col = 0;
    int i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        col = col * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (col == 0 || !ok || r < 1)
        return false;
    *row = r - 1;
    *column = col - 1;
    return true;
}

QVariant numberValue(const QString &text, bool isDate, bool date1904)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok)
        return text;
    if (isDate) {
        const QDateTime moment = dateFromSerial(d, date1904);
        if (moment.isValid()) {
            if (moment.time() == QTime(0, 0))
                return moment.date();
            return moment;
        }
    }
    if (std::floor(d) == d && std::fabs(d) < 9007199254740992.0)
        return static_cast<qlonglong>(d);
    return d;
}

struct SheetParser {
    const QStringList &strings;
    const QVector<bool> &dateStyles;
    bool date1904;
    SheetData *sheet;
    int lastRow = -1;    // last row holding a value
    int lastColumn = -1; // last column holding a value

    void put(int row, int column, const QVariant &value)
    {
        if (!value.isValid() ||
            (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
            return;
        if (row >= sheet->rows.size())
            sheet->rows.resize(row + 1);
        QVariantList &cells = sheet->rows[row];
        while (cells.size() <= column)
            cells.append(QVariant());
        cells[column] = value;
        lastRow = qMax(lastRow, row);
        lastColumn = qMax(lastColumn, column);
    }

    void readCell(QXmlStreamReader &r, int row, int column)
    {
        const QXmlStreamAttributes a = r.attributes();
        const QString type = a.value(QLatin1String("t")).toString();
        const int style = a.value(QLatin1String("s")).toInt();
        QString raw;
        QString inlineText;
        bool hasInline = false;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement()) {
                if (r.name() == QLatin1String("v")) {
                    raw = r.readElementText();
                } else if (r.name() == QLatin1String("is")) {
                    inlineText = readRichText(r);
                    hasInline = true;
                } else {
                    r.skipCurrentElement();
                }
            } else if (r.isEndElement() && r.name() == QLatin1String("c")) {
                break;
            }
        }
        QVariant value;
        if (type == QLatin1String("inlineStr") || hasInline) {
            value = inlineText;
        } else if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = raw.toInt(&ok);
            if (ok && index >= 0 && index < strings.size())
                value = strings[index];
        } else if (type == QLatin1String("str") || type == QLatin1String("e")) {
            value = raw;
        } else if (type == QLatin1String("b")) {
            if (!raw.isEmpty())
                value = raw.trimmed() == QLatin1String("1");
        } else if (type == QLatin1String("d")) {
            QDateTime moment = QDateTime::fromString(raw.trimmed(), Qt::ISODate);
            if (moment.isValid())
                value = moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
            else
                value = raw;
        } else if (!raw.isEmpty()) {
            const bool isDate = style >= 0 && style < dateStyles.size() && dateStyles[style];
            value = numberValue(raw, isDate, date1904);
        }
        put(row, column, value);
    }

    bool parse(QIODevice *device, QString *error)
    {
        QXmlStreamReader r(device);
        int row = -1;
        int column = -1;
        while (!r.atEnd()) {
            r.readNext();
            if (!r.isStartElement())
                continue;
            if (r.name() == QLatin1String("row")) {
                const int rowNumber = r.attributes().value(QLatin1String("r")).toInt();
                row = rowNumber > 0 ? rowNumber - 1 : row + 1;
                column = -1;
            } else if (r.name() == QLatin1String("c")) {
                int cellRow = row;
                int cellColumn = column + 1;
                const QStringView ref = r.attributes().value(QLatin1String("r"));
                if (!ref.isEmpty() && !parseCellName(ref, &cellRow, &cellColumn)) {
                    cellRow = row;
                    cellColumn = column + 1;
                }
                row = qMax(row, cellRow);
                column = cellColumn;
                readCell(r, cellRow < 0 ? 0 : cellRow, cellColumn);
            }
        }
        if (r.hasError()) {
            *error = QStringLiteral("工作表内容有误：") + r.errorString();
            return false;
        }
        sheet->rows.resize(lastRow + 1);
        sheet->columnCount = lastColumn + 1;
        for (QVariantList &cells : sheet->rows) {
            while (cells.size() < sheet->columnCount)
                cells.append(QVariant());
        }
        return true;
    }
};

} // namespace

QDateTime dateFromSerial(double serial, bool date1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)
        return QDateTime();
    qint64 days = static_cast<qint64>(std::floor(serial));
    qint64 seconds = std::llround((serial - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    QDate date;
    if (date1904)
        date = QDate(1904, 1, 1).addDays(days);
    else if (days < 61)
        // Serial 60 is 1900-02-29, a day the 1900 system counts but the calendar has not.
        date = days < 60 ? QDate(1899, 12, 31).addDays(days) : QDate(1900, 2, 28);
    else
        date = QDate(1899, 12, 30).addDays(days);
    return QDateTime(date, QTime(0, 0).addSecs(static_cast<int>(seconds)));
}

bool read(const QString &path, SheetData *sheet, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    *sheet = SheetData();
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("文件不存在：") + path;
        return false;
    }
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip)) {
        *error = QStringLiteral("不能打开文件，它不是 Excel 文件(.xlsx)：") + path;
        return false;
    }
    QByteArray xml;
    if (!readEntry(zip, QStringLiteral("xl/workbook.xml"), &xml)) {
        *error = QStringLiteral("文件中没有工作簿，它不是 Excel 文件(.xlsx)：") + path;
        return false;
    }
    const Workbook wb = parseWorkbook(xml);
    if (wb.sheetNames.isEmpty()) {
        *error = QStringLiteral("工作簿中没有工作表：") + path;
        return false;
    }
    const int index = wb.activeTab >= 0 && wb.activeTab < wb.sheetNames.size() ? wb.activeTab : 0;
    QString sheetPath = QStringLiteral("xl/worksheets/sheet%1.xml").arg(index + 1);
    if (readEntry(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), &xml)) {
        const QString target = parseRelationships(xml).value(wb.sheetRelIds.value(index));
        if (!target.isEmpty())
            sheetPath = resolveTarget(target);
    }
    QStringList strings;
    if (readEntry(zip, QStringLiteral("xl/sharedStrings.xml"), &xml))
        strings = parseSharedStrings(xml);
    QVector<bool> dateStyles;
    if (readEntry(zip, QStringLiteral("xl/styles.xml"), &xml))
        dateStyles = parseDateStyles(xml);

    if (!zip.setCurrentFile(sheetPath, QuaZip::csInsensitive)) {
        *error = QStringLiteral("文件中找不到工作表“%1”：%2").arg(wb.sheetNames[index], path);
        return false;
    }
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("不能读取工作表“%1”：%2").arg(wb.sheetNames[index], path);
        return false;
    }
    sheet->name = wb.sheetNames[index];
    SheetParser parser{strings, dateStyles, wb.date1904, sheet};
    const bool ok = parser.parse(&file, error);
    file.close();
    if (!ok)
        *sheet = SheetData();
    return ok;
}

} // namespace XlsxReader
