// Signing in and changing the password.
#include "ReaderPortal.h"

#include "ReaderPortalRows.h"
#include "admin/LoginThrottle.h"
#include "admin/PasswordHash.h"
#include "db/LoginContext.h"

#include <QSqlQuery>

using namespace ReaderPortalRows;

namespace {

const QString kWrong = QStringLiteral("读者编号/卡号或密码不正确.");

struct StoredReader {
    bool found = false;
    QString number;
    QVariant password; // 密码 as stored: a hash, plain text, or null
};

// A hash that no password is compared with in earnest: checking a typed password against
// it costs what checking a real hash costs, so the time of an answer does not tell whether
// the reader exists or whether his password is still plain text.
const QString &decoyHash()
{
    static const QString hash = PasswordHash::make(QStringLiteral("decoy"));
    return hash;
}

// True when the typed password opens the stored one; the time taken is that of one hash.
bool passwordOpens(const QString &password, const QVariant &stored)
{
    // A reader without a password is let in by nobody.
    if (stored.isNull()) {
        PasswordHash::matches(password, decoyHash());
        return false;
    }
    const QString value = stored.toString();
    if (PasswordHash::isHash(value))
        return PasswordHash::matches(password, value);
    PasswordHash::matches(password, decoyHash());
    return password == value;
}

// Replaces a plain-text password by its hash, only if it is still that text: two sign-ins at
// once write one hash each and the second finds nothing to change.
bool storeHash(const QSqlDatabase &db, const QString &readerNumber, const QString &password,
               const QString &expectedStored, int *changed, QString *error)
{
    QSqlQuery q = Statement(QStringLiteral("update 读者库 set 密码="))
                      .value(PasswordHash::make(password))
                      .text(QStringLiteral(" where 读者编号="))
                      .value(readerNumber)
                      .text(QStringLiteral(" and 密码="))
                      .value(expectedStored)
                      .exec(db);
    if (!q.isActive()) {
        *error = Statement::lastError(q);
        return false;
    }
    *changed = q.numRowsAffected();
    return true;
}

// The reader with that 读者编号, or else the one reader with that CardId.
bool findReader(const QSqlDatabase &db, const QString &typed, StoredReader *reader, QString *error)
{
    for (const char *column : {"读者编号", "CardId"}) {
        QSqlQuery q = Statement(QStringLiteral("select 读者编号, 密码 from 读者库 where %1=")
                                    .arg(QString::fromUtf8(column)))
                          .value(typed)
                          .text(QStringLiteral(" order by 读者编号"))
                          .exec(db);
        if (!q.isActive()) {
            *error = Statement::lastError(q);
            return false;
        }
        if (!q.next())
            continue;
        StoredReader first{true, text(q.value(0)), q.value(1)};
        // A card number that several readers carry names none of them.
        if (q.next())
            return true;
        // A reader without a number cannot be named by the pages afterwards.
        if (!first.number.isEmpty())
            *reader = first;
        return true;
    }
    return true;
}

} // namespace

ReaderPortal::SignIn ReaderPortal::signIn(const QString &typed, const QString &password,
                                          const QDateTime &now)
{
    SignIn out;
    const QString typedText = typed.trimmed();
    if (typedText.isEmpty() || password.isEmpty()) {
        out.status = SignIn::WrongPassword;
        out.message = QStringLiteral("请输入读者编号(或卡号)和密码.");
        return out;
    }
    StoredReader reader;
    const bool unusable =
        !searchable(typedText, MaxNumberLength) || password.size() > MaxPasswordLength;
    if (!unusable) {
        QString error;
        if (!findReader(m_db, typedText, &reader, &error))
            return failed(out, error);
    }
    // A known reader's wrong passwords count together whether he typed his number or his card;
    // an unknown text counts on its own, so every text behaves alike.
    const QString key = reader.found ? reader.number : typedText.left(MaxNumberLength);
    const qint64 ms = now.toMSecsSinceEpoch();
    const qint64 wait = m_throttle.admit(key, ms);
    if (wait > 0) {
        out.status = SignIn::Throttled;
        out.waitMs = wait;
        out.message = m_throttle.waitMessage(key, ms);
        return out;
    }
    if (unusable || !reader.found || !passwordOpens(password, reader.password)) {
        out.status = SignIn::WrongPassword;
        out.message = kWrong;
        return out;
    }
    m_throttle.accepted(key);

    const QString stored = reader.password.toString();
    if (!PasswordHash::isHash(stored)) {
        // The sign-in goes on even if the database refuses the write: the password was right.
        int changed = 0;
        storeHash(m_db, reader.number, password, stored, &changed, &out.detail);
    }
    const Standing st = standing(reader.number, now);
    switch (st.status) {
    case Standing::Active:
        out.status = SignIn::SignedIn;
        out.readerNumber = reader.number;
        out.defaultPassword = password == QString::fromLatin1(DefaultPassword);
        return out;
    case Standing::Suspended:
        out.status = SignIn::Suspended;
        break;
    case Standing::Expired:
        out.status = SignIn::Expired;
        break;
    case Standing::Gone:
        // Deleted between the two reads.
        out.status = SignIn::WrongPassword;
        out.message = kWrong;
        return out;
    case Standing::Failed:
        out.status = SignIn::Failed;
        out.detail = st.detail;
        break;
    }
    out.message = st.message;
    return out;
}

QString ReaderPortal::passwordRule()
{
    return QStringLiteral("新密码长度为%1到%2位.")
        .arg(MinNewPasswordLength)
        .arg(MaxNewPasswordLength);
}

QString ReaderPortal::passwordRuleProblem(const QString &newPassword)
{
    if (newPassword.size() < MinNewPasswordLength)
        return QStringLiteral("新密码至少要%1位.").arg(MinNewPasswordLength);
    if (newPassword.size() > MaxNewPasswordLength)
        return QStringLiteral("新密码最多%1位.").arg(MaxNewPasswordLength);
    if (newPassword.trimmed().isEmpty())
        return QStringLiteral("新密码不能全是空格.");
    return QString();
}

ReaderPortal::PasswordChange ReaderPortal::changePassword(const QString &readerNumber,
                                                          const QString &oldPassword,
                                                          const QString &newPassword,
                                                          const QString &confirmation,
                                                          const QDateTime &now)
{
    PasswordChange out;
    const qint64 ms = now.toMSecsSinceEpoch();
    if (readerNumber.isEmpty()) {
        out.status = PasswordChange::WrongOldPassword;
        out.message = QStringLiteral("旧密码输入错误！");
        return out;
    }
    // A session left open must not let anyone try old passwords faster than the sign-in.
    const qint64 wait = m_throttle.admit(readerNumber, ms);
    if (wait > 0) {
        out.status = PasswordChange::Throttled;
        out.waitMs = wait;
        out.message = m_throttle.waitMessage(readerNumber, ms);
        return out;
    }
    QSqlQuery q = Statement(QStringLiteral("select 密码 from 读者库 where 读者编号="))
                      .value(readerNumber)
                      .exec(m_db);
    if (!q.isActive())
        return failed(out, q);
    const bool found = q.next();
    const QVariant stored = found ? q.value(0) : QVariant();
    q.finish();
    if (oldPassword.size() > MaxPasswordLength || !found || !passwordOpens(oldPassword, stored)) {
        out.status = PasswordChange::WrongOldPassword;
        out.message = QStringLiteral("旧密码输入错误！");
        return out;
    }
    m_throttle.accepted(readerNumber);
    if (newPassword != confirmation) {
        out.status = PasswordChange::Mismatch;
        out.message = QStringLiteral("两次输入的新密码不一致！");
        return out;
    }
    const QString problem = passwordRuleProblem(newPassword);
    if (!problem.isEmpty()) {
        out.status = PasswordChange::Unacceptable;
        out.message = problem;
        return out;
    }
    int changed = 0;
    QString error;
    if (!storeHash(m_db, readerNumber, newPassword, stored.toString(), &changed, &error))
        return failed(out, error);
    if (changed != 1) {
        // Changed from elsewhere since it was read: the old password checked is gone.
        out.status = PasswordChange::WrongOldPassword;
        out.message = QStringLiteral("密码刚刚被修改过,请重新输入旧密码.");
        return out;
    }
    out.status = PasswordChange::Changed;
    out.message = QStringLiteral("密码修改成功.");
    return out;
}
