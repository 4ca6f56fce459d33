#pragma once

#include "db/RowChange.h"

#include <QDate>
#include <QString>

// What the edit windows of books and periodicals share: the outcome of writing the edited row
// back by its 编号, told in the words of the kind ("图书" or "期刊").
namespace ItemEdit {

struct Result {
    bool ok = false;
    bool written = false; // false when nothing had changed
    QString message;      // what to show when not ok
    QString column;       // the input the message is about, for the focus
};

Result failure(const QString &message, const QString &column = QString());

// Writes the change (keyed by 编号) and turns its outcome into a result: a number that
// another item has, an item deleted or changed at another workstation meanwhile, or the
// database's refusal.
Result write(const RowChange &change, const QString &kind);

// Adds the change of 入库时间 when the date typed differs from the one read; the stored time
// of day is kept.
void addIntakeChange(const QSqlRecord &asRead, const QDate &typed,
                     QVector<std::pair<QString, QVariant>> *changes);

// The item of this number is gone (deleted at another workstation).
QString deletedMessage(const QString &kind, const QString &number);

} // namespace ItemEdit
