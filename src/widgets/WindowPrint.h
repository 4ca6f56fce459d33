#pragma once

#include <QString>

class QPagedPaintDevice;
class QWidget;

// Printing a window as it looks: its picture (grab()) scaled to the printable page, keeping
// its proportions, centred at the top.
namespace WindowPrint {

// On the default printer. False with a message when there is no printer or it fails.
bool printToDefaultPrinter(QWidget *window, QString *error = nullptr);
// On any paged device (a printer, a PDF writer) whose painter is not active yet.
bool printPicture(QWidget *window, QPagedPaintDevice *device, QString *error = nullptr);

} // namespace WindowPrint
