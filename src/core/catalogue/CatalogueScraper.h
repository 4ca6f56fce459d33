#pragma once

#include <QByteArray>
#include <QString>

// What one page of the national library's web catalogue says about a book.
struct CatalogueBook {
    QString title;       // 名称, or notFoundTitle() when the page names no title
    QString author;      // 作者
    QString classNumber; // 分类号 (中图分类号)
    QString place;       // 出版地
    QString publisher;   // 出版社
    QString year;        // 出版年
    QString summary;     // 简介 (内容提要)

    bool found() const;
};

// Reads the catalogue's HTML pages. The pages are searched as GBK bytes for the captions of
// their rows ("题名与责任", "出版项", "中图分类号", "内容提要") and for the links the rows hold;
// positions are 1-based byte positions as the page layout is described in, and taking n bytes
// from a position takes at most the bytes that exist. A row whose caption is missing gives an
// empty value; a page without the title link gives notFoundTitle().
namespace CatalogueScraper {

// The title of a page that names no book: "没有找到名称!".
QString notFoundTitle();

// The body of a catalogue page as GBK bytes: the catalogue sends UTF-8; a page that declares
// a Chinese code page (charset gbk, gb2312 or gb18030) is taken as it is.
QByteArray pageBytes(const QByteArray &body, const QString &contentType = QString());

// The address the entry page's query form sends to: the first quoted value after the form's
// name (name="form2"), empty when the name or either quote is missing.
QString formAddress(const QByteArray &page);
// The query of one ISBN: the form address, "?func=find-m&request=", the trimmed barcode
// (percent-encoded, so that no character of it can add parameters to the query) and
// "&find_code=ISB&FIND_BASE=NLC01".
QString queryAddress(const QString &formAddress, const QString &barcode);

// The whole reading of a result page (GBK bytes).
CatalogueBook read(const QByteArray &page);

// The single steps, on GBK bytes.
QByteArray removeBlanks(const QByteArray &text);
QByteArray title(const QByteArray &titleSection);
QByteArray author(const QByteArray &titleSection);
QByteArray classNumber(const QByteArray &text);
QByteArray summary(const QByteArray &text);
QByteArray publicationInfo(const QByteArray &text);
QByteArray publicationPlace(const QByteArray &info);
QByteArray publisher(const QByteArray &info);
QByteArray publicationYear(const QByteArray &info);

} // namespace CatalogueScraper
