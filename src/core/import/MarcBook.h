#pragma once

#include "MarcRecord.h"

#include <QString>
#include <QStringList>

// What a bibliographic record gives a book: the columns of the MARC import's preview list
// (名称, 作者, isbn, 价格, 出版地, 出版社, 出版时间, 页数, 尺寸, 附件, 分类号, 分类名, 提要), each
// as the record writes it.
//
// UNIMARC / CNMARC records (the usual case) are read field by field, the value of a subfield
// being the text after its "$x" up to the next subfield:
//   200 $a 名称, $f 作者; 010 $a isbn, and the price after "CNY" (two decimals, CNY25.00 gives
//   25.00, CNY25 gives none); 210 $a 出版地, $c 出版社, up to 8 characters of $d 出版时间;
//   215 $a up to and including 页 页数, $d 尺寸, all after $e 附件; 690 $a 分类号; 606 $a 分类名;
//   all after 330 $a 提要. When a tag repeats, its last occurrence counts.
// MARC 21 records (a 245 field and no 200 field):
//   245 $a and $b 名称, 245 $c (else 100 $a) 作者, 020 $a isbn and $c price, 260 (else 264)
//   $a $b $c publication, 300 $a 页数, $c 尺寸, $e 附件, 520 $a 提要, 650 $a 分类名, 082 (else 050)
//   $a 分类号; the punctuation that separates their parts (" /", " :", " ;", ",") is taken off.
struct MarcBook {
    QString name;        // 名称
    QString author;      // 作者
    QString isbn;        // isbn (also the barcode)
    QString price;       // 价格, as the record writes it ("25.00")
    QString place;       // 出版地
    QString publisher;   // 出版社
    QString published;   // 出版时间
    QString pages;       // 页数, as the record writes it ("356页")
    QString size;        // 尺寸
    QString attachment;  // 附件
    QString classNumber; // 分类号
    QString className;   // 分类名
    QString summary;     // 提要

    static MarcBook fromRecord(const MarcRecord &record);
    static bool isMarc21(const MarcRecord &record);

    // The preview list's column titles, and this book's texts in that order.
    static QStringList columnTitles();
    QStringList previewTexts() const;

    // The page count the 页数 column stores: the number written before 页 (or "p.", "pages"),
    // a plain number as it is, 0 when there is none.
    int pageCount() const;
};

// The value rules of UNIMARC fields, on the field's text (indicators, then "$" code value …).
namespace MarcText {
// The text after the first "$" + code up to the next "$" (or the end); empty without the marker.
QString subfield(const QString &field, QChar code);
// All the text after the first "$" + code to the end of the field.
QString after(const QString &field, QChar code);
// The price: the text after the first "CNY", up to and including the second character after
// the first "." that follows it; empty when there is no "CNY" or no "." after it.
QString cnyPrice(const QString &field);
// Takes off the punctuation that joins the parts of a MARC 21 field (" /", " :", " ;", ",",
// " =", a final "." after a word) and the blanks around.
QString stripPunctuation(const QString &text);
} // namespace MarcText
