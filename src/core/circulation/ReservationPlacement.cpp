#include "ReservationPlacement.h"

#include "ScanLookup.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace ReservationPlacement {

namespace {

QString momentText(const QDateTime &moment)
{
    return moment.time() == QTime(0, 0) ? moment.toString(QStringLiteral("yyyy-MM-dd"))
                                        : moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

Outcome refused(const QString &message)
{
    return {false, message};
}

// Who holds the item now, for the refusal.
QString heldMessage(const ScanLookup::Item &item)
{
    QSqlQuery q =
        Statement(
            QStringLiteral("select 预定状况, 预定到期时间 from %1 where 编号=").arg(item.kind))
            .value(item.number)
            .exec();
    if (!q.isActive())
        return Statement::lastError(q);
    if (!q.next())
        return QStringLiteral("没有条形码或编号为 \"%1\" 的图书或期刊.").arg(item.number);
    const QDateTime until = dateTimeFromSql(q.value(1));
    return QStringLiteral("该%1已经被读者编号为: (%2) 的读者预定了,预定到期时间: %3.")
        .arg(item.kind, q.value(0).toString(),
             until.isValid() ? momentText(until) : QStringLiteral("无"));
}

} // namespace

int write(const QSqlDatabase &db, const QString &kind, const QString &number,
          const QString &readerNumber, const QDateTime &until, const QDateTime &now,
          const Conditions &conditions, QString *error)
{
    // The kind names the table: only the two item tables pass.
    if (kind != QStringLiteral("图书") && kind != QStringLiteral("期刊")) {
        if (error)
            *error = QStringLiteral("物品类别只能是“图书”或“期刊”,不能是“%1”").arg(kind);
        return -1;
    }
    // Free, already the reader's own (when he may renew it), or held by a reservation that
    // has lapsed.
    Statement update(QStringLiteral("update %1 set 预定状况=").arg(kind));
    update.value(readerNumber)
        .text(QStringLiteral(", 预定到期时间="))
        .value(sqlDateTime(until))
        .text(QStringLiteral(" where 编号="))
        .value(number)
        .text(QStringLiteral(" and (预定状况 is null"));
    if (conditions.holderMayRenew)
        update.text(QStringLiteral(" or 预定状况=")).value(readerNumber);
    update.text(QStringLiteral(" or 预定到期时间<"))
        .value(sqlDateTime(now))
        .text(QStringLiteral(")"));
    if (conditions.onlyWhenNoCopyOnShelf)
        update.text(QStringLiteral(" and coalesce(数量,0)<=0 and coalesce(状态,'')<>"))
            .value(QStringLiteral("不外借"));
    QSqlQuery q = db.isValid() ? update.exec(db) : update.exec();
    if (!q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return -1;
    }
    return q.numRowsAffected() == 1 ? 1 : 0;
}

QDateTime parseMoment(const QString &text)
{
    const QString t = text.trimmed();
    QDateTime moment;
    if (t.size() == 10) {
        const QDate date = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (date.isValid())
            moment = date.startOfDay();
    } else if (t.size() == 19) {
        moment = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return moment;
}

Outcome place(const QString &itemText, const QString &readerText, const QString &untilText,
              const QDateTime &now)
{
    const QDateTime until = parseMoment(untilText);
    if (!until.isValid())
        return refused(QStringLiteral("预定到期时间 \"%1\" 无效,应为 yyyy-mm-dd 或 "
                                      "yyyy-mm-dd hh:mm:ss.")
                           .arg(untilText));
    if (until <= now)
        return refused(
            QStringLiteral("预定到期时间 %1 已经过去,预定会立即失效.").arg(momentText(until)));
    QString message;
    ScanLookup::Reader reader;
    if (ScanLookup::reader(readerText.trimmed(), &reader, &message) != ScanLookup::Found::One)
        return refused(message);
    ScanLookup::Item item;
    if (ScanLookup::item(itemText.trimmed(), &item, &message) != ScanLookup::Found::One)
        return refused(message);

    QString error;
    const int written = write(QSqlDatabase(), item.kind, item.number, reader.number, until, now,
                              Conditions(), &error);
    if (written < 0)
        return refused(error);
    if (written != 1)
        return refused(heldMessage(item));

    QString placed =
        QStringLiteral("已为读者 %1 (%2) 预定%3 %4 《%5》,预定到期时间: %6.")
            .arg(reader.number, reader.name, item.kind, item.number, item.name, momentText(until));
    // Placed all the same: the setting may be switched on before the reservation lapses.
    if (!loginContext().reservationEnabled)
        placed += QStringLiteral(" (注意: 系统设置中未启用预定功能,借阅时不检查预定.)");
    return {true, placed};
}

} // namespace ReservationPlacement
