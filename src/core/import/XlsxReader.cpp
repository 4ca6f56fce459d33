#include "XlsxReader.h"

#include "XlsxPart.h"
#include "XlsxWorkbook.h"
#include "text/XlsxEscape.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <quazip/quazip.h>
#include <vector>

namespace XlsxReader {

namespace {

// The longest text read at once: a cell's text, a value, a shared string (32 times what a
// spreadsheet cell holds).
constexpr int kMaxTextLength = 1 << 20;
// Number formats and cell styles a workbook may define (spreadsheet programs stop at 64,000).
constexpr int kMaxStyles = 1 << 20;
// Parts of the package: the unpacking library keeps a table of them and looks each one up
// through the whole list.
constexpr int kMaxParts = 100000;

// The sheet the workbook opens with, and its date system.
struct Workbook {
    int sheetCount = 0;
    QString sheetName;
    QString sheetRelationship;
    int sheetIndex = 0;
    bool date1904 = false;
};

QStringView attribute(const QXmlStreamReader &r, QLatin1String name)
{
    return r.attributes().value(name);
}

// The active tab where the workbook's view says, else the first sheet. The views come
// before the list of sheets, so the chosen sheet is known as the list passes.
void parseWorkbook(XlsxPart &part, Workbook *wb)
{
    QXmlStreamReader &r = part.xml();
    int activeTab = -1;
    while (!part.atEnd()) {
        if (part.next() != QXmlStreamReader::StartElement)
            continue;
        const auto name = r.name();
        if (name == QLatin1String("sheet")) {
            const int index = wb->sheetCount++;
            if (index != 0 && index != activeTab)
                continue;
            wb->sheetIndex = index;
            wb->sheetName = XlsxEscape::decode(attribute(r, QLatin1String("name")).toString());
            wb->sheetRelationship.clear();
            for (const QXmlStreamAttribute &a : r.attributes()) {
                if (a.name() == QLatin1String("id"))
                    wb->sheetRelationship = a.value().toString();
            }
        } else if (name == QLatin1String("workbookView") && activeTab < 0) {
            activeTab = qMax(0, attribute(r, QLatin1String("activeTab")).toInt());
        } else if (name == QLatin1String("workbookPr")) {
            const QStringView v = attribute(r, QLatin1String("date1904"));
            wb->date1904 = v == QLatin1String("1") || v == QLatin1String("true");
        }
    }
}

// A name from the file, shortened for a message.
QString shown(QStringView text)
{
    return text.size() > 20 ? text.left(20).toString() + QStringLiteral("…") : text.toString();
}

// A relationship's target as the name of a part: relative to the folder "xl" of the
// workbook, or from the root when it starts with "/". False for a target outside the package.
bool resolveTarget(const QString &target, QString *part)
{
    QStringList parts;
    if (!target.startsWith(QLatin1Char('/')))
        parts << QStringLiteral("xl");
    for (const QString &p : target.split(QLatin1Char('/'))) {
        if (p == QLatin1String("..")) {
            if (parts.isEmpty())
                return false;
            parts.removeLast();
        } else if (!p.isEmpty() && p != QLatin1String(".")) {
            parts << p;
        }
    }
    if (parts.isEmpty())
        return false;
    *part = parts.join(QLatin1Char('/'));
    return true;
}

// Where the workbook's relationships say its parts are. Unnamed parts keep the names
// spreadsheet programs give them.
struct Parts {
    QString sheet;
    QString sharedStrings = QStringLiteral("xl/sharedStrings.xml");
    QString styles = QStringLiteral("xl/styles.xml");
};

void parseRelationships(XlsxPart &part, const QString &sheetRelationship, Parts *parts)
{
    QXmlStreamReader &r = part.xml();
    while (!part.atEnd()) {
        if (part.next() != QXmlStreamReader::StartElement ||
            r.name() != QLatin1String("Relationship"))
            continue;
        const QStringView type = attribute(r, QLatin1String("Type"));
        QString *slot = nullptr;
        if (!sheetRelationship.isEmpty() && attribute(r, QLatin1String("Id")) == sheetRelationship)
            slot = &parts->sheet;
        else if (type.endsWith(QLatin1String("/sharedStrings")))
            slot = &parts->sharedStrings;
        else if (type.endsWith(QLatin1String("/styles")))
            slot = &parts->styles;
        if (!slot)
            continue;
        const QString target = attribute(r, QLatin1String("Target")).toString();
        if (attribute(r, QLatin1String("TargetMode")) == QLatin1String("External") ||
            !resolveTarget(target, slot)) {
            part.fail(QStringLiteral("工作簿指向文件之外的“%1”").arg(shown(target)));
            return;
        }
    }
}

// The text of an <si> or <is> element: its <t> parts, without phonetic runs.
bool readRichText(XlsxPart &part, QString *text)
{
    text->clear();
    QXmlStreamReader &r = part.xml();
    int depth = 1;
    while (depth > 0 && !part.atEnd()) {
        const QXmlStreamReader::TokenType token = part.next();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::StartElement) {
            if (r.name() == QLatin1String("r")) {
                ++depth;
            } else if (r.name() == QLatin1String("t")) {
                QString piece;
                if (!part.readText(&piece, kMaxTextLength))
                    return false;
                *text += XlsxEscape::decode(piece);
                if (text->size() > kMaxTextLength) {
                    part.fail(QStringLiteral("%1 中有一段文本超过 %2 个字符")
                                  .arg(part.name())
                                  .arg(kMaxTextLength));
                    return false;
                }
            } else {
                part.skipElement();
            }
        }
    }
    return !r.hasError();
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
void parseDateStyles(XlsxPart &part, QVector<bool> *dates)
{
    QHash<int, bool> dateFormats; // custom number formats: whether each shows a date
    QXmlStreamReader &r = part.xml();
    bool inCellXfs = false;
    while (!part.atEnd()) {
        const QXmlStreamReader::TokenType token = part.next();
        if (token == QXmlStreamReader::StartElement) {
            if (dateFormats.size() >= kMaxStyles || dates->size() >= kMaxStyles) {
                part.fail(QStringLiteral("样式超过了 %1 个").arg(kMaxStyles));
                return;
            }
            if (r.name() == QLatin1String("numFmt")) {
                const int id = attribute(r, QLatin1String("numFmtId")).toInt();
                dateFormats.insert(
                    id, isDateFormat(id, attribute(r, QLatin1String("formatCode")).toString()));
            } else if (r.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && r.name() == QLatin1String("xf")) {
                const int id = attribute(r, QLatin1String("numFmtId")).toInt();
                dates->append(dateFormats.contains(id) ? dateFormats.value(id)
                                                       : isDateFormat(id, QString()));
            }
        } else if (token == QXmlStreamReader::EndElement && r.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
    }
}

// A row number of the sheet, 1 to kMaxRows, as digits only.
bool parseRowNumber(QStringView text, int *row)
{
    if (text.isEmpty() || text.size() > 7)
        return false;
    int n = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        n = n * 10 + (c.unicode() - u'0');
    }
    if (n < 1 || n > kMaxRows)
        return false;
    *row = n;
    return true;
}

// "AB12" -> column 27, row 11 (both 0-based). Only the letters A to Z name columns, up to
// XFD, and rows go up to kMaxRows.
bool parseCellName(QStringView ref, int *row, int *column)
{
    int col = 0;
    int i = 0;
    for (; i < ref.size() && i < 3 && ref[i] >= u'A' && ref[i] <= u'Z'; ++i)
        col = col * 26 + (ref[i].unicode() - u'A' + 1);
    int r = 0;
    if (col == 0 || col > kMaxColumns || !parseRowNumber(ref.mid(i), &r))
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

// Reads a part the package may lack. False (with the reason) only when it is there but
// cannot be read.
template <typename Parse>
bool readOptionalPart(QuaZip *zip, const QString &name, const Limits &limits, QString *reason,
                      Parse parse)
{
    XlsxPart part(zip, name, limits.partBytes);
    if (!part.open(reason))
        return reason->isEmpty();
    parse(part);
    return part.finish(reason);
}

// Reads the cells of a sheet. Texts from the shared strings table are held as their index
// (an int, a type no value of a cell has) until the table has been read.
struct SheetParser {
    XlsxPart &part;
    const QVector<bool> &dateStyles;
    bool date1904;
    const Limits &limits;
    std::deque<SheetData::Cell> cells;
    std::vector<int> sharedStrings; // the indexes the cells use
    qint64 textCharacters = 0;

    void add(int row, int column, QVariant value)
    {
        if (!value.isValid())
            return;
        if (qint64(cells.size()) >= limits.cells) {
            part.fail(QStringLiteral("工作表中有值的单元格超过了 %1 个").arg(limits.cells));
            return;
        }
        cells.push_back({row, column, std::move(value)});
    }

    void addText(int row, int column, const QString &text)
    {
        if (text.isEmpty())
            return;
        textCharacters += text.size();
        if (textCharacters > limits.textCharacters) {
            part.fail(QStringLiteral("工作表中的文本超过了 %1 个字符").arg(limits.textCharacters));
            return;
        }
        add(row, column, text);
    }

    void readCell(int row, int column)
    {
        QXmlStreamReader &r = part.xml();
        const QString type = attribute(r, QLatin1String("t")).toString();
        const int style = attribute(r, QLatin1String("s")).toInt();
        QString raw;
        QString inlineText;
        bool hasInline = false;
        while (!part.atEnd()) {
            const QXmlStreamReader::TokenType token = part.next();
            if (token == QXmlStreamReader::StartElement) {
                if (r.name() == QLatin1String("v")) {
                    part.readText(&raw, kMaxTextLength);
                } else if (r.name() == QLatin1String("is")) {
                    readRichText(part, &inlineText);
                    hasInline = true;
                } else {
                    part.skipElement();
                }
            } else if (token == QXmlStreamReader::EndElement) {
                break;
            }
        }
        if (r.hasError())
            return;
        if (type == QLatin1String("inlineStr") || hasInline) {
            addText(row, column, inlineText);
        } else if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = raw.toInt(&ok);
            if (ok && index >= 0) {
                sharedStrings.push_back(index);
                add(row, column, index);
            }
        } else if (type == QLatin1String("str") || type == QLatin1String("e")) {
            addText(row, column, XlsxEscape::decode(raw));
        } else if (type == QLatin1String("b")) {
            if (!raw.isEmpty())
                add(row, column, raw.trimmed() == QLatin1String("1"));
        } else if (type == QLatin1String("d")) {
            const QDateTime moment = QDateTime::fromString(raw.trimmed(), Qt::ISODate);
            if (!moment.isValid())
                addText(row, column, raw);
            else if (moment.time() == QTime(0, 0))
                add(row, column, moment.date());
            else
                add(row, column, moment);
        } else if (!raw.isEmpty()) {
            const bool isDate = style >= 0 && style < dateStyles.size() && dateStyles[style];
            QVariant value = numberValue(raw, isDate, date1904);
            if (value.typeId() == QMetaType::QString)
                addText(row, column, raw); // not a number after all
            else
                add(row, column, std::move(value));
        }
    }

    void parse()
    {
        QXmlStreamReader &r = part.xml();
        int row = -1;
        int column = -1;
        while (!part.atEnd()) {
            if (part.next() != QXmlStreamReader::StartElement)
                continue;
            if (r.name() == QLatin1String("row")) {
                const QStringView number = attribute(r, QLatin1String("r"));
                int rowNumber = row + 2;
                if (!number.isEmpty() && !parseRowNumber(number, &rowNumber)) {
                    part.fail(QStringLiteral("行号“%1”无效，行号应在 1 到 %2 之间")
                                  .arg(shown(number))
                                  .arg(kMaxRows));
                    return;
                }
                if (rowNumber > kMaxRows) {
                    part.fail(QStringLiteral("工作表超过了 %1 行").arg(kMaxRows));
                    return;
                }
                row = rowNumber - 1;
                column = -1;
            } else if (r.name() == QLatin1String("c")) {
                // A cell without a reference follows the one before it.
                int cellRow = qMax(row, 0);
                int cellColumn = column + 1;
                const QStringView ref = attribute(r, QLatin1String("r"));
                if (!ref.isEmpty() && !parseCellName(ref, &cellRow, &cellColumn)) {
                    part.fail(QStringLiteral("单元格位置“%1”无效，列应在 A 到 XFD 之间，"
                                             "行应在 1 到 %2 之间")
                                  .arg(shown(ref))
                                  .arg(kMaxRows));
                    return;
                }
                if (cellColumn >= kMaxColumns) {
                    part.fail(
                        QStringLiteral("第 %1 行超过了 %2 列").arg(cellRow + 1).arg(kMaxColumns));
                    return;
                }
                row = qMax(row, cellRow);
                column = cellColumn;
                readCell(cellRow, cellColumn);
            }
        }
    }
};

// Puts the shared strings the cells use (no others) in place of their indexes.
bool resolveSharedStrings(QuaZip *zip, const QString &partName, SheetParser *sheet, QString *reason)
{
    std::vector<int> &wanted = sheet->sharedStrings;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    std::vector<QString> texts;
    if (!readSharedStrings(zip, partName, wanted, &texts, sheet->limits, &sheet->textCharacters,
                           reason))
        return false;
    for (SheetData::Cell &cell : sheet->cells) {
        if (cell.value.typeId() != QMetaType::Int)
            continue;
        const auto it = std::lower_bound(wanted.begin(), wanted.end(), cell.value.toInt());
        // An index past the end of the table leaves the cell empty.
        cell.value = it != wanted.end() && *it == cell.value.toInt()
                         ? QVariant(texts[size_t(it - wanted.begin())])
                         : QVariant();
    }
    return true;
}

} // namespace

bool dateOfSerial(double serial, bool date1904, QDate *date, QTime *time)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)
        return false;
    qint64 days = static_cast<qint64>(std::floor(serial));
    qint64 seconds = std::llround((serial - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    if (date1904)
        *date = QDate(1904, 1, 1).addDays(days);
    else if (days < 61)
        // Serial 60 is 1900-02-29, a day the 1900 system counts but the calendar has not.
        *date = days < 60 ? QDate(1899, 12, 31).addDays(days) : QDate(1900, 2, 28);
    else
        *date = QDate(1899, 12, 30).addDays(days);
    *time = QTime(0, 0).addSecs(static_cast<int>(seconds));
    return true;
}

QDateTime dateFromSerial(double serial, bool date1904)
{
    QDate date;
    QTime time;
    if (!dateOfSerial(serial, date1904, &date, &time))
        return QDateTime();
    return QDateTime(date, time);
}

QString damagedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("文件已损坏或太大：%1（%2）").arg(path, reason);
}

bool readSharedStrings(QuaZip *zip, const QString &partName, const std::vector<int> &wanted,
                       std::vector<QString> *texts, const Limits &limits, qint64 *textCharacters,
                       QString *reason)
{
    texts->assign(wanted.size(), QString());
    const auto readWanted = [&](XlsxPart &part) {
        QXmlStreamReader &r = part.xml();
        int index = 0;
        size_t found = 0;
        while (found < wanted.size() && !part.atEnd()) {
            if (part.next() != QXmlStreamReader::StartElement || r.name() != QLatin1String("si"))
                continue;
            if (index++ != wanted[found]) {
                part.skipElement();
                continue;
            }
            if (!readRichText(part, &(*texts)[found]))
                return;
            *textCharacters += (*texts)[found++].size();
            if (*textCharacters > limits.textCharacters) {
                part.fail(
                    QStringLiteral("工作表中的文本超过了 %1 个字符").arg(limits.textCharacters));
                return;
            }
        }
    };
    return wanted.empty() || readOptionalPart(zip, partName, limits, reason, readWanted);
}

bool openWorkbook(QuaZip *zip, const QString &path, const Limits &limits, WorkbookInfo *info,
                  QString *error)
{
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("文件不存在：") + path;
        return false;
    }
    if (!zip->open(QuaZip::mdUnzip)) {
        // A zip archive that cannot be opened has been cut short or damaged.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.read(2) == "PK")
            *error = damagedMessage(path, QStringLiteral("压缩包不完整或已损坏"));
        else
            *error = QStringLiteral("不能打开文件，它不是 Excel 文件(.xlsx)：") + path;
        return false;
    }
    QString reason;
    const auto damaged = [&]() {
        *error = damagedMessage(path, reason);
        return false;
    };
    const int partCount = zip->getEntriesCount();
    if (partCount < 0 || partCount > kMaxParts) {
        reason = QStringLiteral("文件中的部件超过了 %1 个").arg(kMaxParts);
        return damaged();
    }

    Workbook wb;
    {
        XlsxPart part(zip, QStringLiteral("xl/workbook.xml"), limits.partBytes);
        if (!part.open(&reason)) {
            if (!reason.isEmpty())
                return damaged();
            *error = QStringLiteral("文件中没有工作簿，它不是 Excel 文件(.xlsx)：") + path;
            return false;
        }
        parseWorkbook(part, &wb);
        if (!part.finish(&reason))
            return damaged();
    }
    if (wb.sheetCount == 0) {
        *error = QStringLiteral("工作簿中没有工作表：") + path;
        return false;
    }
    Parts parts;
    if (!readOptionalPart(
            zip, QStringLiteral("xl/_rels/workbook.xml.rels"), limits, &reason,
            [&](XlsxPart &part) { parseRelationships(part, wb.sheetRelationship, &parts); }))
        return damaged();
    if (parts.sheet.isEmpty())
        parts.sheet = QStringLiteral("xl/worksheets/sheet%1.xml").arg(wb.sheetIndex + 1);
    info->dateStyles.clear();
    if (!readOptionalPart(zip, parts.styles, limits, &reason,
                          [&](XlsxPart &part) { parseDateStyles(part, &info->dateStyles); }))
        return damaged();
    info->sheetName = wb.sheetName;
    info->sheetPart = parts.sheet;
    info->sharedStringsPart = parts.sharedStrings;
    info->date1904 = wb.date1904;
    return true;
}

bool read(const QString &path, SheetData *sheet, QString *error, const Limits &limits)
{
    QString dummy;
    if (!error)
        error = &dummy;
    *sheet = SheetData();
    QuaZip zip(path);
    WorkbookInfo wb;
    if (!openWorkbook(&zip, path, limits, &wb, error))
        return false;
    QString reason;
    XlsxPart part(&zip, wb.sheetPart, limits.partBytes);
    if (!part.open(&reason)) {
        if (!reason.isEmpty()) {
            *error = damagedMessage(path, reason);
            return false;
        }
        *error = QStringLiteral("文件中找不到工作表“%1”：%2").arg(wb.sheetName, path);
        return false;
    }
    SheetParser parser{part, wb.dateStyles, wb.date1904, limits, {}, {}, 0};
    parser.parse();
    if (!part.finish(&reason) ||
        !resolveSharedStrings(&zip, wb.sharedStringsPart, &parser, &reason)) {
        *error = damagedMessage(path, reason);
        return false;
    }
    *sheet = SheetData(wb.sheetName, std::move(parser.cells));
    return true;
}

} // namespace XlsxReader
