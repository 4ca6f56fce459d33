#pragma once

#include "db/Statement.h"
#include "search/ColumnSearch.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The statements of book management: the newest part of the catalogue at the opening, all of
// it on 显示全部, the search by one column and the intake dates, the combined search, and the
// summary line over the whole table.
namespace BookSearch {

// The first 2000 books by number, then barcode.
inline constexpr int kOpeningRows = 2000;
Statement openingStatement();
// "select * from 图书": every book, in the database's order.
Statement allStatement();

// The column chooser's items, in order; 编号 is preset.
QStringList columnChoices();
inline constexpr const char *DefaultChoice = "编号";

using Match = ColumnSearch::Match;

struct Conditions {
    QString choice;                // the column chooser's text (empty: 编号)
    QString value;                 // the value box
    Match match = Match::Contains; // 精确 / 模糊
    bool dateRange = false;        // 入库时间 ticked
    QDate from;
    QDate to;
};

struct Search {
    bool ok = false;
    QString message;     // why there is no statement (a message for the user)
    Statement statement; // the search to run
    QString value;       // the value box, trimmed
};

// The search the conditions ask for:
// - the value in the chosen column, exactly or contained (taken literally, Latin letters in
//   any case), also within the intake dates when ticked, ordered by number and barcode;
// - with an empty value and the range ticked, the books entered in it, unordered.
// The chooser's text must name a column of 图书.
Search build(const Conditions &conditions);

// The combined search: two comparisons of 编号, 条形码 or 名称 (as text) and a sort order,
// each picked from fixed choices.
QStringList combinedColumns();
QStringList combinedOperators(); // =, >, >=, <, <=
struct Combined {
    QString column1 = QStringLiteral("编号");
    QString operator1 = QStringLiteral(">=");
    QString value1;
    QString column2 = QStringLiteral("编号");
    QString operator2 = QStringLiteral("<=");
    QString value2;
    QString sortColumn = QStringLiteral("编号");
    bool descending = false;
};
// No statement (ok false, no message) without a first column and value; a message when a
// column or operator is none of the choices. The second condition counts when it has a value.
Search buildCombined(const Combined &combined);

// The summary line: "总记录数:" count " 总数量:" sum of 数量 " 总价格:" sum of 数量×价格.
// False when a figure cannot be read; the line then stays as it was.
bool summary(QString *line, QString *error = nullptr);

} // namespace BookSearch
