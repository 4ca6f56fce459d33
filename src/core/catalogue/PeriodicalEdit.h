#pragma once

#include "ItemEdit.h"

#include <QDate>
#include <QMap>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

// A periodical issue's record as the edit window changes it: the current row of periodical
// management, written back by its 编号 while it still holds what was read.
namespace PeriodicalEdit {

// The columns of 期刊 the edit window shows as text, in the order of the window. 数量 and
// 借出次数 are whole numbers, 价格 an amount, 出版时间 free text.
const QStringList &textColumns();

struct Form {
    QMap<QString, QString> texts; // column of 期刊 -> text as typed
    QDate intake;                 // 入库时间 (its time of day is kept)
};

using Result = ItemEdit::Result;

// Writes the changed columns of the issue as read (a row of 期刊 with all its columns), each
// only while it still holds what was read: an issue changed in those columns or deleted at
// another workstation meanwhile is not overwritten, and the message says so. The texts are
// stored trimmed; py follows the name.
Result update(const QSqlRecord &asRead, const Form &form);

} // namespace PeriodicalEdit
