#pragma once

#include <QString>

// Deleting a book from book management. A book with copies still out on loan is kept: the
// open loans name it by its number, and the return looks its row up to put the copy back on
// the shelf, which it could not do without it.
namespace BookDeletion {

// The question asked first: 您是否要删除" 红楼梦".
QString question(const QString &title);

struct Result {
    bool deleted = false;
    QString message; // why not (for the user); empty when deleted
};

// Deletes the book with this number, in one step with the check of its open loans, which
// holds lending back meanwhile. Only the row of 图书 is removed.
Result remove(const QString &number, const QString &title);

} // namespace BookDeletion
