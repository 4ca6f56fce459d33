#include "BarChart.h"

#include "chart/BarChartPainter.h"

#include <QPainter>
#include <QPrinter>

BarChart::BarChart(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void BarChart::setModel(const BarChartModel &model)
{
    m_model = model;
    update();
}

bool BarChart::print(QPrinter *printer, QString *error) const
{
    return BarChartPainter::print(m_model, printer, error);
}

QRectF BarChart::chartArea() const
{
    return QRectF(rect()).adjusted(8, 8, -8, -8);
}

BarChartModel::Layout BarChart::chartLayout() const
{
    return BarChartPainter::layout(chartArea(), m_model);
}

void BarChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    BarChartPainter::paint(&p, chartArea(), m_model);
}
