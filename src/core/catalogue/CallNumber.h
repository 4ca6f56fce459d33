#pragma once

#include <QString>

// The call number (索书号) of a book: its classification number and a running number (the
// 种次号, column zch) within that classification, one more than the highest stored for it.
namespace CallNumber {

struct Result {
    bool ok = false;    // false: 分类号 empty, or the stored numbers could not be read
    int zch = 0;        // the new 种次号
    QString callNumber; // 分类号 + "/" + zch
    QString error;      // the database's text when the stored numbers could not be read
};

// The call number for a 种次号: "I247.5" and 8 give "I247.5/8".
QString format(const QString &classification, int zch);

// The highest zch stored in 图书 for this classification (compared as typed), 0 when none.
// Every stored row counts, so a book being edited counts with its own zch: pressing Enter
// on an unchanged 分类号 gives that book the next free number.
int highestStored(const QString &classification, QString *error = nullptr);

// The next call number of the classification: highest stored + 1, or 1 when none is stored.
// An empty classification gives ok false and nothing else.
Result next(const QString &classification);

} // namespace CallNumber
