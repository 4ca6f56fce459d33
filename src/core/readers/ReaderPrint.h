#pragma once

#include "db/Statement.h"
#include "print/ReportModel.h"

#include <QDateTime>
#include <QString>
#include <QVector>

// The printed lists of reader management, over the readers its grid shows, in its order.
namespace ReaderPrint {

// The reader list: the print date and time, then one line a reader with 编号, 姓名, 性别,
// 单位部门, 借阅次数 (累计借阅次数) and 未还数量.
bool listReport(const Statement &readers, const QDateTime &printedAt, ReportModel *report,
                QString *error = nullptr);

// The reader cards: the fronts (library name, name, category, Code 128 barcode of the
// reader number), then the backs, one per reader, each with the text of 系统设置's
// 借阅证背面文字.
bool cardReports(const Statement &readers, const QString &libraryName,
                 QVector<ReportModel> *reports, QString *error = nullptr);

// The text printed on the back of the cards (the first row of 系统设置).
bool cardBackText(QString *text, QString *error = nullptr);

} // namespace ReaderPrint
