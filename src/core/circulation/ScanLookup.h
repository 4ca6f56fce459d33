#pragma once

#include <QString>

// What a scanner or a typed line names when no window offers a choice: an item by its
// 条形码, or where no item carries that 条形码 by its 编号, looked up in 图书 and then in
// 期刊; a reader by 读者编号 or CardId. Used by the commands that work from a line of text.
namespace ScanLookup {

struct Item {
    QString kind;   // "图书" or "期刊": the item's table
    QString number; // 编号
    QString barcode;
    QString name;   // 名称
    QString column; // what the text matched: "条形码" or "编号"
};

struct Reader {
    QString number; // 读者编号
    QString name;   // 读者姓名
};

enum class Found { One, None, Several, Failed };

// Several: more than one item of the first table that has the text (two books with one
// 条形码); the message then says so. message: the refusal, or the database's error.
Found item(const QString &text, Item *item, QString *message);
// A reader whose 读者编号 is the text comes before one whose CardId is.
Found reader(const QString &text, Reader *reader, QString *message);

} // namespace ScanLookup
