#pragma once

#include <QString>

// The catalogue table a statistics window counts: "图书" or "期刊", as the window's choice
// names it. The name enters SQL text, so it is checked against the library's tables first.
namespace ItemKind {

// The table name of the kind, or an empty text with the message when it is neither table.
QString checkedTable(const QString &kind, QString *error = nullptr);

} // namespace ItemKind
