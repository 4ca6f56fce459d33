#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct LoginContext;

// What the login window asks of the database: whether the administrator table is the one
// this program expects, the names to offer, the library settings snapshot and the check of
// a name and password. Everything runs with bound values on the given connection.
class LoginService {
public:
    enum class DatabaseCheck {
        Ok,
        NoAdministratorTable,  // the table cannot be read: a database of another program
        OldAdministratorTable, // a permission column is missing: an older version's database
        NoAdministrators,
    };

    enum class Result { Accepted, WrongPassword, Failed };

    explicit LoginService(LoginContext &context, QSqlDatabase db = QSqlDatabase());

    // Checks the administrator table and, when it is usable, reads the names in the order
    // the database returns them.
    DatabaseCheck checkDatabase();
    static QString message(DatabaseCheck check);
    const QStringList &administratorNames() const { return m_names; }

    // The password field starts with the default password while the super administrator
    // still has it.
    bool superAdministratorHasDefaultPassword() const;

    // Copies the first row of 系统设置 into the context.
    bool readSettings(QString *error = nullptr);

    // Checks the name exactly as typed and the password. On success the context gets the
    // administrator's flags and the trimmed name; a password still stored as plain text is
    // replaced by its hash.
    Result login(const QString &typedName, const QString &password, QString *error = nullptr);

    // Acts as the named administrator without a password, for the commands run from the
    // command line by whoever may open the database anyway: the flags and the trimmed name
    // as a login would set them. False, with the message in error, when no administrator has
    // that name (matched as given, then trimmed) or the database fails.
    bool actAs(const QString &name, QString *error);

    static QString wrongPasswordMessage() { return QStringLiteral("密码不正确!"); }

private:
    LoginContext &m_context;
    QSqlDatabase m_db;
    QStringList m_names;
};
