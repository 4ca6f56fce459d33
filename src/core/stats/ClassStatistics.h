#pragma once

#include "db/Statement.h"
#include "print/ReportModel.h"

#include <QDateTime>
#include <QString>

// Classification statistics (分类统计): the copies on the shelf and their value per category
// of 图书 or 期刊. Lending lowers an item's 数量 and returning raises it, so the figures count
// the copies in the library at the moment, not the copies owned.
namespace ClassStatistics {

// "select 分类, sum(数量) as 数量, sum(数量*价格) as 金额 from <kind> group by 分类", one row a
// category (items without a category form their own group). False with a message and no
// statement when the kind is neither 图书 nor 期刊.
bool statement(const QString &kind, Statement *out, QString *error = nullptr);

// The printed list of the rows the statement yields: 分类, 数量, 金额, and the print date.
bool buildReport(const Statement &rows, const QString &kind, const QDateTime &printedAt,
                 ReportModel *report, QString *error = nullptr);

} // namespace ClassStatistics
