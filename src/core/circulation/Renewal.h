#pragma once

#include "db/Statement.h"

#include <QDate>
#include <QString>

// Renewal: one unreturned loan, found by reader number and item number, gets a new due date.
// Nothing else changes: no counter, rent, reservation or log entry, and neither the number of
// renewals nor the new date is limited.
namespace Renewal {

inline const QString kNotFound = QStringLiteral("没有找到该借阅记录,请检查您输入的信息是否正确!");
inline const QString kRenewed = QStringLiteral("续借完毕!");
inline const QString kNoDate = QStringLiteral("请选择应还日期!");
inline const QString kReturnedMeanwhile = QStringLiteral("该借阅记录已经归还, 不能续借!");

// The unreturned loans of the reader and item number (values as typed, matched literally),
// first entered first.
Statement findStatement(const QString &readerNumber, const QString &itemNumber);

struct Found {
    bool found = false;
    QString error;         // the database's text when the statement failed
    QString statementText; // the statement run, values written as literals
    qint64 loanId = 0;
    QDate dueDate; // invalid when the loan has none
};
// The first unreturned loan of the reader and item number.
Found find(const QString &readerNumber, const QString &itemNumber);

struct Result {
    bool ok = false;
    QString message; // the database's text, or why nothing was written
};
// Writes the new due date (the date alone) on the loan while it is still out: a loan that
// another workstation returned meanwhile stays as it is.
Result renew(qint64 loanId, const QDate &dueDate);

} // namespace Renewal
