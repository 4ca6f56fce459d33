#pragma once

#include "db/Statement.h"
#include "print/ReportModel.h"
#include "print/ReportRows.h"
#include "search/ColumnSearch.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The statements and reports of periodical management: every issue, the search by one
// column, and the printed list, barcodes and labels.
namespace PeriodicalSearch {

// "select * from 期刊": every issue, in the database's order.
Statement allStatement();

// The column chooser's items, in order; 编号 is preset.
QStringList columnChoices();
inline constexpr const char *DefaultChoice = "编号";

using Match = ColumnSearch::Match;

struct Conditions {
    QString choice; // the column chooser's text
    QString value;  // the value box, as typed
    Match match = Match::Contains;
};

struct Search {
    bool ok = false;
    QString message;     // why there is no statement (a message for the user)
    Statement statement; // the search to run
};

// The issues whose chosen column equals (精确) or contains (模糊) the value as typed, blanks
// included, matched literally; no order is added. An empty chooser or value asks for the
// conditions; the chooser's text must name a column of 期刊.
Search build(const Conditions &conditions);

// The reports; the list and labels of all rows, or of the current one (single).
enum class Report { List, Barcodes, Labels };
QStringList fieldsOf(Report report, bool single = false);
// The list: the print date and time, 编号, 条形码, 名称, 分类, 存放位置, 数量, and in the page
// footer "总数量: " and "  总价格:" with the sums over the whole list.
ReportModel list(const ReportRows &issues, const QDateTime &printedAt);
// One Code 128 (set A) barcode of 条形码 per issue.
ReportModel barcodes(const ReportRows &issues);
// Labels of three lines: 编号, 分类, 条形码; for the current issue alone (single) 国内统一刊号,
// 编号, 条形码.
ReportModel labels(const ReportRows &issues, bool single = false);
// A report of the rows of a statement; false with the database's message.
bool build(Report report, const Statement &issues, const QDateTime &printedAt, ReportModel *out,
           QString *error = nullptr);

} // namespace PeriodicalSearch
