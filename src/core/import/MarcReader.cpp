#include "MarcReader.h"

#include "text/Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace {

constexpr char kSubfieldDelimiter = '\x1F';
constexpr char kFieldTerminator = '\x1E';
constexpr char kRecordTerminator = '\x1D';
constexpr int kLeaderLength = 24;
constexpr int kEntryLength = 12;
// The record length of the leader has five digits: no record is longer.
constexpr int kMaxRecordBytes = 99999;
// What one MARCXML record may hold (an ISO 2709 record holds at most 8,331 fields).
constexpr int kMaxXmlFields = 10000;
constexpr int kMaxXmlSubfields = 1000;
// How often a long read reports its progress (and may be stopped).
constexpr int kProgressEvery = 256;

const QString kSlimNamespace = QStringLiteral("http://www.loc.gov/MARC21/slim");

bool allDigits(const char *p, int n)
{
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
    }
    return n > 0;
}

int number(const char *p, int n)
{
    int value = 0;
    for (int i = 0; i < n; ++i)
        value = value * 10 + (p[i] - '0');
    return value;
}

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

enum class Encoding { Gbk, Utf8 };

Encoding encodingOf(const QByteArray &record)
{
    if (record.size() > 9 && record.at(9) == 'a')
        return Encoding::Utf8;
    if (isAscii(record))
        return Encoding::Gbk;
    if (MarcReader::isValidUtf8(record) && !MarcReader::isValidGbk(record))
        return Encoding::Utf8;
    return Encoding::Gbk;
}

QString decode(const QByteArray &bytes, Encoding encoding)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    return encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : Gbk::decode(bytes);
}

// A field from its text (the field terminator taken off): a control field is data, a data
// field is two indicators and subfields, each opened by the subfield delimiter.
MarcField fieldOf(const QString &tag, const QString &text)
{
    MarcField field;
    field.tag = tag;
    if (field.isControl()) {
        field.data = text;
        return field;
    }
    const QList<QStringView> parts = QStringView(text).split(QChar(kSubfieldDelimiter));
    const QStringView head = parts.first();
    field.indicators = head.left(2).toString();
    field.data = head.mid(qMin<qsizetype>(2, head.size())).toString();
    field.subfields.reserve(parts.size() - 1);
    for (int i = 1; i < parts.size(); ++i) {
        const QStringView part = parts.at(i);
        MarcSubfield subfield;
        if (!part.isEmpty()) {
            subfield.code = part.at(0);
            subfield.value = part.mid(1).toString();
        }
        field.subfields.append(subfield);
    }
    return field;
}

bool reportProgress(const MarcReader::Progress &progress, int count, qint64 done, qint64 total)
{
    if (!progress || count % kProgressEvery != 0)
        return true;
    return progress(done, total);
}

} // namespace

bool MarcReader::isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        int follow = 0;
        unsigned int code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + follow >= n)
            return false;
        for (int k = 1; k <= follow; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and codes beyond U+10FFFF are not UTF-8.
        if ((follow == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (follow == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += follow + 1;
    }
    return true;
}

bool MarcReader::isValidGbk(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80 || c == 0x80) { // 0x80: the euro sign of code page 936
            ++i;
            continue;
        }
        if (c == 0xFF || i + 1 >= n)
            return false;
        const unsigned char t = p[i + 1];
        if (t < 0x40 || t == 0x7F || t == 0xFF)
            return false;
        i += 2;
    }
    return true;
}

bool MarcReader::parseRecord(const QByteArray &bytes, MarcRecord *record, QString *error)
{
    const int size = static_cast<int>(bytes.size());
    const char *p = bytes.constData();
    if (size > kMaxRecordBytes) {
        *error = QStringLiteral("记录长%1字节，超过MARC记录的最大长度99999字节").arg(size);
        return false;
    }
    if (size < kLeaderLength + 1) {
        *error = QStringLiteral("记录太短(%1字节)，不是MARC记录").arg(size);
        return false;
    }
    if (!allDigits(p, 5)) {
        *error = QStringLiteral("头标区的记录长度不是数字");
        return false;
    }
    if (!allDigits(p + 12, 5)) {
        *error = QStringLiteral("头标区的数据基地址不是数字");
        return false;
    }
    // The base address is the position of the first data byte: the directory runs from the
    // end of the leader to the field terminator just before it.
    const int base = number(p + 12, 5);
    if (base < kLeaderLength + 1 || base > size) {
        *error = QStringLiteral("数据基地址%1超出记录范围(记录长%2字节)").arg(base).arg(size);
        return false;
    }
    if (p[base - 1] != kFieldTerminator) {
        *error = QStringLiteral("目录区没有以字段结束符结束");
        return false;
    }
    const int directoryLength = base - 1 - kLeaderLength;
    if (directoryLength % kEntryLength != 0) {
        *error = QStringLiteral("目录区长度%1不是12的倍数").arg(directoryLength);
        return false;
    }
    const int entries = directoryLength / kEntryLength;
    QVector<QString> tags;
    tags.reserve(entries);
    for (int i = 0; i < entries; ++i) {
        const char *entry = p + kLeaderLength + i * kEntryLength;
        if (!allDigits(entry + 3, 9)) {
            *error = QStringLiteral("目录区第%1项的长度或起始位置不是数字").arg(i + 1);
            return false;
        }
        for (int k = 0; k < 3; ++k) {
            const unsigned char c = static_cast<unsigned char>(entry[k]);
            if (c < 0x20 || c >= 0x7F) {
                *error = QStringLiteral("目录区第%1项的字段号不对").arg(i + 1);
                return false;
            }
        }
        tags.append(QString::fromLatin1(entry, 3));
    }

    // The data area, from the directory's terminator on: every field ends with a terminator.
    const QByteArray data = bytes.mid(base - 1);
    const Encoding encoding = encodingOf(bytes);
    const QString text = decode(data, encoding);
    const QList<QStringView> pieces = QStringView(text).split(QChar(kFieldTerminator));
    // pieces: the empty one before the directory's terminator, one per field, and the empty
    // one after the last field's terminator.
    if (pieces.size() != entries + 2 || !pieces.last().isEmpty()) {
        const int fields = static_cast<int>(pieces.size()) - 1 - (pieces.last().isEmpty() ? 1 : 0);
        if (!pieces.last().isEmpty() && pieces.size() == entries + 1)
            *error = QStringLiteral("最后一个字段没有字段结束符(记录不完整)");
        else
            *error = QStringLiteral("目录区有%1个字段，数据区却有%2个").arg(entries).arg(fields);
        return false;
    }
    record->leader = decode(bytes.left(kLeaderLength), Encoding::Gbk);
    record->fields.clear();
    record->fields.reserve(entries);
    for (int i = 0; i < entries; ++i)
        record->fields.append(fieldOf(tags.at(i), pieces.at(i + 1).toString()));
    return true;
}

MarcReadResult MarcReader::readIso2709(const QByteArray &bytes, int maxRecords,
                                       const Progress &progress)
{
    MarcReadResult result;
    const qint64 size = bytes.size();
    const char *p = bytes.constData();
    qint64 start = 0;
    int recordNumber = 0;
    while (start < size) {
        // The next record ends at a record terminator or a line break, whichever comes first.
        qint64 end = start;
        while (end < size && p[end] != kRecordTerminator && p[end] != '\n' && p[end] != '\r')
            ++end;
        const qint64 next = end + 1;
        if (end == start) { // an empty line, or the line break after a record terminator
            start = next;
            continue;
        }
        ++recordNumber;
        if (result.records.size() >= maxRecords) {
            result.truncated = true;
            break;
        }
        const QByteArray piece = QByteArray::fromRawData(p + start, end - start);
        MarcRecord record;
        QString error;
        // A record ended by a line break instead of its terminator is taken when its fields are
        // all there; a cut-off record fails the checks of its directory.
        if (parseRecord(piece, &record, &error)) {
            record.number = recordNumber;
            result.records.append(std::move(record));
        } else {
            result.problems.append({recordNumber, error + QStringLiteral("，已跳过")});
        }
        start = next;
        if (!reportProgress(progress, recordNumber, start, size)) {
            result.error = QStringLiteral("读取已停止");
            break;
        }
    }
    if (result.truncated)
        result.error = QStringLiteral("记录超过%1条，只读取了前%1条").arg(maxRecords);
    return result;
}

MarcReadResult MarcReader::readXml(const QByteArray &bytes, int maxRecords,
                                   const Progress &progress)
{
    MarcReadResult result;
    QXmlStreamReader xml(bytes);
    auto isMarc = [&xml](const char *name) {
        return xml.name() == QLatin1String(name) &&
               (xml.namespaceUri().isEmpty() || xml.namespaceUri() == kSlimNamespace);
    };
    int recordNumber = 0;
    MarcRecord record;
    bool inRecord = false;
    bool tooLarge = false;
    MarcField *field = nullptr;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (isMarc("record")) {
                ++recordNumber;
                if (result.records.size() >= maxRecords) {
                    result.truncated = true;
                    break;
                }
                record = MarcRecord();
                record.number = recordNumber;
                inRecord = true;
                tooLarge = false;
                field = nullptr;
            } else if (!inRecord) {
                continue;
            } else if (tooLarge) {
                xml.skipCurrentElement();
            } else if (isMarc("leader")) {
                record.leader = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (isMarc("controlfield")) {
                MarcField f;
                f.tag = xml.attributes().value(QLatin1String("tag")).toString();
                f.data = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                record.fields.append(f);
                field = nullptr;
                tooLarge = record.fields.size() > kMaxXmlFields;
            } else if (isMarc("datafield")) {
                MarcField f;
                const QXmlStreamAttributes a = xml.attributes();
                f.tag = a.value(QLatin1String("tag")).toString();
                const QString ind1 = a.value(QLatin1String("ind1")).toString();
                const QString ind2 = a.value(QLatin1String("ind2")).toString();
                f.indicators = (ind1.isEmpty() ? QStringLiteral(" ") : ind1.left(1)) +
                               (ind2.isEmpty() ? QStringLiteral(" ") : ind2.left(1));
                record.fields.append(f);
                field = &record.fields.last();
                tooLarge = record.fields.size() > kMaxXmlFields;
            } else if (isMarc("subfield") && field) {
                MarcSubfield s;
                const QString code = xml.attributes().value(QLatin1String("code")).toString();
                if (!code.isEmpty())
                    s.code = code.at(0);
                s.value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                field->subfields.append(s);
                tooLarge = field->subfields.size() > kMaxXmlSubfields;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (isMarc("record") && inRecord) {
                inRecord = false;
                field = nullptr;
                if (tooLarge)
                    result.problems.append(
                        {recordNumber, QStringLiteral("字段或子字段太多，不是书目记录，已跳过")});
                else
                    result.records.append(std::move(record));
                record = MarcRecord();
                if (!reportProgress(progress, recordNumber, xml.characterOffset(), bytes.size())) {
                    result.error = QStringLiteral("读取已停止");
                    return result;
                }
            } else if (isMarc("datafield")) {
                field = nullptr;
            }
        }
    }
    if (result.truncated) {
        result.error = QStringLiteral("记录超过%1条，只读取了前%1条").arg(maxRecords);
    } else if (xml.hasError()) {
        const int broken = inRecord ? recordNumber : recordNumber + 1;
        result.error = QStringLiteral("MARCXML文件有错(第%1行): %2")
                           .arg(xml.lineNumber())
                           .arg(xml.errorString());
        if (inRecord)
            result.problems.append({broken, QStringLiteral("XML不完整或有错，已跳过")});
    }
    return result;
}

MarcReadResult MarcReader::read(const QByteArray &bytes, int maxRecords, const Progress &progress)
{
    int i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < bytes.size() && (bytes.at(i) == ' ' || bytes.at(i) == '\t' || bytes.at(i) == '\r' ||
                                bytes.at(i) == '\n'))
        ++i;
    if (i < bytes.size() && bytes.at(i) == '<')
        return readXml(bytes, maxRecords, progress);
    return readIso2709(bytes, maxRecords, progress);
}

MarcReadResult MarcReader::readFile(const QString &path, int maxRecords, const Progress &progress)
{
    MarcReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("打开文件失败！") + file.errorString();
        return result;
    }
    if (file.size() > kMaxFileBytes) {
        result.error =
            QStringLiteral("文件太大(%1MB)，一次最多读取%2MB的MARC文件，请把它分成几个文件")
                .arg(file.size() / (1024 * 1024))
                .arg(kMaxFileBytes / (1024 * 1024));
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("读取文件失败: ") + file.errorString();
        return result;
    }
    return read(bytes, maxRecords, progress);
}
