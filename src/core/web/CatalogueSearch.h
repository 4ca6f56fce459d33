#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

// The readers' catalogue search of the web pages: one text looked for in the title, the
// author, the ISBN and the barcode (contained, through the trigram indexes; a text of one or
// two characters in the title and the author only), the item number and the classification
// number (exact or its beginning, through their indexes), paged, with
// what a reader needs to find the book: copies on the shelf, location, call number, and
// whether it is reserved. Who holds a reservation is never read out.
namespace CatalogueSearch {

// Longer texts are refused before they reach the database.
inline constexpr int kMaxTextLength = 100;
inline constexpr int kPageSize = 20;
// Pages past this one are refused: nobody reads 10,000 pages, and the offset stays small.
inline constexpr int kMaxPage = 10000;

struct Book {
    QString number;          // 编号
    QString barcode;         // 条形码 (empty for "n")
    QString title;           // 名称
    QString author;          // 作者
    QString publisher;       // 出版社
    QString isbn;            // isbn
    QString classNo;         // 分类号
    QString callNumber;      // 索书号
    QString location;        // 存放位置
    int onShelf = 0;         // 数量, never below 0
    bool notForLoan = false; // 状态 "不外借"
    bool reserved = false;   // a reservation holds at the moment of the search
};

struct Result {
    bool ok = false;
    QString message; // for the page: why there are no results
    QString detail;  // the database's text, for the log
    QString text;    // the search text, trimmed
    int page = 1;    // from 1
    int matches = 0; // all the books that match
    QVector<Book> books;
    int pageCount() const { return (matches + kPageSize - 1) / kPageSize; }
};

// The page (from 1) of the books that match text, on db (a connection of the calling thread):
// in the order of entry on the embedded database, by 编号 on the server. The books a text of
// one or two characters finds are kept for a minute (their rows are read afresh each time). An empty text, a text over kMaxTextLength characters or a page outside
// 1..kMaxPage is refused with a message.
Result search(const QSqlDatabase &db, const QString &text, int page, const QDateTime &now);

// Forgets the kept results of short texts (a server starts with none).
void forgetKeptResults();

// Whether a reservation written as these two column values holds at now: 预定状况 set (even to
// an empty text, which the desk also honours) and 预定到期时间 missing or not yet passed.
bool reservationHolds(const QVariant &holder, const QVariant &until, const QDateTime &now);

} // namespace CatalogueSearch
