#pragma once

#include "db/Statement.h"

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

} // namespace AdminLog
