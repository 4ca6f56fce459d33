#include "GridView.h"

#include "GridFooter.h"

GridView::GridView(QWidget *parent)
    : QTableView(parent)
    , m_footer(new GridFooter(this, this))
{
    m_footer->hide();
}

void GridView::setFooterVisible(bool visible)
{
    if (m_footer->isVisibleTo(this) == visible)
        return;
    m_footer->setVisible(visible);
    updateGeometries();
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    const int band = m_footer->isVisibleTo(this) ? m_footer->sizeHint().height() : 0;
    // The table sets the left and top margins for its headers; only the bottom one is ours.
    QMargins margins = viewportMargins();
    if (margins.bottom() != band) {
        margins.setBottom(band);
        setViewportMargins(margins); // lays out again and comes back here
    }
    const QRect vp = viewport()->geometry();
    m_footer->setGeometry(vp.left(), vp.bottom() + 1, vp.width(), band);
}
