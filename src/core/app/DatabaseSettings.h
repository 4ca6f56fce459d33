#pragma once

#include <QString>

class IniFile;
struct LoginContext;

// What the database settings window edits: the choice between the embedded database file
// and a PostgreSQL server, the fields of each, the test of a server connection and the
// writing of de.ini. Nothing here changes the running program; the choice takes effect at
// the next start.
class DatabaseSettings {
public:
    enum class Choice { Embedded, Server };

    DatabaseSettings(IniFile &ini, const LoginContext &context);

    Choice choice() const { return m_choice; }
    // Choosing the server again asks for a new successful test before saving.
    void choose(Choice choice);
    bool saveEnabled() const { return m_saveEnabled; }

    // The fields; changing a server field after a successful test asks for a new test, so
    // the string saved is always one that connected.
    QString server, database, user, password, file;
    void serverFieldsChanged();
    // The chosen file as the next start finds it: a relative name is taken from de.ini's
    // folder, wherever the program was started.
    QString filePath() const;

    // The connection string built from the server fields as typed.
    QString serverConnectionString() const;
    // The same with the password hidden, as the test shows it.
    QString shownConnectionString() const;
    // Connects to the server with a throw-away connection (10 seconds at most).
    bool test(QString *error = nullptr);

    // Writes de.ini. For the embedded database a file that does not exist yet is created
    // with the library's tables first; an existing file that the next start could not use
    // (no database, another program's or an older version's) is refused.
    bool save(QString *error = nullptr);

    // Whether an existing file is a library of this version, looked at read-only; the
    // refusal names the file. Also used before a backup is restored.
    static bool isLibraryFile(const QString &path, QString *error = nullptr);

    static QString connectedMessage() { return QStringLiteral("连接成功!"); }
    static QString connectFailedMessage() { return QStringLiteral("连接失败"); }
    static QString restartMessage() { return QStringLiteral("软件重启后生效!"); }
    static QString noFileMessage() { return QStringLiteral("请选择数据库文件!"); }
    static QString notALibraryMessage()
    {
        return QStringLiteral("所选文件不是本程序的图书馆数据库,请选择其他文件或输入新的文件名.");
    }

private:
    IniFile &m_ini;
    Choice m_choice = Choice::Embedded;
    bool m_saveEnabled = true;
    QString m_testedString;
    QString m_embeddedConnection;
};
