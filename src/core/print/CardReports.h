#pragma once

#include "ReportModel.h"
#include "ReportRows.h"

// Cards printed one per page: the framed catalogue card of a book, and the two sides of a
// reader's card.
namespace CardReports {

// Catalogue card of each row of 图书: 分类 and 编号, a rule, 索书号, 名称, 作者, 译者 and
// 分类号, 出版社, 出版时间 and 价格, and 简介 in a taller box. Without numberPriceAndClass
// the values of 编号, 价格 and 分类号 are left out (the card of a single book).
ReportModel catalogueCards(const ReportRows &books, bool numberPriceAndClass = true);

// Front of each reader's card, ruled along its left, right and top edges: the library name,
// "姓名:" with 读者姓名, 类别, and a Code 128 (set A) barcode of 读者编号 with the number under it.
ReportModel readerCardFronts(const ReportRows &readers, const QString &libraryName);
// Back of each card: the same text on every card.
ReportModel readerCardBacks(int count, const QString &text);

inline QSizeF catalogueCardSize()
{
    return {125, 75};
}
inline QSizeF readerCardSize()
{
    return {85.6, 54};
}

} // namespace CardReports
