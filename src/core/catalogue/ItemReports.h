#pragma once

#include "print/ReportModel.h"
#include "print/ReportRows.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The reports that book and periodical management both print over their lists, each kind
// with its own titles: the list with the totals of 数量 and 价格, the barcode sheet and the
// labels of a few lines.
namespace ItemReports {

// The texts that differ between the kinds' lists.
struct ListTexts {
    QString title;       // the report's name ("图书列表")
    QString numberTitle; // the title over 编号 ("图书编号")
    QString nameTitle;   // the title over 名称 ("书名")
    QString countLabel;  // before the sum of 数量 in the page footer
    QString priceLabel;  // before the sum of 价格
};

// The list: the print date and time, the titles of 编号, 条形码, 名称, 分类, 存放位置, 数量,
// one line per row, and at the foot of each page the sums of 数量 and 价格 over the whole list.
ReportModel list(const ListTexts &texts, const ReportRows &rows, const QDateTime &printedAt);
// The fields the list reads.
QStringList listFields();

// One Code 128 (set A, with check character) barcode of 条形码 per row, its text under the
// bars.
ReportModel barcodes(const QString &title, const ReportRows &rows);

// One small label per row with the values of fields, one line each, centred.
ReportModel labels(const QString &title, const QStringList &fields, const ReportRows &rows,
                   double fontSize = 10, const QSizeF &pageSize = QSizeF(40, 30));

} // namespace ItemReports
