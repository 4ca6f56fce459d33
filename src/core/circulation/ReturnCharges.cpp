#include "ReturnCharges.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr qint64 kSecondsPerDay = 24 * 60 * 60;

// Today as a moment: the start of the day, as a return date is written without time.
QDateTime startOf(const QDate &today)
{
    return QDateTime(today, QTime(0, 0));
}

} // namespace

int ReturnCharges::rentPeriodOf(const QDateTime &lentOn, const QDate &today)
{
    const qint64 seconds = std::llabs(lentOn.secsTo(startOf(today)));
    const int days = static_cast<int>(seconds / kSecondsPerDay);
    // A loan returned on the day of lending is charged one day.
    return days == 0 ? 1 : days;
}

int ReturnCharges::daysOverdueOf(const QDateTime &dueOn, const QDate &today)
{
    const double days = static_cast<double>(dueOn.secsTo(startOf(today))) / kSecondsPerDay;
    // A due date with a time of day leaves half days; they go to the even number.
    return static_cast<int>(std::nearbyint(days));
}

std::optional<Money> ReturnCharges::rentFor(int period, const QVariant &rentPerDay)
{
    if (rentPerDay.isNull() || !rentPerDay.isValid())
        return std::nullopt;
    return Money::fromVariant(rentPerDay) * period;
}

Money ReturnCharges::fineFor(int daysOverdue, Money finePerDay)
{
    return daysOverdue > 0 ? finePerDay * daysOverdue : Money();
}

ReturnCharges ReturnCharges::compute(const QDateTime &lentOn, const QDateTime &dueOn,
                                     const QVariant &rentPerDay, Money finePerDay,
                                     const QDate &today)
{
    ReturnCharges c;
    if (!lentOn.isValid() || !dueOn.isValid() || !today.isValid())
        return c;
    c.known = true;
    c.rentPeriod = rentPeriodOf(lentOn, today);
    c.rent = rentFor(c.rentPeriod, rentPerDay);
    c.daysOverdue = daysOverdueOf(dueOn, today);
    c.fine = fineFor(c.daysOverdue, finePerDay);
    return c;
}

QString ReturnCharges::rentPeriodText() const
{
    return known ? QString::number(rentPeriod) : QString();
}

QString ReturnCharges::rentText() const
{
    return known && rent ? rent->toString() : QString();
}

QString ReturnCharges::daysOverdueText() const
{
    return known ? QString::number(daysOverdue) : QString();
}

QString ReturnCharges::fineText() const
{
    return known ? fine.toString() : QString();
}

QString ReturnCharges::fineMessage(bool overdueFineEnabled) const
{
    if (!overdueFineEnabled || !known || fine.isZero())
        return QString();
    return QStringLiteral("超期罚金是:") + fine.toString() + QStringLiteral(" 元.");
}
