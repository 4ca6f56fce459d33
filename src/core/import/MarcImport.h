#pragma once

#include "ImportBatch.h"
#include "ImportLoop.h"
#include "ImportMapping.h"
#include "MarcBook.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include <functional>

class QTextStream;

// The MARC import: one 图书 row for each record, numbered from a start value (the first record
// gets the start value plus 1). The record gives 名称, 作者, isbn (also 条形码), 价格, 出版社,
// 出版时间, 页数 (the number before 页), 附件, 分类号, 分类 and 简介; the other columns get the
// fixed values of a new book (数量 1, 状态 正常, 物品级别 普通, 登记人 the administrator, 入库时间
// today, the rest empty). Every value is bound, so quotes are stored as they are. The rows are
// written through an ImportBatch (transactions committed every batchSize rows, a savepoint per
// row), so a refused record is listed and the import goes on.
namespace MarcImport {

// The default start value: the current time as seconds, month and day ("ssmd", no leading
// zeros for month and day): 07:15:42 on 3 June gives "4263".
QString defaultStart(const QDateTime &now);
// The start value as the box holds it: a whole number that fits 32 bits, blanks around allowed.
bool parseStart(const QString &text, qint32 *start);
QString invalidStartMessage(); // "请输入合法的数字！"

// The insert of one record, numbered number.
Statement statementFor(const MarcBook &book, qint64 number, const ImportContext &context);

struct Callbacks {
    std::function<void(int done, int total)> progress;
    // A refused record: row is its index in the list counted from 0, the keys are its ISBN
    // and title, cells its preview texts.
    std::function<void(const FailedRow &row)> failed;
    std::function<bool()> stopRequested;
};

// Writes the books into db, numbered start + 1, start + 2, …
ImportSummary run(const QVector<MarcBook> &books, qint32 start, QSqlDatabase db,
                  const ImportContext &context, const Callbacks &callbacks,
                  int batchSize = ImportBatch::kDefaultRows);

// tsgl import marc FILE [--start N]: reads the file and imports its records into the library
// of the shared connection. Standard output: the records read, a line per refused record
// (index, ISBN, title), "成功导入了n行", "导入失败了n行", the time and "完成!"; standard error: the
// skipped broken records and the database's reason for each refused one. Exit status 0 when
// every record was imported, 1 when some were refused or skipped, 2 when the file cannot be
// read or the start value is not a whole number.
int runCommand(const QString &path, QTextStream &out, QTextStream &err);

} // namespace MarcImport
