#pragma once

#include <QSqlDatabase>
#include <QString>

// The reference lists, lending rules, staff accounts and library settings of a generated
// library. Rows already there (the defaults of a new database) are kept, not doubled.
namespace GeneratedReferenceData {

bool fill(const QSqlDatabase &db, qint64 *rows, QString *error);

} // namespace GeneratedReferenceData
