#pragma once

#include "ReportRows.h"
#include "grid/CellFormat.h"

#include <QDateTime>

// Texts shared by the report templates: values of rows, sums of a field, and the
// placeholders [DATE], [TIME], [PAGE] and [PAGES] of headings and footers.
namespace ReportText {

QString value(const ReportRows &rows, int row, const QString &field, CellFormat format);
// The sum of a field over rows [from, to), exact to the ten-thousandth: money with two
// decimals, anything else in its shortest form.
QString sum(const ReportRows &rows, const QString &field, CellFormat format, int from = 0,
            int to = -1);
QString expand(QString text, const QDateTime &printedAt, int page = 0, int pages = 0);
QString dateText(const QDateTime &moment);
QString timeText(const QDateTime &moment);
// Points to millimetres.
inline double mm(double points)
{
    return points * 25.4 / 72.0;
}
// The height of a line of text of a font size, with room above and below.
inline double lineHeight(double points)
{
    return mm(points) * 1.9;
}

} // namespace ReportText
