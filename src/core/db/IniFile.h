#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// The private-profile configuration file (de.ini): "[section]" lines and "key=value" lines.
// Every write goes to disk at once, replacing the file in one step; other keys, comments
// and blank lines stay as they are, byte for byte (a line in another encoding is never
// re-encoded). Section and key names are matched without regard to case.
//
// The file is GB18030, which is GBK for every character GBK has and holds all the others,
// so no value is ever changed on its way to disk. A file an editor saved as UTF-8 is read
// as UTF-8 and written back in UTF-8, its byte order mark kept: it is taken as UTF-8 when it
// starts with the mark, or when all of it is valid UTF-8 and not all of it is ASCII (Chinese
// text in GBK is practically never valid UTF-8, while UTF-8 is rarely valid GBK as meant).
class IniFile {
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }
    // The value of the key, or the default when the file, the section or the key is missing
    // or the file cannot be read.
    QString read(const QString &section, const QString &key, const QString &defaultValue) const;
    // Writes one key and saves the file; a missing file or section comes into being. The file
    // is readable by its owner only (mode 600) once it holds a password. Returns false, with
    // errorString() saying why, when the file cannot be read (it is then left as it is), a
    // text holds a line break or the file cannot be written.
    bool write(const QString &section, const QString &key, const QString &value);
    // Writes several keys of one section with one replacement of the file: all or none.
    bool write(const QString &section, const QList<std::pair<QString, QString>> &entries);
    // Why the last write failed, a message for the user that names the file.
    const QString &errorString() const { return m_error; }
    // False when something is at the path that cannot be read as a file (a folder, a
    // broken link, no right to read, an oversized file); a missing file is readable.
    bool isReadable(QString *error = nullptr) const;

private:
    enum class Encoding { Gb18030, Utf8, Utf8WithMark };
    struct Content {
        QList<QByteArray> lines; // as stored, each with its own line ending
        Encoding encoding = Encoding::Gb18030;
        QString error; // not empty: the file is there and cannot be read
    };
    Content load() const;
    static QString textOf(const QByteArray &line, Encoding encoding);
    static bool encodeText(const QString &text, Encoding encoding, QByteArray *bytes);
    static int findSection(const Content &content, const QString &section);
    static int findKey(const Content &content, int sectionLine, const QString &key);
    static bool holdsPassword(const Content &content);
    // Puts the encoded "key=value" line into the section, in place of the key's line if any.
    static void place(Content &content, const QString &section, const QByteArray &header,
                      const QString &key, const QByteArray &entry);

    QString m_path;
    QString m_error;
};
