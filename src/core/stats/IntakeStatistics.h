#pragma once

#include "db/Statement.h"
#include "print/ReportModel.h"

#include <QDate>
#include <QDateTime>
#include <QString>

// Intake statistics: the items of 图书 or 期刊 registered in a period (资料入库登记信息统计),
// and how many book records each administrator registered in it (管理员录入量统计).
//
// Each bound of a period stands for 00:00 of its day: the whole "from" day is inside, while
// items registered during the "to" day itself fall outside.
namespace IntakeStatistics {

inline const QString PeriodReversed = QStringLiteral("时间前后逻辑错误!");

// "select * from <kind> where 入库时间>=from and 入库时间<=to". False with a message and no
// statement when "to" lies before "from" (PeriodReversed) or the kind is not a catalogue table.
bool itemsStatement(const QString &kind, const QDate &from, const QDate &to, Statement *out,
                    QString *error = nullptr);

// The printed list of the items: number, barcode, title, category (分类, the first level),
// location and 数量, one line an item, the print date and time at the foot of each page. Headings
// follow the kind.
bool buildItemsReport(const Statement &rows, const QString &kind, const QDateTime &printedAt,
                      ReportModel *report, QString *error = nullptr);

// "SELECT 登记人, count(编号) AS 记录数, sum(价格) AS 总价格 FROM 图书 where 入库时间>=from and
// 入库时间<=to GROUP BY 登记人": one row an administrator, counting catalogue records (a record
// of five copies once, its price once). Periodicals are not counted.
Statement perAdministratorStatement(const QDate &from, const QDate &to);

// The printed list of the per-administrator rows: 登记人, 记录数, 总价格.
bool buildPerAdministratorReport(const Statement &rows, const QDateTime &printedAt,
                                 ReportModel *report, QString *error = nullptr);

} // namespace IntakeStatistics
