#pragma once

#include "Barcode.h"
#include "ReportModel.h"
#include "ReportRows.h"
#include "grid/CellFormat.h"

// One line of a label: a caption followed by a field's value (either may be empty).
struct LabelLine {
    QString caption;
    QString field;
    CellFormat format = CellFormat::Auto;
    double fontSize = 9;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Labels: one small page per row, with lines of text and an optional barcode of a field
// with its text under the bars.
struct LabelSpec {
    QString title = QStringLiteral("标签");
    QSizeF pageSize{60, 40}; // millimetres
    double margin = 2;
    QVector<LabelLine> lines;
    QString barcodeField; // empty: no barcode
    Barcode::Symbology symbology = Barcode::Symbology::Code39;
    bool barcodeFirst = false; // the barcode above the lines instead of under them
    double barcodeHeight = 0;  // millimetres, text included; 0: the rest of the label
};

ReportModel buildLabels(const LabelSpec &setup, const ReportRows &rows);
