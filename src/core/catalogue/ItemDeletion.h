#pragma once

#include <QString>

// Deleting a book or a periodical issue from its management window. An item with copies still
// out on loan is kept: the open loans name it by its number, and the return looks its row up
// to put the copy back on the shelf, which it could not do without it.
namespace ItemDeletion {

// The question asked first: 您是否要删除" 红楼梦".
QString question(const QString &title);

struct Result {
    bool deleted = false;
    QString message; // why not (for the user); empty when deleted
};

// Deletes the item of this kind ("图书" or "期刊": its table, and its 类别 in 借出记录) with
// this number, in one step with the check of its open loans, which holds lending back
// meanwhile. Only the item's row is removed.
Result remove(const QString &kind, const QString &number, const QString &title);

} // namespace ItemDeletion
