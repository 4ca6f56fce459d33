#include "LabelReport.h"

#include "ReportText.h"

ReportModel buildLabels(const LabelSpec &spec, const ReportRows &rows)
{
    ReportModel model;
    model.title = spec.title;
    model.pageSize = spec.pageSize;
    const double left = spec.margin;
    const double width = spec.pageSize.width() - 2 * spec.margin;
    const double bottom = spec.pageSize.height() - spec.margin;

    double linesHeight = 0;
    for (const LabelLine &line : spec.lines)
        linesHeight += ReportText::lineHeight(line.fontSize);
    const bool withBarcode = !spec.barcodeField.isEmpty();
    const double barcodeHeight =
        !withBarcode ? 0
        : spec.barcodeHeight > 0
            ? spec.barcodeHeight
            : qMax(8.0, spec.pageSize.height() - 2 * spec.margin - linesHeight - 1);

    for (int r = 0; r < rows.count(); ++r) {
        ReportPage &page = model.addPage();
        double y = spec.margin;
        auto addBarcode = [&] {
            const QString value = rows.value(r, spec.barcodeField).toString().trimmed();
            ReportItem &item =
                model.addBarcode(page, QRectF(left, y, width, qMin(barcodeHeight, bottom - y)),
                                 Barcode::encode(spec.symbology, value));
            item.row = r;
            item.field = spec.barcodeField;
            y += barcodeHeight + 1;
        };
        if (withBarcode && spec.barcodeFirst)
            addBarcode();
        for (const LabelLine &line : spec.lines) {
            const double h = ReportText::lineHeight(line.fontSize);
            const QString value = line.field.isEmpty()
                                      ? QString()
                                      : ReportText::value(rows, r, line.field, line.format);
            ReportItem &item =
                model.addText(page, QRectF(left, y, width, h), line.caption + value, line.fontSize,
                              line.bold, line.alignment, QStringLiteral("line"));
            item.row = r;
            item.field = line.field;
            y += h;
        }
        if (withBarcode && !spec.barcodeFirst)
            addBarcode();
    }
    return model;
}
