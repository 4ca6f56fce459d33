#pragma once

#include <QString>
#include <QStringList>

// A command run without a window (reserve, circulation, and later backup, import, serve)
// works on the library of de.ini as the windows do after their login: the database opened
// (with the start-up upgrades of an older library), 系统设置 read into loginContext(), and an
// administrator named as the one who does the work. Nothing is created on the way: a missing
// de.ini means the defaults, a missing database file or an empty database is an error.
class CommandSession {
public:
    CommandSession() = default;
    ~CommandSession(); // closes the shared connection it opened
    CommandSession(const CommandSession &) = delete;
    CommandSession &operator=(const CommandSession &) = delete;

    // configOption: the --config value (empty: the de.ini beside the program in
    // applicationDir); operatorName: the --operator value (empty: the super administrator, or
    // the first administrator where none has that name). On failure error holds a
    // message for the user, in Chinese, that names the database.
    bool open(const QString &configOption, const QString &applicationDir,
              const QString &operatorName, QString *error);

    // What an upgrade of an older library could not do: warnings, the command goes on.
    const QStringList &notes() const { return m_notes; }

private:
    bool m_open = false;
    QStringList m_notes;
};
