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

QStringList IniFile::loadLines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = Gbk::decode(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

int IniFile::findSection(const QStringList &lines, const QString &section) const
{
    QString name;
    for (int i = 0; i < lines.size(); ++i) {
        if (isSectionLine(lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::findKey(const QStringList &lines, int sectionLine, const QString &key) const
{
    QString k;
    for (int i = sectionLine + 1; i < lines.size() && !isSectionLine(lines[i]); ++i) {
        if (keyOfLine(lines[i], &k) && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QStringList lines = loadLines();
    const int s = findSection(lines, section);
    if (s < 0)
        return defaultValue;
    const int k = findKey(lines, s, key);
    if (k < 0)
        return defaultValue;
    QString name, value;
    keyOfLine(lines[k], &name, &value);
    return value;
}

bool IniFile::write(const QString &section, const QString &key, const QString &value)
{
    QStringList lines = loadLines();
    const QString entry = key + QLatin1Char('=') + value;
    int s = findSection(lines, section);
    if (s < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    } else if (int k = findKey(lines, s, key); k >= 0) {
        lines[k] = entry;
    } else {
        // Append after the last key of the section, before trailing blank lines.
        int insertAt = s + 1;
        for (int i = s + 1; i < lines.size() && !isSectionLine(lines[i]); ++i) {
            if (!lines[i].trimmed().isEmpty())
                insertAt = i + 1;
        }
        lines.insert(insertAt, entry);
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(Gbk::encode(lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n")));
    return file.commit();
}
