#include "IniFile.h"

#include "ConnectionString.h"
#include "text/Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A configuration file is a few hundred bytes; anything much larger is not one.
constexpr qint64 kMaxBytes = 1024 * 1024;
const QByteArray kUtf8Mark("\xEF\xBB\xBF");

bool isSectionLine(const QString &line, QString *name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool keyOfLine(const QString &line, QString *key, QString *value = nullptr)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return false;
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *key = t.left(eq).trimmed();
    if (value)
        *value = t.mid(eq + 1).trimmed();
    return true;
}

// True when the bytes are strict UTF-8 (no overlong forms, no surrogates) and not all ASCII.
bool isUtf8Text(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    bool nonAscii = false;
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : low;
            high = c == 0xED ? 0x9F : high;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : low;
            high = c == 0xF4 ? 0x8F : high;
        } else {
            return false;
        }
        if (i + length > n || p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        }
        i += length;
    }
    return nonAscii;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{}

IniFile::Content IniFile::load() const
{
    Content content;
    const QFileInfo info(m_path);
    // A broken link counts as there: writing through it would create or replace something
    // else than a missing de.ini.
    if (!info.exists() && !info.isSymLink())
        return content;
    const QString cannotRead = QStringLiteral("无法读取配置文件 ") + m_path;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        content.error = cannotRead + QStringLiteral(" (") + file.errorString() + QLatin1Char(')');
        return content;
    }
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        content.error = cannotRead + QStringLiteral(" (") + file.errorString() + QLatin1Char(')');
        return content;
    }
    if (bytes.size() > kMaxBytes) {
        content.error = cannotRead + QStringLiteral(" (文件大于 1 MB, 不是配置文件)");
        return content;
    }
    if (bytes.startsWith(kUtf8Mark)) {
        content.encoding = Encoding::Utf8WithMark;
        bytes.remove(0, kUtf8Mark.size());
    } else if (isUtf8Text(bytes)) {
        content.encoding = Encoding::Utf8;
    }
    int begin = 0;
    while (begin < bytes.size()) {
        const int nl = bytes.indexOf('\n', begin);
        const int end = nl < 0 ? bytes.size() : nl + 1;
        content.lines << bytes.mid(begin, end - begin);
        begin = end;
    }
    return content;
}

bool IniFile::isReadable(QString *error) const
{
    const Content content = load();
    if (error)
        *error = content.error;
    return content.error.isEmpty();
}

QString IniFile::textOf(const QByteArray &line, Encoding encoding)
{
    QByteArray body = line;
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    return encoding == Encoding::Gb18030 ? Gbk::decodeGb18030(body) : QString::fromUtf8(body);
}

bool IniFile::encodeText(const QString &text, Encoding encoding, QByteArray *bytes)
{
    if (encoding == Encoding::Gb18030)
        return Gbk::encodeGb18030(text, bytes);
    if (!text.isValidUtf16())
        return false;
    *bytes = text.toUtf8();
    return true;
}

int IniFile::findSection(const Content &content, const QString &section)
{
    QString name;
    for (int i = 0; i < content.lines.size(); ++i) {
        if (isSectionLine(textOf(content.lines[i], content.encoding), &name) &&
            name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::findKey(const Content &content, int sectionLine, const QString &key)
{
    QString k;
    for (int i = sectionLine + 1; i < content.lines.size(); ++i) {
        const QString text = textOf(content.lines[i], content.encoding);
        if (isSectionLine(text))
            break;
        if (keyOfLine(text, &k) && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool IniFile::holdsPassword(const Content &content)
{
    QString key, value;
    for (const QByteArray &line : content.lines) {
        if (!keyOfLine(textOf(line, content.encoding), &key, &value) || value.isEmpty())
            continue;
        if (key.compare(QLatin1String("PassWord"), Qt::CaseInsensitive) == 0 ||
            ConnectionString::parse(value).hasPassword())
            return true;
    }
    return false;
}

QString IniFile::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Content content = load();
    const int s = findSection(content, section);
    if (s < 0)
        return defaultValue;
    const int k = findKey(content, s, key);
    if (k < 0)
        return defaultValue;
    QString name, value;
    keyOfLine(textOf(content.lines[k], content.encoding), &name, &value);
    return value;
}

void IniFile::place(Content &content, const QString &section, const QByteArray &header,
                    const QString &key, const QByteArray &entry)
{
    QList<QByteArray> &lines = content.lines;
    const QByteArray eol("\r\n");
    // A last line without an ending gets one before anything follows it.
    if (!lines.isEmpty() && !lines.last().endsWith('\n'))
        lines.last() += eol;
    int s = findSection(content, section);
    if (s < 0) {
        if (!lines.isEmpty() && !textOf(lines.last(), content.encoding).trimmed().isEmpty())
            lines << eol;
        lines << header + eol << entry + eol;
    } else if (int k = findKey(content, s, key); k >= 0) {
        lines[k] = entry + eol;
    } else {
        // Append after the last key of the section, before trailing blank lines.
        int insertAt = s + 1;
        for (int i = s + 1; i < lines.size(); ++i) {
            const QString text = textOf(lines[i], content.encoding);
            if (isSectionLine(text))
                break;
            if (!text.trimmed().isEmpty())
                insertAt = i + 1;
        }
        lines.insert(insertAt, entry + eol);
    }
}

bool IniFile::write(const QString &section, const QString &key, const QString &value)
{
    return write(section, {{key, value}});
}

bool IniFile::write(const QString &section, const QList<std::pair<QString, QString>> &entries)
{
    m_error.clear();
    // A line break would end the line early and turn the rest into a line of its own.
    for (const auto &[key, value] : entries) {
        if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) {
            m_error = QStringLiteral("配置文件中的值不能有换行: ") + key;
            return false;
        }
    }
    Content content = load();
    if (!content.error.isEmpty()) {
        // Whatever the file holds would be lost by writing it anew.
        m_error = content.error + QStringLiteral(", 为免丢失其中的设置, 没有写入.");
        return false;
    }
    QByteArray header;
    const bool headerEncoded =
        encodeText(QLatin1Char('[') + section + QLatin1Char(']'), content.encoding, &header);
    for (const auto &[key, value] : entries) {
        QByteArray entry;
        if (!headerEncoded ||
            !encodeText(key + QLatin1Char('=') + value, content.encoding, &entry)) {
            m_error = QStringLiteral("配置文件中 ") + key + QStringLiteral(" 的值含有无效的字符");
            return false;
        }
        place(content, section, header, key, entry);
    }
    QSaveFile file(m_path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && content.encoding == Encoding::Utf8WithMark)
        file.write(kUtf8Mark);
    for (const QByteArray &line : content.lines) {
        if (ok)
            ok = file.write(line) == line.size();
    }
    // The new file is closed to others before it takes the old one's place.
    if (ok && holdsPassword(content))
        ok = file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (ok)
        ok = file.commit();
    if (!ok)
        m_error = QStringLiteral("无法写入配置文件 ") + m_path + QStringLiteral(" (") +
                  file.errorString() + QLatin1Char(')');
    return ok;
}
