#pragma once

#include <QString>
#include <QVector>

// A "key=value;key=value;" connection string as kept in de.ini. Keys are matched without
// regard to case; the order of the keys is kept when the string is written back.
//
// Values are written as OLE DB connection strings write them: a value that holds ";",
// starts with a quote or has blanks at either end is enclosed in double quotes, a double
// quote inside doubled ("a;b" → Password="a;b", a"b;c → Password="a""b;c"), or in single
// quotes when it holds double quotes only. Both forms are read; a value without quotes is
// taken as it stands up to the next ";", blanks included, as earlier strings were written.
class ConnectionString {
public:
    ConnectionString() = default;
    static ConnectionString parse(const QString &text);

    QString value(const QString &key) const;
    void set(const QString &key, const QString &value);
    QString toString() const;
    // The same string with the password replaced by "******", for showing to the user.
    QString masked() const;
    // True when a password (Password or Pwd) is given.
    bool hasPassword() const;

    // The string of a PostgreSQL database as the settings window builds it.
    static QString forServer(const QString &server, const QString &database, const QString &user,
                             const QString &password);
    // The string of an embedded database file.
    static QString forFile(const QString &path);
    // The text with a relative "Data Source" made absolute against the folder; a text
    // without a relative one is returned as it is.
    static QString withDataSourceIn(const QString &text, const QString &folder);

private:
    QVector<QPair<QString, QString>> m_items;
};
