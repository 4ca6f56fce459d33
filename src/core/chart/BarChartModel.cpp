#include "BarChartModel.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

void BarChartModel::addBar(const QString &label, double value)
{
    bars.append({label, value, colorFor(bars.size())});
}

bool BarChartModel::load(const Statement &statement, const QString &labelField,
                         const QString &valueField, QString *error)
{
    BarChartModel loaded;
    if (!loaded.append(statement, labelField, valueField, error))
        return false;
    bars = loaded.bars;
    return true;
}

bool BarChartModel::append(const Statement &statement, const QString &labelField,
                           const QString &valueField, QString *error)
{
    QSqlQuery q = statement.exec();
    if (q.lastError().isValid() || !q.isActive()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    const QSqlRecord rec = q.record();
    int labelIndex = rec.indexOf(labelField);
    int valueIndex = rec.indexOf(valueField);
    for (int i = 0; i < rec.count(); ++i) {
        if (labelIndex < 0 && rec.fieldName(i).compare(labelField, Qt::CaseInsensitive) == 0)
            labelIndex = i;
        if (valueIndex < 0 && rec.fieldName(i).compare(valueField, Qt::CaseInsensitive) == 0)
            valueIndex = i;
    }
    if (labelIndex < 0 || valueIndex < 0) {
        if (error)
            *error =
                QStringLiteral("结果中没有列“%1”").arg(labelIndex < 0 ? labelField : valueField);
        return false;
    }
    while (q.next())
        addBar(q.value(labelIndex).toString(), q.value(valueIndex).toDouble());
    return true;
}

QColor BarChartModel::colorFor(int index)
{
    // Steps of the golden angle around the colour wheel keep neighbours apart.
    const int hue = int(std::fmod(index * 137.508 + 200, 360.0));
    return QColor::fromHsv(hue, 170, 225);
}

QString BarChartModel::valueText(double value)
{
    if (std::fabs(value - std::round(value)) < 1e-9)
        return QString::number(qint64(std::llround(value)));
    return QString::number(value, 'f', 2);
}

double BarChartModel::maxValue() const
{
    double m = 0;
    for (const Bar &b : bars)
        m = qMax(m, b.value);
    return m;
}

namespace {

// A round step for the scale: 1, 2 or 5 times a power of ten, about five steps to the top.
double niceStep(double top)
{
    if (top <= 0)
        return 1;
    const double raw = top / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= f * power)
            return qMax(f * power, 1.0);
    }
    return 10 * power;
}

} // namespace

BarChartModel::Layout BarChartModel::layout(const QRectF &area, double textHeight) const
{
    Layout l;
    l.titleRect = QRectF(area.left(), area.top(), area.width(), textHeight * 2);
    const double scaleWidth = textHeight * 3;
    // Room for the value over the highest bar, and two lines of label under the bars.
    l.plot = QRectF(area.left() + scaleWidth, l.titleRect.bottom() + textHeight * 1.5,
                    area.width() - scaleWidth - textHeight,
                    area.height() - l.titleRect.height() - textHeight * 1.5 - textHeight * 2.5);
    if (l.plot.width() <= 0 || l.plot.height() <= 0)
        return l;

    const double step = niceStep(maxValue());
    const double top = qMax(step, std::ceil(maxValue() / step) * step);
    for (double v = 0; v <= top + step / 2; v += step)
        l.ticks.append({v, l.plot.bottom() - v / top * l.plot.height()});

    const int n = bars.size();
    if (n == 0)
        return l;
    const double slot = l.plot.width() / n;
    const double half = slot * 0.4;
    for (int i = 0; i < n; ++i) {
        const Bar &b = bars[i];
        const double centre = l.plot.left() + slot * (i + 0.5);
        const double height = qMax(0.0, b.value) / top * l.plot.height();
        const double apexY = l.plot.bottom() - height;
        BarShape s;
        s.pyramid << QPointF(centre - half, l.plot.bottom()) << QPointF(centre, apexY)
                  << QPointF(centre + half, l.plot.bottom());
        s.labelRect =
            QRectF(centre - slot / 2, l.plot.bottom() + textHeight * 0.3, slot, textHeight * 2.2);
        s.valueRect = QRectF(centre - slot / 2, apexY - textHeight * 1.2, slot, textHeight);
        s.valueText = valueText(b.value);
        s.color = b.color;
        l.bars.append(s);
    }
    return l;
}
