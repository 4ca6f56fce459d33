#include "AdminAccounts.h"

#include "PasswordHash.h"
#include "RowKey.h"
#include "db/LoginContext.h"
#include "db/RowOrder.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <QSqlError>

namespace AdminAccounts {

namespace {

const QString &superName()
{
    static const QString name = QString::fromUtf8(SuperAdminName);
    return name;
}

// Columns without a check box; a new administrator gets them off.
const QStringList &unshownColumns()
{
    static const QStringList cols = {QStringLiteral("qxwp"), QStringLiteral("qxDjXg"),
                                     QStringLiteral("qxwpxg")};
    return cols;
}

const QString &tableName()
{
    static const QString name = QStringLiteral("管理员");
    return name;
}

// Names are compared as the login uses them: trimmed. Called inside a transaction that
// holds the table (Transaction(tableName())), so that no other workstation can take the
// name between this check and the write.
QString nameTakenRefusal(const QString &name)
{
    Statement st(QStringLiteral("select count(*) from 管理员 where adminname="));
    st.value(name);
    QString error;
    const qlonglong n = st.scalar(&error).toLongLong();
    if (!error.isEmpty())
        return error;
    return n > 0 ? QStringLiteral("用户名已存在!") : QString();
}

QString nameRefusal(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("用户名必须填写！");
    const int width = Schema::textWidth(tableName(), QStringLiteral("adminname"));
    if (width > 0 && name.size() > width)
        return QStringLiteral("用户名不能超过%1个字!").arg(width);
    return QString();
}

Result failure(const QString &message)
{
    return Result{false, message};
}

// The columns of a row as read, for the check that it is still so (the address aside).
QStringList recordColumns(const QSqlRecord &record)
{
    QStringList out;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        if (name != QString::fromUtf8(RowKey::Field) &&
            name != QString::fromUtf8(RowKey::VersionField))
            out << name;
    }
    return out;
}

} // namespace

const QVector<AdminPermission> &permissions()
{
    static const QVector<AdminPermission> all = {
        {QStringLiteral("借阅"), QStringLiteral("qxborrow")},
        {QStringLiteral("归还"), QStringLiteral("qxreturn")},
        {QStringLiteral("读者资料管理"), QStringLiteral("qxrd")},
        {QStringLiteral("期刊资料管理"), QStringLiteral("qxqk")},
        {QStringLiteral("删除数据功能"), QStringLiteral("qxdel")},
        {QStringLiteral("图书资料管理"), QStringLiteral("qxbk")},
        {QStringLiteral("修改读者资料"), QStringLiteral("qxrdxg")},
        {QStringLiteral("修改期刊资料"), QStringLiteral("qxqkxg")},
        {QStringLiteral("修改图书资料"), QStringLiteral("qxbkxg")},
        {QStringLiteral("管理员设置管理"), QStringLiteral("qxadmin")},
        {QStringLiteral("系统设置"), QStringLiteral("qxsysset")},
        {QStringLiteral("添加数据"), QStringLiteral("qxadddata")},
        {QStringLiteral("修改库存"), QStringLiteral("qxModifyStock")},
    };
    return all;
}

QVector<Account> load(QString *error)
{
    QVector<Account> out;
    QSqlQuery q = Statement(QStringLiteral("select %1, * from 管理员%2")
                                .arg(RowKey::selectItem(), RowOrder::orderBy()))
                      .exec();
    if (q.lastError().isValid()) {
        if (error)
            *error = Statement::lastError(q);
        return out;
    }
    while (q.next()) {
        Account a;
        a.record = q.record();
        a.name = a.record.value(QStringLiteral("adminname")).toString();
        for (const AdminPermission &p : permissions())
            a.flags << flagFromSql(a.record.value(p.column));
        out << a;
    }
    return out;
}

Result add(const QString &typedName, const QVector<bool> &flags)
{
    const QString name = typedName.trimmed();
    const QString refusal = nameRefusal(name);
    if (!refusal.isEmpty())
        return failure(refusal);
    // The hash takes a while: made before the table is held.
    const QString password = PasswordHash::make(QString::fromLatin1(DefaultPassword));
    Transaction tx(tableName());
    if (!tx.isActive())
        return failure(tx.error());
    const QString taken = nameTakenRefusal(name);
    if (!taken.isEmpty())
        return failure(taken);
    Statement st(QStringLiteral("insert into 管理员 (adminname,pwd"));
    for (const AdminPermission &p : permissions())
        st.text(QStringLiteral(",") + p.column);
    for (const QString &c : unshownColumns())
        st.text(QStringLiteral(",") + c);
    st.text(QStringLiteral(") values (")).value(name).text(QStringLiteral(",")).value(password);
    for (int i = 0; i < permissions().size(); ++i)
        st.text(QStringLiteral(",")).value(flags.value(i) ? 1 : 0);
    for (int i = 0; i < unshownColumns().size(); ++i)
        st.text(QStringLiteral(",")).value(0);
    st.text(QStringLiteral(")"));
    QString error;
    if (!st.run(&error) || !tx.commit(&error))
        return failure(error);
    return Result{true, QString()};
}

Result update(const Account &original, const QString &typedName, const QVector<bool> &flags)
{
    const QString name = typedName.trimmed();
    const QString refusal = nameRefusal(name);
    if (!refusal.isEmpty())
        return failure(refusal);
    // The login gives every permission to the account by this name.
    if (original.name == superName() && name != superName())
        return failure(QStringLiteral("超级管理员的用户名不能修改!"));
    Transaction tx(tableName());
    if (!tx.isActive())
        return failure(tx.error());
    // Only a new name is checked: the flags of one of two namesakes an older database may
    // hold can still be changed.
    if (name != original.name) {
        const QString taken = nameTakenRefusal(name);
        if (!taken.isEmpty())
            return failure(taken);
    }
    Statement st(QStringLiteral("update 管理员 set adminname="));
    st.value(name);
    for (int i = 0; i < permissions().size(); ++i)
        st.text(QStringLiteral(",") + permissions()[i].column + QStringLiteral("="))
            .value(flags.value(i) ? 1 : 0);
    RowKey::appendRowMatch(st, original.record, recordColumns(original.record));
    QSqlQuery q = st.exec();
    if (q.lastError().isValid())
        return failure(Statement::lastError(q));
    if (q.numRowsAffected() != 1)
        return failure(QStringLiteral("该管理员已被别处修改或删除, 列表已重新读取, 请再试一次!"));
    q.finish();
    QString error;
    if (!tx.commit(&error))
        return failure(error);
    return Result{true, QString()};
}

QString deleteRefusal(const Account *account)
{
    if (!account)
        return QStringLiteral("请先在列表中选中要删除的管理员!");
    if (account->name == superName())
        return QStringLiteral("超级管理员 不能删除！");
    return QString();
}

QString deleteQuestion(const Account &account)
{
    return QStringLiteral("您是否要删除\" ") + account.name + QStringLiteral("\"");
}

Result remove(const Account &account)
{
    const QString refusal = deleteRefusal(&account);
    if (!refusal.isEmpty())
        return failure(refusal);
    Statement st(QStringLiteral("delete from 管理员"));
    RowKey::appendRowMatch(st, account.record, recordColumns(account.record));
    QSqlQuery q = st.exec();
    if (q.lastError().isValid())
        return failure(Statement::lastError(q));
    if (q.numRowsAffected() != 1)
        return failure(QStringLiteral("该管理员已被别处修改或删除, 列表已重新读取, 请再试一次!"));
    return Result{true, QString()};
}

Result changePassword(const QString &adminName, const QString &oldPassword,
                      const QString &newPassword, const QString &confirmation)
{
    Statement find(
        QStringLiteral("select %1, pwd from 管理员 where adminname=").arg(RowKey::selectItem()));
    find.value(adminName);
    QSqlQuery q = find.exec();
    if (q.lastError().isValid())
        return failure(Statement::lastError(q));
    // Every row of this name that the old password opens: of two namesakes an older
    // database may hold, the twin must not keep admitting the old password.
    QVector<QSqlRecord> accounts;
    while (q.next()) {
        if (PasswordHash::matches(oldPassword, q.value(QStringLiteral("pwd")).toString()))
            accounts << q.record();
    }
    q.finish();
    if (accounts.isEmpty())
        return failure(QStringLiteral("旧密码输入错误！"));
    if (newPassword != confirmation)
        return failure(QStringLiteral("两次输入的新密码不一致！"));
    Transaction tx;
    const QString hash = PasswordHash::make(newPassword);
    for (const QSqlRecord &account : accounts) {
        Statement st(QStringLiteral("update 管理员 set pwd="));
        st.value(hash);
        RowKey::appendRowMatch(st, account, {QStringLiteral("pwd")});
        QSqlQuery u = st.exec();
        if (u.lastError().isValid())
            return failure(Statement::lastError(u));
        if (u.numRowsAffected() != 1)
            return failure(QStringLiteral("密码已被别处修改, 请重新输入!"));
    }
    QString error;
    if (!tx.commit(&error))
        return failure(error);
    return Result{true, QString()};
}

} // namespace AdminAccounts
