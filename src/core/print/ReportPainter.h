#pragma once

#include "ReportModel.h"

#include <QImage>
#include <QPageLayout>

class QPainter;
class QPagedPaintDevice;

// The one painter of report models: the same drawing goes to the screen preview, a printer
// (QPrinter is a paged device) and a PDF file.
namespace ReportPainter {

// Draws one page so that the whole page fills target (device coordinates).
void paintPage(QPainter *painter, const ReportModel &model, int page, const QRectF &target);
// The page layout of the model: its paper size, landscape when wider than high, no margins.
QPageLayout pageLayout(const ReportModel &model);
// Sets the device's page layout to the model's and draws every page, one device page each.
// The painter must not be active on the device yet.
bool render(const ReportModel &model, QPagedPaintDevice *device, QString *error = nullptr);
// Draws every page on a device that already has a painter (a preview's printer), each page
// scaled to the device's page and centred.
void renderPages(const ReportModel &model, QPainter *painter, QPagedPaintDevice *device);
bool writePdf(const ReportModel &model, const QString &path, QString *error = nullptr);
// One page as a picture at the given resolution (dots per inch), white background.
QImage pageImage(const ReportModel &model, int page, double dpi = 96);

} // namespace ReportPainter
