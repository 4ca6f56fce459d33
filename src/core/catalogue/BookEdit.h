#pragma once

#include "ItemEdit.h"

#include <QDate>
#include <QMap>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

// A book's record as the edit window changes it (the current row of book management), and
// the change of its stock count with the entry in the administrators' log.
namespace BookEdit {

// The columns of 图书 the edit window shows as text, in the order of the window. 页数, 价格
// and zch are numbers typed as text; 出版时间 is free text.
const QStringList &textColumns();

// What the window collects, as typed. The texts are trimmed when they are stored; the
// document path (绝对地址) is stored as chosen.
struct BookForm {
    QMap<QString, QString> texts; // column of 图书 -> text
    QDate intake;                 // 入库时间 (its time of day is kept)
};

// The drop-down lists by the column they fill (出版社, 分类, 二级分类, 存放位置, 币种, 附件,
// 物品级别, a1, a2, a3), each in the order its rows were entered. A list that could not be
// read stays empty and is named in error.
QMap<QString, QStringList> loadPickLists(QString *error = nullptr);

QStringList states();  // 状态: 正常, 不外借
QStringList sources(); // 来源: 购买, 捐赠
// Whether a 来源 asks for the donor (捐赠人 is shown and kept only then).
bool isDonation(const QString &source);
// The 物品级别 stored when the field is left empty.
QString defaultLevel();
// "n": no barcode, no document.
QString none();

// The py column of a title: the pinyin initials of the title as it is stored (trimmed).
QString pinyinOf(const QString &title);

QString noPermissionMessage();
QString quantityMissingMessage();
// The 说明 of the log entry of a stock change.
QString stockLogText(const QString &barcode);
QString stockLogEvent();

using Result = ItemEdit::Result;

// Writes the changes of the book as read (a row of 图书 with all its columns) in one update
// by its 编号: only the changed columns, and only while they still hold what was read, so a
// book that another workstation changed in those columns or deleted meanwhile is not
// overwritten and the message says so. Needs qxbkxg. An empty 物品级别 is stored as "普通";
// 捐赠人 is emptied unless 来源 is "捐赠"; py follows the title.
Result update(const QSqlRecord &asRead, const BookForm &form);

// Sets the stock count (数量) of the book as read to the typed whole number and writes the
// "修改库存" entry of the administrators' log, both or neither. Needs qxModifyStock. The
// count is set only while it still holds what was read: a copy lent or returned at another
// workstation meanwhile makes the change refused with a message. quantity gets the stored
// count when ok.
Result changeStock(const QSqlRecord &asRead, const QString &typed, int *quantity = nullptr);

} // namespace BookEdit
