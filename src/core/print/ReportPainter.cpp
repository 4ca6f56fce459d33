#include "ReportPainter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace ReportPainter {

namespace {

QFont fontFor(const ReportItem &item, double pixelsPerMm)
{
    QFont font(ReportModel::fontFamily());
    font.setPixelSize(qMax(1, int(std::lround(item.fontSize * 25.4 / 72.0 * pixelsPerMm))));
    font.setBold(item.bold);
    return font;
}

void drawText(QPainter *p, const ReportItem &item, const QRectF &r, double s)
{
    p->setFont(fontFor(item, s));
    p->setPen(Qt::black);
    if (item.wrap) {
        p->drawText(r, int(item.alignment) | Qt::TextWordWrap, item.text);
        return;
    }
    // One line: text that does not fit is cut with an ellipsis instead of running on.
    const QFontMetricsF fm(p->font());
    p->drawText(r, int(item.alignment) | Qt::TextSingleLine,
                fm.elidedText(item.text, Qt::ElideRight, r.width()));
}

void drawBarcode(QPainter *p, const ReportItem &item, const QRectF &r, double s)
{
    p->setFont(fontFor(item, s));
    const double textHeight = QFontMetricsF(p->font()).height() * 1.1;
    const Barcode &code = item.barcode;
    if (!code.hasBars() || r.height() <= textHeight) {
        p->setPen(Qt::black);
        p->drawText(r, Qt::AlignCenter | Qt::TextSingleLine, item.text);
        return;
    }
    // Ten modules of quiet zone on each side; the bars are centred in the item.
    const int modules = code.moduleCount();
    double module = r.width() / (modules + 20);
    // Whole device pixels per module where the device allows it, so that equal bars stay
    // equal on a printer or the screen.
    if (module >= 2)
        module = std::floor(module);
    const double barsLeft = r.left() + (r.width() - modules * module) / 2;
    const QRectF bars(barsLeft, r.top(), modules * module, r.height() - textHeight);
    double x = bars.left();
    bool dark = true;
    for (int w : code.widths()) {
        if (dark)
            p->fillRect(QRectF(x, bars.top(), w * module, bars.height()), Qt::black);
        x += w * module;
        dark = !dark;
    }
    p->setPen(Qt::black);
    p->drawText(QRectF(r.left(), bars.bottom(), r.width(), textHeight),
                Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, item.text);
}

void drawPicture(QPainter *p, const ReportItem &item, const QRectF &r)
{
    if (item.picture.isNull())
        return;
    QSizeF size = item.picture.size();
    size.scale(r.size(), Qt::KeepAspectRatio);
    const QRectF target(r.left() + (r.width() - size.width()) / 2,
                        r.top() + (r.height() - size.height()) / 2, size.width(), size.height());
    p->drawImage(target, item.picture);
}

} // namespace

void paintPage(QPainter *p, const ReportModel &model, int page, const QRectF &target)
{
    if (page < 0 || page >= model.pageCount() || model.pageSize.isEmpty())
        return;
    const double s =
        qMin(target.width() / model.pageSize.width(), target.height() / model.pageSize.height());
    const QPointF origin = target.topLeft();
    const auto map = [&](const QRectF &mm) {
        return QRectF(origin.x() + mm.left() * s, origin.y() + mm.top() * s, mm.width() * s,
                      mm.height() * s);
    };
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    for (const ReportItem &item : model.pages[page].items) {
        const QRectF r = map(item.rect);
        switch (item.kind) {
        case ReportItem::Kind::Text:
            drawText(p, item, r, s);
            break;
        case ReportItem::Kind::Line:
            p->setPen(QPen(Qt::black, qMax(1.0, item.penWidth * s)));
            p->drawLine(r.topLeft(), r.bottomRight());
            break;
        case ReportItem::Kind::Frame:
            p->setPen(QPen(Qt::black, qMax(1.0, item.penWidth * s)));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r);
            break;
        case ReportItem::Kind::Barcode:
            drawBarcode(p, item, r, s);
            break;
        case ReportItem::Kind::Picture:
            drawPicture(p, item, r);
            break;
        }
    }
    p->restore();
}

QPageLayout pageLayout(const ReportModel &model)
{
    const QSizeF size = model.pageSize;
    const bool landscape = size.width() > size.height();
    const QSizeF portrait = landscape ? size.transposed() : size;
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void renderPages(const ReportModel &model, QPainter *painter, QPagedPaintDevice *device)
{
    // The device's page in its pixels; the model's page is fitted and centred in it.
    const QRectF pageRect(0, 0, device->width(), device->height());
    for (int i = 0; i < model.pageCount(); ++i) {
        if (i > 0)
            device->newPage();
        const double s = qMin(pageRect.width() / model.pageSize.width(),
                              pageRect.height() / model.pageSize.height());
        const QSizeF size(model.pageSize.width() * s, model.pageSize.height() * s);
        const QRectF target(pageRect.left() + (pageRect.width() - size.width()) / 2, pageRect.top(),
                            size.width(), size.height());
        paintPage(painter, model, i, target);
    }
}

bool render(const ReportModel &model, QPagedPaintDevice *device, QString *error)
{
    if (model.pageCount() == 0) {
        if (error)
            *error = QStringLiteral("报表没有内容");
        return false;
    }
    device->setPageLayout(pageLayout(model));
    QPainter painter;
    if (!painter.begin(device)) {
        if (error)
            *error = QStringLiteral("无法开始打印");
        return false;
    }
    renderPages(model, &painter, device);
    painter.end();
    return true;
}

bool writePdf(const ReportModel &model, const QString &path, QString *error)
{
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error)
                *error = QStringLiteral("无法写入文件 %1: %2").arg(path, probe.errorString());
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setTitle(model.title);
    writer.setCreator(QStringLiteral("tsgl"));
    return render(model, &writer, error);
}

QImage pageImage(const ReportModel &model, int page, double dpi)
{
    const double s = dpi / 25.4;
    QImage image(qMax(1, int(std::ceil(model.pageSize.width() * s))),
                 qMax(1, int(std::ceil(model.pageSize.height() * s))), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paintPage(&p, model, page, QRectF(0, 0, image.width(), image.height()));
    p.end();
    return image;
}

} // namespace ReportPainter
