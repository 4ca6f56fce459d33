#pragma once

#include "db/Statement.h"
#include "print/ReportModel.h"

#include <QDate>
#include <QDateTime>
#include <QString>

// The statements and reports of the loan record query and of the overdue list, both read-only
// views of 借出记录.
namespace LoanQuery {

// Every loan record: the list the query window opens with.
Statement allStatement();

struct Conditions {
    // Exact values, matched as typed; an empty field adds no condition.
    QString number;         // 编号
    QString title;          // 名称
    QString barcode;        // 条形码
    QString readerNumber;   // 读者编号
    QString readerName;     // 读者姓名
    bool lentRange = false; // 借阅时间 from … to …, both days included
    QDate lentFrom;
    QDate lentTo;
    bool returnedRange = false; // 归还时间 from … to …, both days included
    QDate returnedFrom;
    QDate returnedTo;
    bool returnedState = false; // 已还 ticked
    QString returned;           // "是" or "否"
};

struct Query {
    bool ok = false;
    QString message; // why there is no statement, for the user
    Statement statement;
};

// The query the conditions ask for, or the message that refuses them: no condition at all,
// or a date range that ends before it starts.
Query build(const Conditions &conditions);

// The unreturned loans due today or earlier. A loan due today is listed: it is due back now,
// though the return charges it no fine yet.
Statement overdueStatement(const QDate &today);

// The printed list of the query: 顺序号 (id), 读者编号, 读者姓名, 编号, 名称, 类别, 借阅日期, 已还,
// then one line with the sums of 价格, 实际租金 and 赔偿金额 over the whole result; the print
// date and time at the foot of each page.
bool queryReport(const Statement &loans, const QDateTime &printedAt, ReportModel *report,
                 QString *error = nullptr);
// The overdue list printed the same way, without the totals line.
bool overdueReport(const Statement &loans, const QDateTime &printedAt, ReportModel *report,
                   QString *error = nullptr);

} // namespace LoanQuery
