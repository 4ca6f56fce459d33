#include "IniFile.h"

#include "text/Gbk.h"

#include <QFile>
#include <QSaveFile>

namespace {

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

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{}

QList<QByteArray> IniFile::loadLines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<QByteArray> lines;
    int begin = 0;
    while (begin < bytes.size()) {
        const int nl = bytes.indexOf('\n', begin);
        const int end = nl < 0 ? bytes.size() : nl + 1;
        lines << bytes.mid(begin, end - begin);
        begin = end;
    }
    return lines;
}

namespace {

QString textOf(const QByteArray &line)
{
    QByteArray body = line;
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    return Gbk::decode(body);
}

} // namespace

int IniFile::findSection(const QList<QByteArray> &lines, const QString &section)
{
    QString name;
    for (int i = 0; i < lines.size(); ++i) {
        if (isSectionLine(textOf(lines[i]), &name) &&
            name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::findKey(const QList<QByteArray> &lines, int sectionLine, const QString &key)
{
    QString k;
    for (int i = sectionLine + 1; i < lines.size(); ++i) {
        const QString text = textOf(lines[i]);
        if (isSectionLine(text))
            break;
        if (keyOfLine(text, &k) && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QList<QByteArray> lines = loadLines();
    const int s = findSection(lines, section);
    if (s < 0)
        return defaultValue;
    const int k = findKey(lines, s, key);
    if (k < 0)
        return defaultValue;
    QString name, value;
    keyOfLine(textOf(lines[k]), &name, &value);
    return value;
}

bool IniFile::write(const QString &section, const QString &key, const QString &value)
{
    QList<QByteArray> lines = loadLines();
    const QByteArray eol("\r\n");
    const QByteArray entry = Gbk::encode(key + QLatin1Char('=') + value) + eol;
    // A last line without an ending gets one before anything follows it.
    if (!lines.isEmpty() && !lines.last().endsWith('\n'))
        lines.last() += eol;
    int s = findSection(lines, section);
    if (s < 0) {
        if (!lines.isEmpty() && !textOf(lines.last()).trimmed().isEmpty())
            lines << eol;
        lines << Gbk::encode(QLatin1Char('[') + section + QLatin1Char(']')) + eol << entry;
    } else if (int k = findKey(lines, s, key); k >= 0) {
        lines[k] = entry;
    } else {
        // Append after the last key of the section, before trailing blank lines.
        int insertAt = s + 1;
        for (int i = s + 1; i < lines.size(); ++i) {
            const QString text = textOf(lines[i]);
            if (isSectionLine(text))
                break;
            if (!text.trimmed().isEmpty())
                insertAt = i + 1;
        }
        lines.insert(insertAt, entry);
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray &line : lines)
        file.write(line);
    return file.commit();
}
