#pragma once

#include "db/Statement.h"
#include "print/ReportModel.h"
#include "print/ReportRows.h"

#include <QDateTime>
#include <QString>

// The printed reports of book management, over the books its grid shows (in its order) or
// over the current book alone.
namespace BookReports {

// Which report, and whether it is the single-book form (单打).
enum class Kind { List, Barcodes, SpineLabels, CatalogueCards, ClassLabels };

// The fields of 图书 each report reads.
QStringList fieldsOf(Kind kind);

// The book list: the print date and time, the column titles 图书编号, 条形码, 书名, 分类,
// 存放位置, 数量, one line per book, and at the foot of each page the sums of 数量 and 价格
// over the whole list.
ReportModel list(const ReportRows &books, const QDateTime &printedAt);
// One Code 128 (set A) barcode of 条形码 per book, its text under the bars.
ReportModel barcodes(const ReportRows &books);
// Spine labels, four lines: 编号, 分类号, zch, 条形码; for the current book alone
// (single) 分类号, 编号, 条形码, zch.
ReportModel spineLabels(const ReportRows &books, bool single = false);
// Framed catalogue cards; the single card leaves out 编号, 价格 and 分类号.
ReportModel catalogueCards(const ReportRows &books, bool single = false);
// 分类号 alone, one label per book.
ReportModel classLabels(const ReportRows &books);

// The report of a kind over the books of a statement; false with the database's message.
bool build(Kind kind, const Statement &books, const QDateTime &printedAt, ReportModel *report,
           QString *error = nullptr);

} // namespace BookReports
