#pragma once

#include "db/Statement.h"
#include "print/ReportModel.h"

#include <QDateTime>
#include <QString>

// The administrators' log (管理员日志): who did which administrative action when.
namespace AdminLog {

// Writes one entry under the logged-in administrator's name, stamped with the moment to
// the second. It runs on the shared connection, so inside a caller's Transaction it is
// committed or rolled back with the caller's other rows.
bool write(const QString &event, const QString &details, QString *error = nullptr);
bool write(const QString &event, const QString &details, const QDateTime &moment, QString *error);

// All entries with the columns the log window shows.
Statement selectStatement();
bool removeEntry(const QVariant &id, QString *error = nullptr);
bool removeAll(QString *error = nullptr);

// The printed list of the entries the statement yields (the grid's rows, sorted and
// filtered as shown): id, 事件, 日期, 管理员, 说明 under a header line, one line an entry.
bool buildReport(const Statement &rows, const QDateTime &printedAt, ReportModel *report,
                 QString *error = nullptr);

} // namespace AdminLog
