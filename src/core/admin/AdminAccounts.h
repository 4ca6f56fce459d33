#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVector>

// One permission check box of the administrators window and its column of 管理员.
struct AdminPermission {
    QString caption;
    QString column;
};

// The administrator accounts: the list, adding, changing and deleting them, and the
// password change of the logged-in administrator.
namespace AdminAccounts {

// The check boxes in the order the window shows them.
const QVector<AdminPermission> &permissions();

struct Account {
    QSqlRecord record; // as read, with RowKey::Field
    QString name;
    QVector<bool> flags; // in the order of permissions()
};

// Every administrator, in table order.
QVector<Account> load(QString *error = nullptr);

struct Result {
    bool ok = false;
    QString message; // what to show when not ok
};

// A new administrator with the default password (hashed) and the given flags; the
// permissions without a check box start off.
Result add(const QString &name, const QVector<bool> &flags);
// Renames (except the super administrator) and sets the flags of the account as read.
Result update(const Account &original, const QString &name, const QVector<bool> &flags);
// Why the account cannot be deleted, or an empty text (then ask deleteQuestion()).
QString deleteRefusal(const Account *account);
QString deleteQuestion(const Account &account);
Result remove(const Account &account);

// The logged-in administrator changes his own password. The new one is stored hashed.
Result changePassword(const QString &adminName, const QString &oldPassword,
                      const QString &newPassword, const QString &confirmation);

} // namespace AdminAccounts
