#include "LoginService.h"

#include "PasswordHash.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/RowOrder.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// The permission columns a login reads; qxDjXg is read by nobody but marks the table of
// this version.
const char *const kPermissionColumns[] = {"qxadmin",  "qxdel",     "qxbk",          "qxrd",
                                          "qxqk",     "qxwp",      "qxbkxg",        "qxrdxg",
                                          "qxqkxg",   "qxwpxg",    "qxborrow",      "qxreturn",
                                          "qxsysset", "qxadddata", "qxModifyStock", "qxDjXg"};

void applyFlags(LoginContext &c, const QSqlRecord &row)
{
    auto flag = [&row](const char *column) {
        return flagFromSql(row.value(QString::fromLatin1(column)));
    };
    c.qxadmin = flag("qxadmin");
    c.qxdel = flag("qxdel");
    c.qxbk = flag("qxbk");
    c.qxrd = flag("qxrd");
    c.qxqk = flag("qxqk");
    c.qxwp = flag("qxwp");
    c.qxbkxg = flag("qxbkxg");
    c.qxrdxg = flag("qxrdxg");
    c.qxqkxg = flag("qxqkxg");
    c.qxwpxg = flag("qxwpxg");
    c.qxborrow = flag("qxborrow");
    c.qxreturn = flag("qxreturn");
    c.qxsysset = flag("qxsysset");
    c.qxadddata = flag("qxadddata");
    c.qxModifyStock = flag("qxModifyStock");
}

// The super administrator may do everything; changing stock quantities by hand stays a
// separate grant even for him.
void grantAll(LoginContext &c)
{
    for (bool *f : {&c.qxadmin, &c.qxdel, &c.qxbk, &c.qxrd, &c.qxqk, &c.qxwp, &c.qxbkxg, &c.qxrdxg,
                    &c.qxqkxg, &c.qxwpxg, &c.qxborrow, &c.qxreturn, &c.qxsysset, &c.qxadddata})
        *f = true;
}

QString labelOrDefault(const QVariant &value, const char *fallback)
{
    const QString label = value.toString();
    return label.trimmed().isEmpty() ? QString::fromUtf8(fallback) : label;
}

} // namespace

LoginService::LoginService(LoginContext &context, QSqlDatabase db)
    : m_context(context)
    , m_db(db.isValid() ? db : SharedConnection::database())
{}

LoginService::DatabaseCheck LoginService::checkDatabase()
{
    m_names.clear();
    QSqlQuery q =
        Statement(QStringLiteral("select * from 管理员") + RowOrder::orderBy(m_db)).exec(m_db);
    if (!q.isActive())
        return DatabaseCheck::NoAdministratorTable;
    const QSqlRecord columns = q.record();
    for (const char *column : kPermissionColumns) {
        if (columns.indexOf(QString::fromLatin1(column)) < 0)
            return DatabaseCheck::OldAdministratorTable;
    }
    const int nameColumn = columns.indexOf(QStringLiteral("adminname"));
    while (q.next())
        m_names.append(q.value(nameColumn).toString());
    return m_names.isEmpty() ? DatabaseCheck::NoAdministrators : DatabaseCheck::Ok;
}

QString LoginService::message(DatabaseCheck check)
{
    switch (check) {
    case DatabaseCheck::Ok:
        break;
    case DatabaseCheck::NoAdministratorTable:
        return QStringLiteral("请使用对应的版本@!aaa");
    case DatabaseCheck::OldAdministratorTable:
        return QStringLiteral("请使用对应的版本@!bbb");
    case DatabaseCheck::NoAdministrators:
        return QStringLiteral("没有管理员账户,请重新创建数据库或联系系统管理员.");
    }
    return QString();
}

bool LoginService::superAdministratorHasDefaultPassword() const
{
    QSqlQuery q = Statement(QStringLiteral("select pwd from 管理员 where adminname="))
                      .value(QString::fromUtf8(SuperAdminName))
                      .exec(m_db);
    return q.next() &&
           PasswordHash::matches(QString::fromLatin1(DefaultPassword), q.value(0).toString());
}

bool LoginService::readSettings(QString *error)
{
    // The first row, the same one for ever: the settings window edits this one too.
    QSqlQuery q =
        Statement(QStringLiteral("select * from 系统设置") + RowOrder::orderBy(m_db)).exec(m_db);
    if (!q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    LoginContext &c = m_context;
    if (!q.next()) {
        // Without a settings row every function stays off and the labels keep their names.
        c.customListLabel1 = QStringLiteral("密级");
        c.customListLabel2 = QStringLiteral("a2");
        c.customListLabel3 = QStringLiteral("a3");
        return true;
    }
    auto v = [&q](const char *column) { return q.value(QString::fromUtf8(column)); };
    c.rentEnabled = flagFromSql(v("启用租金功能"));
    c.readerRentEnabled = flagFromSql(v("启用读者租金"));
    c.readerValidityEnabled = flagFromSql(v("启用读者有效期"));
    c.overdueFineEnabled = flagFromSql(v("启用超期罚金"));
    c.loanLimitEnabled = flagFromSql(v("借阅数量限制功能"));
    c.libraryName = v("图书馆名").toString();
    c.overdueFinePerDay = Money::fromVariant(v("超期每日罚金"));
    c.openingFee = Money::fromVariant(v("开户费"));
    c.showClass = flagFromSql(v("显示班级"));
    c.showFaculty = flagFromSql(v("显示院系"));
    c.reservationEnabled = flagFromSql(v("启用预定功能"));
    // A label left empty (NULL, or "" from an older save) keeps the list's own name: an
    // empty one would leave the menu entries a bare "设置".
    c.customListLabel1 = labelOrDefault(v("a1"), "密级");
    c.customListLabel2 = labelOrDefault(v("a2"), "a2");
    c.customListLabel3 = labelOrDefault(v("a3"), "a3");
    return true;
}

LoginService::Result LoginService::login(const QString &typedName, const QString &password,
                                         QString *error)
{
    // The name is matched as typed; the stored passwords are hashes, so the password is
    // compared here rather than in the statement.
    QSqlQuery q = Statement(QStringLiteral("select * from 管理员 where adminname="))
                      .value(typedName)
                      .text(RowOrder::orderBy(m_db))
                      .exec(m_db);
    if (!q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return Result::Failed;
    }
    QSqlRecord row;
    bool found = false;
    while (!found && q.next()) {
        row = q.record();
        // A row without a password admits nobody, as "pwd=''" never matched NULL.
        const QVariant stored = row.value(QStringLiteral("pwd"));
        found = !stored.isNull() && PasswordHash::matches(password, stored.toString());
    }
    q.finish();
    if (!found)
        return Result::WrongPassword;

    const QVariant stored = row.value(QStringLiteral("pwd"));
    if (!PasswordHash::isHash(stored.toString())) {
        // An older database keeps passwords as text: the hash replaces it at this login. The
        // login goes on even if the database refuses the write.
        Statement(QStringLiteral("update 管理员 set pwd="))
            .value(PasswordHash::make(password))
            .text(QStringLiteral(" where adminname="))
            .value(typedName)
            .text(QStringLiteral(" and pwd="))
            .value(stored.toString())
            .run(m_db, nullptr);
    }
    applyFlags(m_context, row);
    const QString name = typedName.trimmed();
    if (name == QString::fromUtf8(SuperAdminName))
        grantAll(m_context);
    m_context.adminName = name;
    return Result::Accepted;
}

bool LoginService::actAs(const QString &name, QString *error)
{
    for (const QString &candidate : {name, name.trimmed()}) {
        QSqlQuery q = Statement(QStringLiteral("select * from 管理员 where adminname="))
                          .value(candidate)
                          .text(RowOrder::orderBy(m_db))
                          .exec(m_db);
        if (!q.isActive()) {
            *error = Statement::lastError(q);
            return false;
        }
        if (!q.next())
            continue;
        applyFlags(m_context, q.record());
        const QString trimmed = candidate.trimmed();
        if (trimmed == QString::fromUtf8(SuperAdminName))
            grantAll(m_context);
        m_context.adminName = trimmed;
        return true;
    }
    *error = QStringLiteral("没有名为 \"%1\" 的管理员.").arg(name.trimmed());
    return false;
}
