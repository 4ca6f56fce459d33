#pragma once

#include <QString>

// Deleting a reader from reader management. A reader who still holds lent items is kept:
// his open loans name him by his number, and without his row they could be neither returned
// to him nor charged to his account.
namespace ReaderDeletion {

// The question asked first: 您是否要删除" 张三".
QString question(const QString &name);

struct Result {
    bool deleted = false;
    QString message; // why not (for the user); empty when deleted
};

// Deletes the reader with this number, in one step with the check of his open loans, which
// holds lending back meanwhile.
Result remove(const QString &readerNumber, const QString &name);

} // namespace ReaderDeletion
