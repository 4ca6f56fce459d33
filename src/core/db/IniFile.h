#pragma once

#include <QString>
#include <QStringList>

// The private-profile configuration file (de.ini): "[section]" lines and "key=value" lines
// in GBK. Every write goes to disk at once; other keys, comments and blank lines stay as
// they are. Section and key names are matched without regard to case.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }
    // The value of the key, or the default when the file, the section or the key is missing.
    QString read(const QString &section, const QString &key, const QString &defaultValue) const;
    // Writes one key and saves the file; a missing file or section comes into being.
    // Returns false when the file cannot be written.
    bool write(const QString &section, const QString &key, const QString &value);

private:
    QStringList loadLines() const;
    int findSection(const QStringList &lines, const QString &section) const;
    int findKey(const QStringList &lines, int sectionLine, const QString &key) const;

    QString m_path;
};
