#pragma once

#include "db/Money.h"
#include "db/Statement.h"
#include "print/ReportModel.h"

#include <QDate>
#include <QDateTime>
#include <QString>

// The income journal 收入 as the statistics window (资金统计) lists, totals, prints and
// exports it for a period.
namespace IncomeJournal {

// The period the window proposes: from 2000-01-01 to tomorrow. Each bound stands for 00:00
// of its day, so ending tomorrow takes in everything booked today.
struct Period {
    QDate from;
    QDate to;
};
Period defaultPeriod(const QDate &today);

// Every entry, with the columns of the list in their order.
Statement allStatement();
// The entries with from 00:00 <= 时间 <= to 00:00. Entries of the "to" day itself after
// midnight fall outside; a period that ends before it starts lists nothing.
Statement periodStatement(const Period &period);

// The sum of 金额 over the entries the statement yields (an aggregate over the statement).
bool total(const Statement &rows, Money *sum, QString *error = nullptr);

// The printed list of the entries the statement yields: 项目, 时间, 读者编号, 读者姓名, 金额,
// 管理员, one line an entry; the foot of each page reads "时间: " with the print date and time
// and the 合计 of 金额 over the whole list. The heading names the period when one is given.
bool buildReport(const Statement &rows, const QString &heading, const QDateTime &printedAt,
                 ReportModel *report, QString *error = nullptr);

} // namespace IncomeJournal
