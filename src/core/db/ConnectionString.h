#pragma once

#include <QString>
#include <QVector>

// A "key=value;key=value;" connection string as kept in de.ini. Keys are matched without
// regard to case; the order of the keys is kept when the string is written back.
class ConnectionString {
public:
    ConnectionString() = default;
    static ConnectionString parse(const QString &text);

    QString value(const QString &key) const;
    void set(const QString &key, const QString &value);
    QString toString() const;
    // The same string with the password replaced by "******", for showing to the user.
    QString masked() const;

    // The string of a PostgreSQL database as the settings window builds it.
    static QString forServer(const QString &server, const QString &database, const QString &user,
                             const QString &password);
    // The string of an embedded database file.
    static QString forFile(const QString &path);

private:
    QVector<QPair<QString, QString>> m_items;
};
