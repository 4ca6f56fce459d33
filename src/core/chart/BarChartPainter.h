#pragma once

#include "BarChartModel.h"

class QPainter;
class QPagedPaintDevice;

// Draws a bar chart model: on a widget, an image, a printer or a PDF.
namespace BarChartPainter {

void paint(QPainter *painter, const QRectF &area, const BarChartModel &model);
// Where paint() puts each part in an area (its text size follows the area's size).
BarChartModel::Layout layout(const QRectF &area, const BarChartModel &model);
// One page with the chart filling the printable area; the painter must not be active yet.
bool print(const BarChartModel &model, QPagedPaintDevice *device, QString *error = nullptr);

} // namespace BarChartPainter
