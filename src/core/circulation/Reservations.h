#pragma once

#include "db/Statement.h"

#include <QString>

// The reservation list: the books that hold a reservation, and the cancelling of all of them.
// Reservations of periodicals are honoured and consumed by lending but neither listed nor
// cancelled here.
namespace Reservations {

// 编号, 名称, 条形码, 预定状况, 预定到期时间 of every reserved book, in the order of entry.
Statement listStatement();

// Clears 预定状况 and 预定到期时间 of every book, both in one transaction. False with the
// database's text when nothing was written.
bool cancelAll(QString *error = nullptr);

} // namespace Reservations
