#pragma once

#include "db/Statement.h"

#include <QString>
#include <functional>

class QSqlQuery;
class QTreeWidget;
class QWidget;

// Copies a result set or a list into a new spreadsheet and hands it to the desktop's
// spreadsheet program, unsaved: the file is written under a name of its own into this run's
// export folder, which is removed when the program ends. When nothing can open it, the user
// is asked where to keep it. A failure shows the fixed message with its reason beneath. The
// export blocks the window (wait cursor) until every row is written.

// Copies the fields firstField … lastField (lastField < 0: up to the last field) of every row
// of an executed query. Row 1 holds the database column names.
void ExportDatasetToExcel(QWidget *parent, QSqlQuery &query, int firstField = 0,
                          int lastField = -1);
// Runs the statement (as a grid's currentStatement()) on the shared connection and exports
// its rows the same way.
void ExportDatasetToExcel(QWidget *parent, const Statement &statement, int firstField = 0,
                          int lastField = -1);
// Copies the list's column captions and its items' texts. An empty list does nothing.
void ExportListViewToExcel(QWidget *parent, QTreeWidget *list);

namespace ExcelExport {

// Hands a written file to the user; false when nothing could open it. The default opens it
// with the desktop's program for .xlsx files. Tests replace it; returns the previous one.
using Opener = std::function<bool(const QString &path)>;
Opener setOpener(Opener opener);

} // namespace ExcelExport
