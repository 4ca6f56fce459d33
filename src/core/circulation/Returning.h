#pragma once

#include "ReturnCharges.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

// The return of loans: finding the unreturned loans of an item or a reader, and closing one
// loan with its rent and fine, the copy back on the shelf and the reader's account charged.
namespace Returning {

inline const QString kNoCondition = QStringLiteral("请输入搜索条件!");
inline const QString kCardNotFound = QStringLiteral("找不到该卡号的资料!");
inline const QString kReturned = QStringLiteral("归还完毕!");
inline const QString kAlreadyReturned =
    QStringLiteral("该借阅记录已经归还(可能已在其他工作站归还),没有再次归还.");
inline const QString kBadRentPeriod = QStringLiteral("实际租期必须是1或更大的整数(天数)!");
inline const QString kRentPeriodNeeded = QStringLiteral(
    "该借阅记录缺少借阅日期或应还日期,无法计算租期,请在\"实际租期\"中输入租期(天数)后再归还.");
inline const QString kBadCompensation = QStringLiteral("赔偿金额必须是数字!");
inline const QString kLost = QStringLiteral("丢失");

// The conditions typed into the search fields; an empty one is left out. Values are matched
// as typed (not trimmed).
struct Conditions {
    QString itemNumber;   // 图书编号: the loan's 编号
    QString barcode;      // 条形码
    QString readerNumber; // 读者编号
    bool isEmpty() const
    {
        return itemNumber.isEmpty() && barcode.isEmpty() && readerNumber.isEmpty();
    }
};

// The select of the unreturned loans meeting the conditions, oldest first (by id).
Statement searchStatement(const Conditions &conditions);

// One unreturned loan as the return needs it.
struct Loan {
    qint64 id = 0;
    QString readerNumber;
    QString readerName;
    QString itemNumber; // 编号
    QString name;
    QString barcode;
    QString kind; // 类别: the item's table, 图书 or 期刊
    QDateTime lentOn;
    QDateTime dueOn;
    QVariant rentPerDay; // 租金, null when none was recorded
    QString condition;   // 物品状况
};

struct SearchResult {
    bool ok = false;
    QString message; // kNoCondition or the database's text when not ok
    QList<Loan> loans;
};
SearchResult search(const Conditions &conditions);

// The unreturned loan with this id, or nothing (returned meanwhile, or no such loan).
std::optional<Loan> unreturnedLoan(qint64 id, QString *error = nullptr);

// The four values of a loan on the day `today`, with the fine per day of the settings.
ReturnCharges chargesOf(const Loan &loan, const QDate &today);

struct CardLookup {
    bool found = false;
    QString readerNumber;
    QString message; // kCardNotFound or the database's text
};
// The reader number of a card number (读者库.CardId).
CardLookup readerOfCard(const QString &cardId);

// The 存放位置 of the loan's item; empty when the item or its table is unknown.
QString shelfPlace(const Loan &loan);

// The search field that takes the focus in the return window, from 系统设置: "图书编号",
// "条形码" or "读者编号" (the last one set wins), empty when none is set.
QString focusField(QString *error = nullptr);

// What the operator leaves in the return window for the loan being returned.
struct ReturnRequest {
    qint64 loanId = 0;
    // 实际租期 and 实际租金 as typed. Without a value the computed ones are used. A typed
    // period must be a whole number of 1 or more; a typed rent that is empty or not a number
    // counts as 0. Full-width digits are read as digits.
    std::optional<QString> rentPeriod;
    std::optional<QString> rent;
    // The damage group (物品状况, 赔偿金额, 归还备注); only written when used.
    bool damageUsed = false;
    QString condition;
    QString compensation; // empty: none
    QString remark;
};

struct ReturnOutcome {
    bool ok = false;
    // kReturned, or why nothing was written (a fixed text or the database's own).
    QString message;
    // What was recorded on the loan (rent and fine also when their setting is off and
    // therefore neither recorded nor charged).
    int rentPeriod = 0;
    Money rent;
    Money fine;
    Money charged; // taken from the reader's 卡内金额
    Loan loan;     // the loan as it was before the return
};

// Closes one loan in one transaction: the loan row (已还 "是", 归还日期 today, 归还经手人,
// 实际租期, 实际租金 when rent is on, 罚金 when fines are on, the damage fields when used),
// one copy back on the item's 数量 unless the item is "丢失", the reader's 未还数量 down by 1
// (never below 0) and 卡内金额 down by the rent and the fine as the settings say. The loan
// is closed only while it is still unreturned, so two workstations cannot return it twice.
// Any error rolls the whole return back.
ReturnOutcome returnLoan(const ReturnRequest &request, const QDate &today);

} // namespace Returning
