#pragma once

#include <QDateTime>
#include <QString>

// Places one reservation into an item row, as a reservation desk outside the windows does:
// 预定状况 = the reader's 读者编号, 预定到期时间 = the moment it lapses. The borrowing
// honours it, lapses it and consumes it.
namespace ReservationPlacement {

struct Outcome {
    bool placed = false;
    QString message; // what was reserved, or why not
};

// "yyyy-mm-dd" (that day at 00:00) or "yyyy-mm-dd hh:mm:ss"; an invalid moment otherwise.
QDateTime parseMoment(const QString &text);

// item: a 条形码, or an 编号 where no item has that 条形码 (图书, then 期刊); reader: a
// 读者编号 or CardId; until: as parseMoment reads it, later than now. An item reserved by
// another reader is refused while that reservation holds (预定到期时间 not before now); the
// check and the write are one statement, so two desks cannot both take the same item.
Outcome place(const QString &item, const QString &reader, const QString &until,
              const QDateTime &now);

} // namespace ReservationPlacement
