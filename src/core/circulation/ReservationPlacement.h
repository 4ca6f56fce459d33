#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

// Places one reservation into an item row, as a reservation desk outside the windows does:
// 预定状况 = the reader's 读者编号, 预定到期时间 = the moment it lapses. The borrowing
// honours it, lapses it and consumes it.
namespace ReservationPlacement {

struct Outcome {
    bool placed = false;
    QString message; // what was reserved, or why not
};

// What a placement may take over besides a free item or a lapsed reservation, and what it
// asks of the item besides.
struct Conditions {
    // The reader's own reservation is placed again with the new time.
    bool holderMayRenew = true;
    // Only while no copy is on the shelf (数量 0 or less, or none written) and the item is
    // not "不外借": a reader reserving from outside waits for a copy that can be lent.
    bool onlyWhenNoCopyOnShelf = false;
};

// The one conditional update every placement makes: the item row of kind ("图书" or "期刊")
// and 编号 gets 预定状况 = readerNumber and 预定到期时间 = until, unless another reader's
// reservation still holds (预定到期时间 not before now; a null time holds until cleared).
// The check and the write are one statement, so two placements cannot both take the item.
// 1 when placed; 0 when the row refused it or does not exist; -1 with the database's text in
// error.
int write(const QSqlDatabase &db, const QString &kind, const QString &number,
          const QString &readerNumber, const QDateTime &until, const QDateTime &now,
          const Conditions &conditions, QString *error);

// "yyyy-mm-dd" (that day at 00:00) or "yyyy-mm-dd hh:mm:ss"; an invalid moment otherwise.
QDateTime parseMoment(const QString &text);

// item: a 条形码, or an 编号 where no item has that 条形码 (图书, then 期刊); reader: a
// 读者编号 or CardId; until: as parseMoment reads it, later than now. An item reserved by
// another reader is refused while that reservation holds (预定到期时间 not before now); the
// check and the write are one statement, so two desks cannot both take the same item.
Outcome place(const QString &item, const QString &reader, const QString &until,
              const QDateTime &now);

} // namespace ReservationPlacement
