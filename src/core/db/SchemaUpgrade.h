#pragma once

#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Brings a library made by an earlier version of the program to the present form, in place,
// when the connection is opened. Each step runs in its own transaction and only when it is
// missing, so a library in the present form is not changed and the check costs a few
// catalogue reads:
// - on the server, each list table gets its insertion number (the column 行序; the rows
//   already there are numbered in the order the server holds them), and the publication
//   date 出版时间 of 图书 and 期刊, once a date-time, becomes text ("yyyy-mm-dd", a time of
//   day kept only when it is not midnight); the embedded database declared it TEXT already;
// - on the embedded database, the key columns become NOT NULL (the table is written anew
//   with the same rows, rowids and indexes). A table whose key column holds NULL is left as
//   it is and reported, since those rows cannot be found by their key;
// - the trigram indexes of the "contains" searches are built where missing (ContainsIndex);
//   what the database cannot build is reported and the searches go on without them.
namespace SchemaUpgrade {

// Runs the missing steps. The notes say what could not be upgraded and why; false with the
// database's error when a step failed (that step leaves nothing behind).
bool run(QSqlDatabase db, SqlDialect dialect, QStringList *notes, QString *error);

} // namespace SchemaUpgrade
