#include "ListReport.h"

#include "ReportText.h"

#include <cmath>

namespace {

constexpr double kMarginX = 15;
constexpr double kMarginTop = 12;
constexpr double kMarginBottom = 12;
constexpr double kTitleSize = 16;

struct Layout {
    double left = kMarginX;
    double right = 0;
    double rowHeight = 0;
    double titleHeight = 0;
    double headingHeight = 0;
    double columnTitleHeight = 0;
    double footerHeight = 0;
    double pageSumHeight = 0;
    double bodyTop = 0;
    double bodyBottom = 0;
    QVector<double> x;      // left edge of each column
    QVector<double> widths; // width of each column
};

Layout layoutFor(const ListReportSpec &setup)
{
    Layout l;
    l.right = setup.pageSize.width() - kMarginX;
    l.rowHeight = ReportText::lineHeight(setup.fontSize);
    l.titleHeight = setup.title.isEmpty() ? 0 : ReportText::lineHeight(kTitleSize);
    l.headingHeight = setup.heading.isEmpty() ? 0 : l.rowHeight;
    l.columnTitleHeight = l.rowHeight + 1;
    l.footerHeight = l.rowHeight + 2;
    l.pageSumHeight = setup.pageSums.isEmpty() ? 0 : l.rowHeight;
    l.bodyTop = kMarginTop + l.titleHeight + l.headingHeight + l.columnTitleHeight;
    l.bodyBottom = setup.pageSize.height() - kMarginBottom - l.footerHeight - l.pageSumHeight;

    // Fixed widths first; columns without one share what is left; too wide a list shrinks.
    const double available = l.right - l.left;
    double fixed = 0;
    int shared = 0;
    for (const ReportColumn &c : setup.columns) {
        fixed += qMax(0.0, c.width);
        shared += c.width <= 0 ? 1 : 0;
    }
    const double share = shared > 0 ? qMax(10.0, (available - fixed) / shared) : 0;
    double total = 0;
    for (const ReportColumn &c : setup.columns) {
        l.widths.append(c.width > 0 ? c.width : share);
        total += l.widths.last();
    }
    const double scale = total > available ? available / total : 1;
    double x = l.left;
    for (double &w : l.widths) {
        w *= scale;
        l.x.append(x);
        x += w;
    }
    return l;
}

Qt::Alignment alignmentOf(CellFormat format)
{
    const bool right = format == CellFormat::Money || format == CellFormat::Number;
    return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QString sumsText(const QVector<ReportSum> &sums, const ReportRows &rows, int from, int to)
{
    QString text;
    for (const ReportSum &s : sums)
        text += s.label + ReportText::sum(rows, s.field, s.format, from, to);
    return text;
}

void addPageHeader(ReportModel &model, ReportPage &page, const ListReportSpec &setup,
                   const Layout &l, const QDateTime &printedAt)
{
    double y = kMarginTop;
    if (!setup.title.isEmpty()) {
        model.addText(page, QRectF(l.left, y, l.right - l.left, l.titleHeight), setup.title,
                      kTitleSize, true, Qt::AlignCenter, QStringLiteral("title"));
        y += l.titleHeight;
    }
    if (!setup.heading.isEmpty()) {
        model.addText(page, QRectF(l.left, y, l.right - l.left, l.headingHeight),
                      ReportText::expand(setup.heading, printedAt), setup.fontSize, false,
                      Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("heading"));
        y += l.headingHeight;
    }
    for (int c = 0; c < setup.columns.size(); ++c) {
        ReportItem &item =
            model.addText(page, QRectF(l.x[c] + 0.5, y, l.widths[c] - 1, l.rowHeight),
                          setup.columns[c].title, setup.fontSize, true,
                          alignmentOf(setup.columns[c].format), QStringLiteral("columnTitle"));
        item.field = setup.columns[c].field;
    }
    model.addLine(page, QPointF(l.left, y + l.rowHeight + 0.5),
                  QPointF(l.right, y + l.rowHeight + 0.5), 0.3, QStringLiteral("rule"));
}

} // namespace

ReportModel buildListReport(const ListReportSpec &setup, const ReportRows &rows)
{
    ReportModel model;
    model.title = setup.title;
    model.pageSize = setup.pageSize;
    const QDateTime printedAt =
        setup.printedAt.isValid() ? setup.printedAt : QDateTime::currentDateTime();
    const Layout l = layoutFor(setup);
    const int perPage = qMax(1, int(std::floor((l.bodyBottom - l.bodyTop) / l.rowHeight + 1e-6)));

    // Rows, page after page; the page of each row range is kept for the page sums.
    QVector<QPair<int, int>> ranges;
    int row = 0;
    do {
        ReportPage &page = model.addPage();
        addPageHeader(model, page, setup, l, printedAt);
        const int end = qMin(rows.count(), row + perPage);
        double y = l.bodyTop;
        for (int r = row; r < end; ++r, y += l.rowHeight) {
            for (int c = 0; c < setup.columns.size(); ++c) {
                const ReportColumn &col = setup.columns[c];
                ReportItem &item =
                    model.addText(page, QRectF(l.x[c] + 0.5, y, l.widths[c] - 1, l.rowHeight),
                                  ReportText::value(rows, r, col.field, col.format), setup.fontSize,
                                  false, alignmentOf(col.format), QStringLiteral("cell"));
                item.row = r;
                item.field = col.field;
            }
        }
        ranges.append({row, end});
        row = end;
    } while (row < rows.count());

    if (!setup.totals.isEmpty()) {
        // After the last row, or on a page of its own when the last page is full.
        const int onLast = ranges.last().second - ranges.last().first;
        double y = l.bodyTop + onLast * l.rowHeight + 1;
        if (y + l.rowHeight > l.bodyBottom + 1e-6) {
            ReportPage &page = model.addPage();
            addPageHeader(model, page, setup, l, printedAt);
            ranges.append({rows.count(), rows.count()});
            y = l.bodyTop;
        }
        ReportPage &page = model.pages.last();
        model.addLine(page, QPointF(l.left, y), QPointF(l.right, y), 0.3, QStringLiteral("rule"));
        model.addText(page, QRectF(l.left, y, l.right - l.left, l.rowHeight),
                      sumsText(setup.totals, rows, 0, rows.count()), setup.fontSize, true,
                      Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("totals"));
    }

    const int pages = model.pageCount();
    const double footerTop = setup.pageSize.height() - kMarginBottom - l.footerHeight;
    const QString wholeSums = sumsText(setup.footerTotals, rows, 0, rows.count());
    for (int p = 0; p < pages; ++p) {
        ReportPage &page = model.pages[p];
        if (!setup.pageSums.isEmpty()) {
            model.addText(
                page,
                QRectF(l.left, footerTop - l.pageSumHeight, l.right - l.left, l.pageSumHeight),
                setup.pageSumsLabel +
                    sumsText(setup.pageSums, rows, ranges[p].first, ranges[p].second),
                setup.fontSize, false, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("pageSum"));
        }
        model.addLine(page, QPointF(l.left, footerTop + 1), QPointF(l.right, footerTop + 1), 0.2,
                      QStringLiteral("rule"));
        const QRectF band(l.left, footerTop + 1, l.right - l.left, l.rowHeight);
        const QRectF textBand = setup.pageNumbers ? band.adjusted(0, 0, -35, 0) : band;
        model.addText(
            page, textBand, ReportText::expand(setup.footer, printedAt, p + 1, pages) + wholeSums,
            setup.fontSize, false, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("pageFooter"));
        if (setup.pageNumbers) {
            model.addText(page, band, QStringLiteral("第 %1 页 / 共 %2 页").arg(p + 1).arg(pages),
                          setup.fontSize, false, Qt::AlignRight | Qt::AlignVCenter,
                          QStringLiteral("pageNumber"));
        }
    }
    return model;
}
