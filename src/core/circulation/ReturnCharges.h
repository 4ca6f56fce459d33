#pragma once

#include "db/Money.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

// What a loan costs when it comes back on a given day: the rent period in whole days (at
// least 1), the rent due for it, the days overdue and the overdue fine. The values are
// computed whatever the settings say; the settings only decide whether they are shown,
// recorded and charged.
struct ReturnCharges {
    // False when the loan lacks its 借阅日期 or 应还日期: then nothing below is known and the
    // operator gives the rent period himself.
    bool known = false;
    int rentPeriod = 0;
    // Empty when the loan carries no rent per day (租金 is null).
    std::optional<Money> rent;
    int daysOverdue = 0;
    Money fine;

    // The values of a loan lent at lentOn (借阅日期), due at dueOn (应还日期), with the rent
    // per day recorded at lending (null when none), returned on the day `today`.
    static ReturnCharges compute(const QDateTime &lentOn, const QDateTime &dueOn,
                                 const QVariant &rentPerDay, Money finePerDay, const QDate &today);

    // Rent period: the whole days between lending and today, without sign; 0 counts as 1.
    static int rentPeriodOf(const QDateTime &lentOn, const QDate &today);
    // Days overdue: today minus the due date, half days rounded to the even number; 0 or
    // negative while the loan is not overdue.
    static int daysOverdueOf(const QDateTime &dueOn, const QDate &today);
    // The rent due for a period at the rent per day; empty when there is no rent per day.
    static std::optional<Money> rentFor(int period, const QVariant &rentPerDay);
    // The fine for the days overdue (nothing while not overdue).
    static Money fineFor(int daysOverdue, Money finePerDay);

    // The values as the return window shows them: empty texts when not known; the rent
    // empty without a rent per day; the fine "0" while not overdue.
    QString rentPeriodText() const;
    QString rentText() const;
    QString daysOverdueText() const;
    QString fineText() const;

    // "超期罚金是:<fine> 元." when fines are on and there is a fine, otherwise empty.
    QString fineMessage(bool overdueFineEnabled) const;
};
