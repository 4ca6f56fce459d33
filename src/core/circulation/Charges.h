#pragma once

#include "db/Money.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// A payment recorded by hand at the desk (收费): one row of the income journal 收入 with the
// item, the amount, the administrator and a note, and no reader. It touches no reader's
// prepaid account.
namespace Charges {

// The items offered, in this order; any other typed text is an item as well.
inline const QStringList kItems = {QStringLiteral("租金"), QStringLiteral("罚金"),
                                   QStringLiteral("补卡"), QStringLiteral("其他")};

inline const QString kNoItem = QStringLiteral("请输入收费项目!");
inline const QString kNoAmount = QStringLiteral("请输入金额!");
inline const QString kNotAnAmount = QStringLiteral("金额不是有效的数字!");
inline const QString kNotPositive = QStringLiteral("金额必须大于0!");

struct Result {
    bool ok = false;
    // The message to show when not ok (fixed text or the database's own).
    QString message;
};

// The amount typed into 金额 (full-width digits read alike), or a message. An empty, zero or
// unreadable amount is refused: a charge that records nothing is a mistake at the desk, and
// a 0 written in its place would hide it.
struct Amount {
    bool ok = false;
    Money value;
    QString message;
};
Amount amountOf(const QString &text);

// Appends the charge to 收入 under the logged-in administrator, stamped with the moment to
// the second. The item is stored without the blanks around it.
Result record(const QString &item, const QString &amountText, const QString &note,
              const QDateTime &now);

} // namespace Charges
