#pragma once

#include <QString>
#include <QVariant>

// How a value of a result is shown in a grid cell, a footer or a printed list.
enum class CellFormat { Auto, Text, Money, Date, DateTime, Number };

namespace CellText {

// The shown text: money with two decimals, dates as yyyy-MM-dd, date-times as
// yyyy-MM-dd hh:mm:ss, numbers in their shortest form, NULL as an empty text.
QString format(const QVariant &value, CellFormat format);
// Whether the format right-aligns (money and numbers, and numeric values under Auto).
bool isRightAligned(const QVariant &sample, CellFormat format);
// A footer sum: money with two decimals, whole sums without decimals, other sums in their
// shortest form; whole = true rounds to a whole number.
QString sum(const QVariant &value, CellFormat format, bool whole);

} // namespace CellText
