#pragma once

#include "CirculationCommands.h"

#include <QString>
#include <QStringList>

class QTextStream;

// tsgl import books|readers|periodicals|loans FILE [--start N | --random-numbers], and
// tsgl import marc FILE [--start N]: the imports of the 数据导入 menu without a window, on the
// library a CommandSession has opened. Standard output gets what the window's result box
// shows: the counts of the sheet, a line per failed row (row number, the two key values),
// "成功导入了n行", "导入失败了n行", the time and "完成!"; standard error gets the database's
// reason for each failed row. Exit status: 0 when every row was imported, 1 when rows failed,
// 2 when the file (or the command line) cannot be used; rows imported before a file turned
// out damaged stay imported.
namespace ImportCommands {

const CirculationCommands::Command *find(const QString &name);

int import(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace ImportCommands
