#pragma once

#include "db/Statement.h"

#include <QString>
#include <QStringList>

// The statements of the borrowing window's pickers: the reader picker and the item picker
// open on the first rows of their table and search by part of the name or its pinyin
// initials, or by part of the number. The typed text is matched literally (% and _ are no
// wildcards), Latin letters in any case.
namespace BorrowPickers {

// The most rows the opening list shows; a search shows every row it finds.
inline constexpr int kFirstRows = 200;

// The reader picker's columns, in the order the grid shows them.
QStringList readerColumns();
// The first readers, in the order they were entered.
Statement readerFirstList();
// Readers whose 读者姓名 or py contains the text.
Statement readersByName(const QString &text);
// Readers whose 读者编号 contains the text.
Statement readersByNumber(const QString &text);

// The item picker's columns, in the order the grid shows them.
QStringList itemColumns();

// A statement over the item table the borrowing window names, or why there is none.
struct ItemQuery {
    bool ok = false;
    QString message;
    Statement statement;
};
// The table of the item kind ("图书" or "期刊"), or an empty text for any other word.
QString itemTable(const QString &kind);
// The first items of the kind, in the order they were entered.
ItemQuery itemFirstList(const QString &kind);
// Items of the kind whose 名称 or py contains the text.
ItemQuery itemsByName(const QString &kind, const QString &text);
// Items of the kind whose 编号 contains the text.
ItemQuery itemsByNumber(const QString &kind, const QString &text);

// What the item picker hands back from the chosen row: its 条形码 when the borrowing window
// looks items up by barcode, otherwise its 编号. A barcode "n" (none) is handed back as the
// empty text, so that the lookup reports the item as not found instead of offering every
// item without a barcode.
QString chosenItemValue(const QString &number, const QString &barcode, bool byBarcode);

} // namespace BorrowPickers
