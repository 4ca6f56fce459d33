#include "ReaderPortal.h"

#include "ReaderPortalRows.h"
#include "db/LoginContext.h"
#include "db/RowOrder.h"
#include "db/SharedConnection.h"

#include <QSqlQuery>

using namespace ReaderPortalRows;

ReaderPortal::ReaderPortal(KeyedLoginThrottle &throttle, QSqlDatabase db)
    : m_throttle(throttle)
    , m_db(db.isValid() ? db : SharedConnection::database())
{}

ReaderPortal::Standing ReaderPortal::standing(const QString &readerNumber, const QDateTime &now)
{
    Standing out;
    if (readerNumber.isEmpty()) {
        out.status = Standing::Gone;
        out.message = QStringLiteral("没有该读者的资料,请重新登录.");
        return out;
    }
    QSqlQuery q = Statement(QStringLiteral("select 状态, 有效期 from 读者库 where 读者编号="))
                      .value(readerNumber)
                      .exec(m_db);
    if (!q.isActive())
        return failed(out, q);
    if (!q.next()) {
        out.status = Standing::Gone;
        out.message = QStringLiteral("没有该读者的资料,请重新登录.");
        return out;
    }
    const QString state = text(q.value(0));
    if (state != QStringLiteral("正常")) {
        out.status = Standing::Suspended;
        out.message = QStringLiteral("您的借阅证状态是\"%1\",只有状态为\"正常\"的读者才能使用,"
                                     "请与图书馆联系.")
                          .arg(state);
        return out;
    }
    // As at the desk: a card valid until today may still be used.
    const QDate validUntil = dateFromSql(q.value(1));
    if (loginContext().readerValidityEnabled && validUntil.isValid() && validUntil < now.date()) {
        out.status = Standing::Expired;
        out.message = QStringLiteral("您的借阅证有效期是: %1 ,已经过期,请与图书馆联系.")
                          .arg(validUntil.toString(QStringLiteral("yyyy-MM-dd")));
        return out;
    }
    out.status = Standing::Active;
    return out;
}

ReaderPortal::Account ReaderPortal::account(const QString &readerNumber)
{
    Account out;
    out.validityEnforced = loginContext().readerValidityEnabled;
    QSqlQuery q = Statement(QStringLiteral("select 读者编号, 读者姓名, CardId, 类别, 状态, 有效期, "
                                           "卡内金额, 未还数量, 累计借阅次数 from 读者库 where "
                                           "读者编号="))
                      .value(readerNumber)
                      .exec(m_db);
    if (!q.isActive())
        return failed(out, q);
    if (readerNumber.isEmpty() || !q.next()) {
        out.message = QStringLiteral("没有该读者的资料,请重新登录.");
        return out;
    }
    out.readerNumber = text(q.value(0));
    out.name = text(q.value(1));
    out.cardId = text(q.value(2));
    out.category = text(q.value(3));
    out.state = text(q.value(4));
    out.validUntil = dateFromSql(q.value(5));
    out.balance = Money::fromVariant(q.value(6));
    out.onLoan = number(q.value(7));
    out.totalLoans = number(q.value(8));
    q.finish();

    // The lending rules of the category: the first row of that name, as the desk reads it.
    QSqlQuery c =
        Statement(QStringLiteral("select 借阅天数, 借阅数量限制 from 读者类别 where 类别名="))
            .value(out.category)
            .text(RowOrder::orderBy(m_db))
            .exec(m_db);
    if (!c.isActive())
        return failed(out, c);
    if (c.next()) {
        out.loanDays = number(c.value(0));
        out.loanLimit = number(c.value(1));
    }
    out.ok = true;
    return out;
}
