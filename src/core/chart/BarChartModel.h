#pragma once

#include "db/Statement.h"

#include <QColor>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QVector>

// A flat bar chart: one bar per row in the given order, each a pyramid (a triangle from its
// base up to an apex at the height of the value) in a colour of its own, the label under the
// bar and the value above it, and a title.
class BarChartModel {
public:
    struct Bar {
        QString label;
        double value = 0;
        QColor color;
    };

    // Where each part of a bar goes in a drawing area; computed without a painter.
    struct BarShape {
        QPolygonF pyramid; // base left, apex, base right
        QRectF labelRect;  // under the base
        QRectF valueRect;  // above the apex
        QString valueText;
        QColor color;
    };
    struct Layout {
        QRectF titleRect;
        QRectF plot; // the bars stand on plot.bottom()
        QVector<BarShape> bars;
        QVector<QPair<double, double>> ticks; // value and its y, for the scale at the left
    };

    QString title;
    QVector<Bar> bars;

    void addBar(const QString &label, double value);
    // One bar per row of the statement, label and value taken from the named fields.
    bool load(const Statement &statement, const QString &labelField, const QString &valueField,
              QString *error = nullptr);
    // The same, after the bars already there. A failed statement adds none.
    bool append(const Statement &statement, const QString &labelField, const QString &valueField,
                QString *error = nullptr);
    // A colour per position, far apart for neighbours.
    static QColor colorFor(int index);
    static QString valueText(double value);
    double maxValue() const;

    // The geometry in an area; textHeight is the height of one line of the labels.
    Layout layout(const QRectF &area, double textHeight) const;
};
