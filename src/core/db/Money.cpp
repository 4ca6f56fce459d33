#include "Money.h"

#include "text/NumberText.h"

#include <cmath>

Money Money::fromDouble(double value)
{
    return Money(static_cast<std::int64_t>(std::llround(value * kScale)));
}

std::optional<Money> Money::parse(const QString &input)
{
    const QString text = NumberText::normalized(input);
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    std::int64_t whole = 0;
    int wholeDigits = 0;
    for (; i < text.size() && text[i].isDigit(); ++i) {
        if (++wholeDigits > 14)
            return std::nullopt; // beyond what four decimals in 64 bits can hold
        whole = whole * 10 + text[i].digitValue();
    }
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    bool roundUp = false;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        for (; i < text.size() && text[i].isDigit(); ++i) {
            if (fractionDigits < 4) {
                fraction = fraction * 10 + text[i].digitValue();
            } else if (fractionDigits == 4) {
                roundUp = text[i].digitValue() >= 5;
            }
            ++fractionDigits;
        }
    }
    if (i != text.size() || (wholeDigits == 0 && fractionDigits == 0))
        return std::nullopt;
    for (int d = std::min(fractionDigits, 4); d < 4; ++d)
        fraction *= 10;
    std::int64_t raw = whole * kScale + fraction + (roundUp ? 1 : 0);
    return Money(negative ? -raw : raw);
}

Money Money::fromVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return Money();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return Money(value.toLongLong() * kScale);
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(value.toDouble());
    default:
        break;
    }
    if (auto parsed = parse(value.toString()))
        return *parsed;
    return fromDouble(value.toDouble());
}

QString Money::toString() const
{
    const std::int64_t magnitude = m_raw < 0 ? -m_raw : m_raw;
    QString text = QString::number(magnitude / kScale);
    std::int64_t fraction = magnitude % kScale;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return m_raw < 0 ? QLatin1Char('-') + text : text;
}

QString Money::toFixed2() const
{
    const std::int64_t cents = (m_raw >= 0 ? m_raw + 50 : m_raw - 50) / 100;
    const std::int64_t magnitude = cents < 0 ? -cents : cents;
    QString text =
        QStringLiteral("%1.%2").arg(magnitude / 100).arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return cents < 0 ? QLatin1Char('-') + text : text;
}

Money Money::times(double factor) const
{
    return Money(static_cast<std::int64_t>(std::llround(static_cast<double>(m_raw) * factor)));
}
