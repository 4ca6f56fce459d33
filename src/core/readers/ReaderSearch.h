#pragma once

#include "db/Statement.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The statements of reader management: every reader at the opening, all of them on
// 显示全部, and the search by one column and a range of registration dates.
namespace ReaderSearch {

// "select * from 读者库 order by 1,2": every reader by number, then name.
Statement openingStatement();
// "select * from 读者库": every reader, in the database's order.
Statement allStatement();

// The column chooser's items, in order. Each is a column of 读者库 except 读者卡号.
QStringList columnChoices();
inline constexpr const char *CardNumberChoice = "读者卡号";
inline constexpr const char *DefaultChoice = "读者编号";

// The registration date range a search starts with: from the first of this month up to the
// end of today (the dates are compared at midnight, so the range ends tomorrow).
QDate defaultFrom(const QDate &today);
QDate defaultTo(const QDate &today);

enum class Match { Exact, Contains };

struct Conditions {
    QString choice;                // the column chooser's text
    QString value;                 // the value box
    Match match = Match::Contains; // 精确 / 模糊
    bool dateRange = false;        // 登记日期 ticked
    QDate from;
    QDate to;
};

struct Search {
    bool ok = false;
    QString message;     // why there is no statement (a message for the user)
    Statement statement; // the search to run
    QString value;       // the value box after the search: trimmed, emptied after a card number
};

// The search the conditions ask for:
// - a value in the chosen column, exactly or contained (Latin letters in any case, % and _
//   taken literally), also within the date range when ticked, ordered by number and name;
// - with an empty value and the range ticked, the readers registered in it, unordered.
// The chooser's text must name a column of 读者库 (读者卡号 stands for CardId).
Search build(const Conditions &conditions);

// The column a chooser text stands for, or an empty text when it names no column that can
// be searched.
QString columnOf(const QString &choice);

} // namespace ReaderSearch
