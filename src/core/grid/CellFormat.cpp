#include "CellFormat.h"

#include "db/Money.h"
#include "db/Statement.h"

#include <QDateTime>
#include <cmath>

namespace {

bool isNumeric(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QString numberText(const QVariant &v)
{
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return Money::fromDouble(v.toDouble()).toString();
    if (isNumeric(v))
        return QString::number(v.toLongLong());
    // Numeric text (a server's decimal) keeps its digits, without trailing zeros.
    if (auto m = Money::parse(v.toString()))
        return m->toString();
    return v.toString();
}

} // namespace

namespace CellText {

QString format(const QVariant &value, CellFormat format)
{
    if (value.isNull() || !value.isValid())
        return QString();
    switch (format) {
    case CellFormat::Text:
        return value.toString();
    case CellFormat::Money:
        return Money::fromVariant(value).toFixed2();
    case CellFormat::Date: {
        const QDate d = dateFromSql(value);
        return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : value.toString();
    }
    case CellFormat::DateTime: {
        const QDateTime dt = dateTimeFromSql(value);
        return dt.isValid() ? dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : value.toString();
    }
    case CellFormat::Number:
        return numberText(value);
    case CellFormat::Auto:
        break;
    }
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value);
    case QMetaType::QByteArray:
        return QStringLiteral("(%1 字节)").arg(value.toByteArray().size());
    default:
        return value.toString();
    }
}

bool isRightAligned(const QVariant &sample, CellFormat format)
{
    if (format == CellFormat::Money || format == CellFormat::Number)
        return true;
    return format == CellFormat::Auto && isNumeric(sample);
}

QString sum(const QVariant &value, CellFormat format, bool whole)
{
    const Money m = Money::fromVariant(value);
    if (whole)
        return QString::number(std::llround(m.toDouble()));
    if (format == CellFormat::Money)
        return m.toFixed2();
    return m.toString();
}

} // namespace CellText
