#pragma once

#include "ReportModel.h"
#include "ReportRows.h"
#include "grid/CellFormat.h"

#include <QDateTime>

// A column of a printed list.
struct ReportColumn {
    QString field;
    QString title;
    double width = 0; // millimetres; 0 shares the width the other columns leave
    CellFormat format = CellFormat::Auto;
};

// A labelled sum of one field, e.g. {" 价格合计:", "价格", CellFormat::Money}.
struct ReportSum {
    QString label;
    QString field;
    CellFormat format = CellFormat::Auto;
};

// The list report: on every page the title, a heading line, the column titles, then one
// line per row; after the last row a totals line; at the foot of every page an optional line
// of this page's sums, and the footer with the print date and time, sums over the whole list
// and the page number. Texts may hold [DATE], [TIME], [PAGE] and [PAGES].
struct ListReportSpec {
    QString title;
    QString heading = QStringLiteral("[DATE]       [TIME]");
    QVector<ReportColumn> columns;
    QVector<ReportSum> totals; // the line after the rows (none when empty)
    QString footer = QStringLiteral("打印时间: [DATE] [TIME]");
    QVector<ReportSum> footerTotals; // follow the footer text on every page, over all rows
    bool pageNumbers = true;         // "第 n 页 / 共 m 页" at the right of the footer
    QVector<ReportSum> pageSums;     // above the footer: sums over the rows of that page
    QString pageSumsLabel = QStringLiteral("本页小计:");
    QDateTime printedAt; // invalid: the moment the report is built
    QSizeF pageSize{210, 297};
    double fontSize = 9;
};

ReportModel buildListReport(const ListReportSpec &setup, const ReportRows &rows);
