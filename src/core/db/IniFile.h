#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The private-profile configuration file (de.ini): "[section]" lines and "key=value" lines
// in GBK. Every write goes to disk at once; other keys, comments and blank lines stay as
// they are, byte for byte (a line in another encoding is never re-encoded). Section and key
// names are matched without regard to case.
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
    // The file's lines as stored, each with its own line ending.
    QList<QByteArray> loadLines() const;
    static int findSection(const QList<QByteArray> &lines, const QString &section);
    static int findKey(const QList<QByteArray> &lines, int sectionLine, const QString &key);

    QString m_path;
};
