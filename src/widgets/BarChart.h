#pragma once

#include "chart/BarChartModel.h"

#include <QWidget>

class QPrinter;

// A widget showing a bar chart model (pyramids, labels under, values above, a title).
class BarChart : public QWidget {
    Q_OBJECT
public:
    explicit BarChart(QWidget *parent = nullptr);

    void setModel(const BarChartModel &model);
    const BarChartModel &model() const { return m_model; }
    // Where the bars stand at the widget's present size.
    BarChartModel::Layout chartLayout() const;
    // Prints the chart on a printer (a page with the chart across it).
    bool print(QPrinter *printer, QString *error = nullptr) const;

    QSize sizeHint() const override { return QSize(640, 420); }
    QSize minimumSizeHint() const override { return QSize(240, 160); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF chartArea() const;
    BarChartModel m_model;
};
