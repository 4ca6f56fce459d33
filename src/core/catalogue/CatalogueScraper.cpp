#include "CatalogueScraper.h"

#include "text/Gbk.h"

#include <QUrl>

namespace {

// A marker as the GBK bytes it is searched as.
QByteArray marker(const char *utf8)
{
    return Gbk::encode(QString::fromUtf8(utf8));
}

const char kLink[] = "service_type=TAG\");";
const char kMonograph[] = "[专著]";
const char kLinkEnd[] = "</A>";

// 1-based position of the marker at or after the 1-based position from; 0 when absent.
int pos(const QByteArray &marker, const QByteArray &text, int from = 1)
{
    const int i = text.indexOf(marker, qMax(0, from - 1));
    return i < 0 ? 0 : i + 1;
}

// At most n bytes from the 1-based position start; nothing when n <= 0 or start lies
// beyond the text; a start before the text begins at its first byte.
QByteArray take(const QByteArray &text, int start, int n)
{
    if (n <= 0)
        return QByteArray();
    if (start < 1)
        start = 1;
    if (start > text.size())
        return QByteArray();
    return text.mid(start - 1, n);
}

// The bytes from the 1-based position start up to (not including) the 1-based end.
QByteArray between(const QByteArray &text, int start, int end)
{
    return take(text, start, end - start);
}

// Takes off control characters and blanks at both ends.
QByteArray trimmed(const QByteArray &text)
{
    int b = 0;
    int e = text.size();
    while (b < e && static_cast<unsigned char>(text.at(b)) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text.at(e - 1)) <= ' ')
        --e;
    return text.mid(b, e - b);
}

// The bytes from the 1-based start up to the next endMarker; empty without it.
QByteArray upTo(const QByteArray &text, int start, const QByteArray &endMarker)
{
    const int end = pos(endMarker, text, qMax(1, start));
    return end == 0 ? QByteArray() : between(text, start, end);
}

// The link text of the first catalogue link: it starts two bytes after the link marker.
QByteArray linkText(const QByteArray &text)
{
    const int p = pos(marker(kLink), text);
    if (p == 0)
        return QByteArray();
    return upTo(text, p + 21, marker(kLinkEnd));
}

// The text of a row: n bytes after its caption; empty when the caption is missing.
QByteArray row(const QByteArray &page, const char *caption, int n)
{
    const QByteArray &c = marker(caption);
    const int p = pos(c, page);
    return p == 0 ? QByteArray() : take(page, p + c.size(), n);
}

} // namespace

bool CatalogueBook::found() const
{
    return title != CatalogueScraper::notFoundTitle();
}

namespace CatalogueScraper {

QString notFoundTitle()
{
    return QStringLiteral("没有找到名称!");
}

QByteArray pageBytes(const QByteArray &body, const QString &contentType)
{
    const QString type = contentType.toLower();
    for (const char *gbk : {"gbk", "gb2312", "gb18030"}) {
        if (type.contains(QStringLiteral("charset=") + QLatin1String(gbk)))
            return body;
    }
    return Gbk::encode(QString::fromUtf8(body));
}

QString formAddress(const QByteArray &page)
{
    const QByteArray name("name=\"form2\"");
    const int p = pos(name, page);
    if (p == 0)
        return QString();
    const int open = pos("\"", page, p + name.size());
    if (open == 0)
        return QString();
    const int close = pos("\"", page, open + 1);
    if (close == 0)
        return QString();
    return Gbk::decode(between(page, open + 1, close));
}

QString queryAddress(const QString &formAddress, const QString &barcode)
{
    const QString request = QString::fromLatin1(QUrl::toPercentEncoding(barcode.trimmed()));
    return (formAddress + QStringLiteral("?func=find-m&request=") + request +
            QStringLiteral("&find_code=ISB&FIND_BASE=NLC01"))
        .trimmed();
}

QByteArray removeBlanks(const QByteArray &text)
{
    QByteArray out = text;
    out.replace("&nbsp;", "      ");
    out.replace(" ", "");
    return out;
}

QByteArray title(const QByteArray &titleSection)
{
    const int p = pos(marker(kLink), titleSection);
    if (p == 0)
        return Gbk::encode(notFoundTitle());
    const int open = pos(">", titleSection, p);
    if (open == 0)
        return QByteArray();
    const int close = pos("<", titleSection, open + 1);
    const QByteArray text =
        removeBlanks(close == 0 ? take(titleSection, open + 1, titleSection.size())
                                : between(titleSection, open + 1, close));
    const int cut = pos(marker(kMonograph), text);
    return cut == 0 ? QByteArray() : between(text, 1, cut);
}

QByteArray author(const QByteArray &titleSection)
{
    const int b = pos(marker(kLink), titleSection);
    if (b == 0)
        return QByteArray();
    const QByteArray text = removeBlanks(take(titleSection, b + 21, 500));
    const int monograph = pos(marker(kMonograph), text);
    int end = pos(marker(kLinkEnd), text, qMax(1, monograph));
    if (end == 0)
        end = text.size() + 1;
    // The slash of the link text, not the one of its closing "</A>"; without a slash the
    // author follows the monograph mark itself.
    int slash = pos("/", text, qMax(1, monograph));
    if (slash >= end)
        slash = 0;
    const int start =
        slash != 0 ? slash + 1 : (monograph != 0 ? monograph + marker(kMonograph).size() : 1);
    return trimmed(between(text, start, end));
}

QByteArray classNumber(const QByteArray &text)
{
    return trimmed(linkText(text));
}

QByteArray summary(const QByteArray &text)
{
    const QByteArray cell("align=left >");
    const int p = pos(cell, text);
    if (p == 0)
        return QByteArray();
    return trimmed(upTo(text, p + cell.size(), "</td>"));
}

QByteArray publicationInfo(const QByteArray &text)
{
    return linkText(removeBlanks(text));
}

QByteArray publicationPlace(const QByteArray &info)
{
    const int colon = pos(":", info);
    return colon == 0 ? QByteArray() : between(info, 1, colon);
}

QByteArray publisher(const QByteArray &info)
{
    const int colon = pos(":", info);
    const int comma = pos(",", info, colon + 1);
    return comma == 0 ? QByteArray() : between(info, colon + 1, comma);
}

QByteArray publicationYear(const QByteArray &info)
{
    const int comma = pos(",", info);
    return comma == 0 ? QByteArray() : take(info, comma + 1, 4);
}

CatalogueBook read(const QByteArray &page)
{
    const int a = pos(marker("题名与责任"), page);
    const QByteArray section = trimmed(take(page, a + 1, a + 2000));
    const QByteArray info = publicationInfo(trimmed(row(page, "出版项", 800)));

    CatalogueBook book;
    book.title = Gbk::decode(title(section));
    book.author = Gbk::decode(author(section));
    book.summary = Gbk::decode(summary(row(page, "内容提要", 1200)));
    book.classNumber = Gbk::decode(classNumber(row(page, "中图分类号", 800)));
    book.place = Gbk::decode(publicationPlace(info));
    book.publisher = Gbk::decode(publisher(info));
    book.year = Gbk::decode(publicationYear(info));
    return book;
}

} // namespace CatalogueScraper
