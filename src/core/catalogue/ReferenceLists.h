#pragma once

#include <QString>
#include <QStringList>

// The reference lists the catalogue windows offer in their drop-downs (出版社名, 分类,
// 存放位置, …), read whole in the order their rows were entered.
namespace ReferenceLists {

// The names in one column of a list table. A list that cannot be read gives no names and is
// named, with the database's text, in errors.
QStringList read(const QString &table, const QString &column, QStringList *errors);

} // namespace ReferenceLists
