#include "GridFooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

GridFooter::GridFooter(QTableView *view, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
{
    QHeaderView *header = view->horizontalHeader();
    const auto repaint = [this] { update(); };
    connect(header, &QHeaderView::sectionResized, this, repaint);
    connect(header, &QHeaderView::sectionMoved, this, repaint);
    connect(header, &QHeaderView::geometriesChanged, this, repaint);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void GridFooter::setTexts(const QStringList &texts)
{
    m_texts = texts;
    update();
}

QSize GridFooter::sizeHint() const
{
    return QSize(100, fontMetrics().height() + 8);
}

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().mid().color());
    p.drawLine(rect().topLeft(), rect().topRight());

    const QHeaderView *header = m_view->horizontalHeader();
    // The viewport's left edge, in this widget's coordinates.
    const QWidget *viewport = m_view->viewport();
    const int originX = mapFromGlobal(viewport->mapToGlobal(QPoint(0, 0))).x();
    const QRect visibleBand(originX, 0, viewport->width(), height());
    p.setClipRect(visibleBand);
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    const QFontMetrics fm(bold);
    for (int logical = 0; logical < m_texts.size() && logical < header->count(); ++logical) {
        if (header->isSectionHidden(logical) || m_texts[logical].isEmpty())
            continue;
        const QRect cell(originX + header->sectionViewportPosition(logical), 0,
                         header->sectionSize(logical), height());
        if (!cell.intersects(visibleBand))
            continue;
        p.setPen(palette().mid().color());
        p.drawLine(cell.topRight(), cell.bottomRight());
        p.setPen(palette().windowText().color());
        p.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                   fm.elidedText(m_texts[logical], Qt::ElideLeft, cell.width() - 8));
    }
}
