#include "BarChartPainter.h"

#include "print/ReportModel.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace BarChartPainter {

namespace {

// Text follows the size of the area, so that a printed chart looks like the shown one.
QFont fontFor(const QRectF &area)
{
    QFont font(ReportModel::fontFamily());
    font.setPixelSize(qMax(9, int(qMin(area.width() / 60, area.height() / 30))));
    return font;
}

} // namespace

BarChartModel::Layout layout(const QRectF &area, const BarChartModel &model)
{
    return model.layout(area, QFontMetricsF(fontFor(area)).height());
}

void paint(QPainter *p, const QRectF &area, const BarChartModel &model)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    const QFont font = fontFor(area);
    p->setFont(font);
    const double textHeight = QFontMetricsF(font).height();
    const BarChartModel::Layout l = model.layout(area, textHeight);

    QFont titleFont = font;
    titleFont.setBold(true);
    titleFont.setPixelSize(int(font.pixelSize() * 1.4));
    p->setFont(titleFont);
    p->setPen(Qt::black);
    p->drawText(l.titleRect, Qt::AlignCenter, model.title);
    p->setFont(font);
    if (l.plot.width() <= 0 || l.plot.height() <= 0) {
        p->restore();
        return;
    }

    // Scale at the left with light lines across.
    for (const auto &tick : l.ticks) {
        p->setPen(QPen(QColor(225, 225, 225), 1));
        p->drawLine(QPointF(l.plot.left(), tick.second), QPointF(l.plot.right(), tick.second));
        p->setPen(Qt::darkGray);
        p->drawText(QRectF(area.left(), tick.second - textHeight / 2,
                           l.plot.left() - area.left() - textHeight * 0.3, textHeight),
                    Qt::AlignRight | Qt::AlignVCenter, BarChartModel::valueText(tick.first));
    }
    p->setPen(QPen(Qt::black, 1));
    p->drawLine(l.plot.bottomLeft(), l.plot.bottomRight());
    p->drawLine(l.plot.bottomLeft(), l.plot.topLeft());

    const QFontMetricsF fm(font);
    for (int i = 0; i < l.bars.size(); ++i) {
        const BarChartModel::BarShape &s = l.bars[i];
        const QPointF left = s.pyramid[0], apex = s.pyramid[1], right = s.pyramid[2];
        const QPointF mid((left.x() + right.x()) / 2, left.y());
        // The two faces of the pyramid, the right one in shade: flat, but read as a pyramid.
        p->setPen(Qt::NoPen);
        p->setBrush(s.color);
        p->drawPolygon(QPolygonF{left, apex, mid});
        p->setBrush(s.color.darker(125));
        p->drawPolygon(QPolygonF{mid, apex, right});
        p->setPen(QPen(s.color.darker(160), 1));
        p->setBrush(Qt::NoBrush);
        p->drawPolygon(s.pyramid);

        p->setPen(Qt::black);
        p->drawText(s.valueRect, Qt::AlignHCenter | Qt::AlignBottom, s.valueText);
        // Labels wrap onto two lines and are cut beyond that.
        const QString label = fm.elidedText(model.bars[i].label, Qt::ElideRight,
                                            s.labelRect.width() * 2 - fm.averageCharWidth());
        p->drawText(s.labelRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere, label);
    }
    p->restore();
}

bool print(const BarChartModel &model, QPagedPaintDevice *device, QString *error)
{
    QPainter p;
    if (!p.begin(device)) {
        if (error)
            *error = QStringLiteral("无法开始打印");
        return false;
    }
    const QRect page = device->pageLayout().paintRectPixels(device->logicalDpiX());
    // A landscape-like band at the top of the page, as the chart is shown on screen.
    const double height = qMin<double>(page.height(), page.width() * 0.7);
    paint(&p, QRectF(0, 0, page.width(), height), model);
    p.end();
    return true;
}

} // namespace BarChartPainter
