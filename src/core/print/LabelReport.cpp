#include "LabelReport.h"

#include "ReportText.h"

ReportModel buildLabels(const LabelSpec &setup, const ReportRows &rows)
{
    ReportModel model;
    model.title = setup.title;
    model.pageSize = setup.pageSize;
    const double left = setup.margin;
    const double width = setup.pageSize.width() - 2 * setup.margin;
    const double bottom = setup.pageSize.height() - setup.margin;

    double linesHeight = 0;
    for (const LabelLine &line : setup.lines)
        linesHeight += ReportText::lineHeight(line.fontSize);
    const bool withBarcode = !setup.barcodeField.isEmpty();
    const double barcodeHeight =
        !withBarcode ? 0
        : setup.barcodeHeight > 0
            ? setup.barcodeHeight
            : qMax(8.0, setup.pageSize.height() - 2 * setup.margin - linesHeight - 1);

    for (int r = 0; r < rows.count(); ++r) {
        ReportPage &page = model.addPage();
        double y = setup.margin;
        auto addBarcode = [&] {
            const QString value = rows.value(r, setup.barcodeField).toString().trimmed();
            ReportItem &item =
                model.addBarcode(page, QRectF(left, y, width, qMin(barcodeHeight, bottom - y)),
                                 Barcode::encode(setup.symbology, value));
            item.row = r;
            item.field = setup.barcodeField;
            y += barcodeHeight + 1;
        };
        if (withBarcode && setup.barcodeFirst)
            addBarcode();
        for (const LabelLine &line : setup.lines) {
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
        if (withBarcode && !setup.barcodeFirst)
            addBarcode();
    }
    return model;
}
