#pragma once

#include "db/Money.h"

#include <QString>
#include <QStringList>

// A reader's state and prepaid account: the state change with its entry in the
// administrators' log, and the top-up (or refund) with its row in the income journal. Each
// writes its two rows in one transaction: both or neither.
namespace ReaderAccount {

inline const QString kNotFound = QStringLiteral("没有找到对应的记录!");
inline const QString kZeroAmount = QStringLiteral("不能充0元!");
inline const QString kToppedUp = QStringLiteral("充值成功!");
inline const QString kEmptyState = QStringLiteral("请输入状态!");

// The states offered in the drop-down; any other typed text is stored as typed.
inline const QStringList kStates = {QStringLiteral("正常"), QStringLiteral("停用")};

struct Result {
    bool ok = false;
    // The message to show when not ok (fixed text or the database's own).
    QString message;
};

// The details of the log entry ("读者编号:1001,姓名:李四,状态改为:[停用]," and the remark).
QString stateLogText(const QString &number, const QString &name, const QString &state,
                     const QString &remark);

// Sets the reader's 状态 and writes the "修改状态" log entry, together or not at all. The
// state is stored as typed, without the blanks around it.
Result changeState(const QString &number, const QString &name, const QString &state,
                   const QString &remark);

struct Reader {
    QString number;
    QString name;
    QString sex;
    Money balance;
};

struct Lookup {
    bool found = false;
    Reader reader;
    // kNotFound, or the database's text.
    QString message;
};

// The reader with this number (as given, else without the blanks around it).
Lookup find(const QString &number);

// The amount typed into 金额: a text that is not a number counts as 0.
Money amountOf(const QString &text);

// Adds the amount (taken off for a refund) to the reader's balance and writes the "充值"
// income row, together or not at all. The balance is raised where it stands in the
// database, so that top-ups from two workstations both count. An empty balance counts as 0.
Result topUp(const QString &number, const QString &amountText, bool refund, const QString &remark);

} // namespace ReaderAccount
