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

    // Free, already the reader's own, or held by a reservation that has lapsed.
    Statement update(QStringLiteral("update %1 set 预定状况=").arg(item.kind));
    update.value(reader.number)
        .text(QStringLiteral(", 预定到期时间="))
        .value(sqlDateTime(until))
        .text(QStringLiteral(" where 编号="))
        .value(item.number)
        .text(QStringLiteral(" and (预定状况 is null or 预定状况="))
        .value(reader.number)
        .text(QStringLiteral(" or 预定到期时间<"))
        .value(sqlDateTime(now))
        .text(QStringLiteral(")"));
    QSqlQuery q = update.exec();
    if (!q.isActive())
        return refused(Statement::lastError(q));
    if (q.numRowsAffected() != 1)
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
