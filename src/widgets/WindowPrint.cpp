#include "WindowPrint.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace WindowPrint {

bool printPicture(QWidget *window, QPagedPaintDevice *device, QString *error)
{
    if (!window || !device) {
        if (error)
            *error = QStringLiteral("没有要打印的窗口");
        return false;
    }
    const QPixmap picture = window->grab();
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("无法取得窗口的图像");
        return false;
    }
    QPainter painter;
    if (!painter.begin(device)) {
        if (error)
            *error = QStringLiteral("无法开始打印");
        return false;
    }
    // The printable area in device pixels; the picture keeps its proportions inside it.
    const QRect page = device->pageLayout().paintRectPixels(device->logicalDpiX());
    QSizeF size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    const QRectF target((page.width() - size.width()) / 2, 0, size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, picture, picture.rect());
    painter.end();
    return true;
}

bool printToDefaultPrinter(QWidget *window, QString *error)
{
    if (QPrinterInfo::defaultPrinter().isNull()) {
        if (error)
            *error = QStringLiteral("没有安装打印机，无法打印");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(window ? window->windowTitle() : QString());
    return printPicture(window, &printer, error);
}

} // namespace WindowPrint
