#include "ReportText.h"

#include "db/Money.h"

namespace ReportText {

QString value(const ReportRows &rows, int row, const QString &field, CellFormat format)
{
    return CellText::format(rows.value(row, field), format);
}

QString sum(const ReportRows &rows, const QString &field, CellFormat format, int from, int to)
{
    if (to < 0 || to > rows.count())
        to = rows.count();
    Money total;
    for (int r = qMax(0, from); r < to; ++r)
        total += Money::fromVariant(rows.value(r, field));
    return format == CellFormat::Money ? total.toFixed2() : total.toString();
}

QString dateText(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd"));
}

QString timeText(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("hh:mm:ss"));
}

QString expand(QString text, const QDateTime &printedAt, int page, int pages)
{
    text.replace(QStringLiteral("[DATE]"), dateText(printedAt));
    text.replace(QStringLiteral("[TIME]"), timeText(printedAt));
    text.replace(QStringLiteral("[PAGES]"), QString::number(pages));
    text.replace(QStringLiteral("[PAGE]"), QString::number(page));
    return text;
}

} // namespace ReportText
