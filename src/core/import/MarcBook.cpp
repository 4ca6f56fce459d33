#include "MarcBook.h"

#include <QRegularExpression>

namespace MarcText {

QString subfield(const QString &field, QChar code)
{
    const QString marker = QLatin1Char('$') + code;
    const int at = field.indexOf(marker);
    if (at < 0)
        return QString();
    const int from = at + 2;
    const int to = field.indexOf(QLatin1Char('$'), from);
    return field.mid(from, to < 0 ? -1 : to - from);
}

QString after(const QString &field, QChar code)
{
    const int at = field.indexOf(QLatin1Char('$') + code);
    return at < 0 ? QString() : field.mid(at + 2);
}

QString cnyPrice(const QString &field)
{
    const int cny = field.indexOf(QLatin1String("CNY"));
    if (cny < 0)
        return QString();
    const int from = cny + 3;
    const int dot = field.indexOf(QLatin1Char('.'), from);
    if (dot < 0)
        return QString();
    return field.mid(from, dot + 3 - from);
}

QString stripPunctuation(const QString &text)
{
    QString s = text.trimmed();
    while (!s.isEmpty()) {
        const QChar last = s.back();
        if (last == QLatin1Char('/') || last == QLatin1Char(':') || last == QLatin1Char(';') ||
            last == QLatin1Char(',') || last == QLatin1Char('=')) {
            s.chop(1);
            s = s.trimmed();
            continue;
        }
        // A full stop that ends a sentence, not one of an initial ("W.") or abbreviation.
        if (last == QLatin1Char('.') && s.size() >= 3 && s.at(s.size() - 2).isLower() &&
            s.at(s.size() - 3).isLetter()) {
            s.chop(1);
            continue;
        }
        if (last == QLatin1Char('.') && s.size() >= 2 &&
            (s.at(s.size() - 2).isDigit() || s.at(s.size() - 2) == QLatin1Char(']') ||
             s.at(s.size() - 2) == QLatin1Char(')') || s.at(s.size() - 2).unicode() >= 0x2E80)) {
            s.chop(1);
            continue;
        }
        break;
    }
    return s;
}

} // namespace MarcText

namespace {

QString textOf(const MarcRecord &record, const QString &tag)
{
    const MarcField *field = record.lastField(tag);
    return field ? field->text() : QString();
}

// Up to 8 characters after "$d": the date of publication. It ends at the next subfield, so
// that a short date ("2005") does not carry the marker of the subfield after it.
QString publicationDate(const QString &field)
{
    const int at = field.indexOf(QLatin1String("$d"));
    if (at < 0)
        return QString();
    QString date = field.mid(at + 2, 8);
    const int dollar = date.indexOf(QLatin1Char('$'));
    if (dollar >= 0)
        date.truncate(dollar);
    return date;
}

// The text after "$a" up to and including the first 页 after it; empty without 页.
QString pagesText(const QString &field)
{
    const int at = field.indexOf(QLatin1String("$a"));
    if (at < 0)
        return QString();
    const int page = field.indexOf(QStringLiteral("页"), at + 2);
    if (page < 0)
        return QString();
    return field.mid(at + 2, page + 1 - (at + 2));
}

void fromUnimarc(const MarcRecord &record, MarcBook *book)
{
    using namespace MarcText;
    const QString f200 = textOf(record, QStringLiteral("200"));
    book->name = subfield(f200, QLatin1Char('a'));
    book->author = subfield(f200, QLatin1Char('f'));
    const QString f010 = textOf(record, QStringLiteral("010"));
    book->isbn = subfield(f010, QLatin1Char('a'));
    book->price = cnyPrice(f010);
    const QString f210 = textOf(record, QStringLiteral("210"));
    book->place = subfield(f210, QLatin1Char('a'));
    book->publisher = subfield(f210, QLatin1Char('c'));
    book->published = publicationDate(f210);
    const QString f215 = textOf(record, QStringLiteral("215"));
    book->pages = pagesText(f215);
    book->size = subfield(f215, QLatin1Char('d'));
    book->attachment = after(f215, QLatin1Char('e'));
    book->classNumber = subfield(textOf(record, QStringLiteral("690")), QLatin1Char('a'));
    book->className = subfield(textOf(record, QStringLiteral("606")), QLatin1Char('a'));
    book->summary = after(textOf(record, QStringLiteral("330")), QLatin1Char('a'));
}

const MarcField *firstWith(const MarcRecord &record, const QString &tag, QChar code)
{
    for (const MarcField &f : record.fields) {
        if (f.tag == tag && !f.subfield(code).isEmpty())
            return &f;
    }
    return nullptr;
}

QString sub(const MarcField *field, QChar code)
{
    return field ? MarcText::stripPunctuation(field->subfield(code)) : QString();
}

void fromMarc21(const MarcRecord &record, MarcBook *book)
{
    using MarcText::stripPunctuation;
    const MarcField *title = record.firstField(QStringLiteral("245"));
    const QString a = sub(title, QLatin1Char('a'));
    const QString b = sub(title, QLatin1Char('b'));
    book->name = b.isEmpty() ? a : a + QStringLiteral(" : ") + b;
    book->author = sub(title, QLatin1Char('c'));
    if (book->author.isEmpty())
        book->author = sub(record.firstField(QStringLiteral("100")), QLatin1Char('a'));

    if (const MarcField *isbn = firstWith(record, QStringLiteral("020"), QLatin1Char('a'))) {
        // "9787111213826 (pbk.)": the number alone.
        static const QRegularExpression token(QStringLiteral("^[^\\s(]+"));
        book->isbn = token.match(isbn->subfield(QLatin1Char('a')).trimmed()).captured(0);
    }
    if (const MarcField *price = firstWith(record, QStringLiteral("020"), QLatin1Char('c'))) {
        static const QRegularExpression amount(QStringLiteral("\\d+(?:\\.\\d+)?"));
        book->price = amount.match(price->subfield(QLatin1Char('c'))).captured(0);
    }

    const MarcField *publication = record.firstField(QStringLiteral("260"));
    if (!publication) {
        for (const MarcField &f : record.fields) {
            if (f.tag == QLatin1String("264") &&
                (!publication || f.indicators.mid(1, 1) == QLatin1String("1")))
                publication = &f;
        }
    }
    book->place = sub(publication, QLatin1Char('a'));
    book->publisher = sub(publication, QLatin1Char('b'));
    book->published = sub(publication, QLatin1Char('c'));

    const MarcField *physical = record.firstField(QStringLiteral("300"));
    book->pages = sub(physical, QLatin1Char('a'));
    book->size = sub(physical, QLatin1Char('c'));
    book->attachment = sub(physical, QLatin1Char('e'));
    // The summary is prose: its full stop stays.
    if (const MarcField *summary = record.firstField(QStringLiteral("520")))
        book->summary = summary->subfield(QLatin1Char('a')).trimmed();
    book->className = sub(record.firstField(QStringLiteral("650")), QLatin1Char('a'));
    book->classNumber =
        sub(firstWith(record, QStringLiteral("082"), QLatin1Char('a')), QLatin1Char('a'));
    if (book->classNumber.isEmpty())
        book->classNumber =
            sub(firstWith(record, QStringLiteral("050"), QLatin1Char('a')), QLatin1Char('a'));
}

} // namespace

bool MarcBook::isMarc21(const MarcRecord &record)
{
    return record.has(QStringLiteral("245")) && !record.has(QStringLiteral("200"));
}

MarcBook MarcBook::fromRecord(const MarcRecord &record)
{
    MarcBook book;
    if (isMarc21(record))
        fromMarc21(record, &book);
    else
        fromUnimarc(record, &book);
    return book;
}

QStringList MarcBook::columnTitles()
{
    return {QStringLiteral("名称"),     QStringLiteral("作者"),   QStringLiteral("isbn"),
            QStringLiteral("价格"),     QStringLiteral("出版地"), QStringLiteral("出版社"),
            QStringLiteral("出版时间"), QStringLiteral("页数"),   QStringLiteral("尺寸"),
            QStringLiteral("附件"),     QStringLiteral("分类号"), QStringLiteral("分类名"),
            QStringLiteral("提要")};
}

QStringList MarcBook::previewTexts() const
{
    return {name,  author, isbn,       price,       place,     publisher, published,
            pages, size,   attachment, classNumber, className, summary};
}

int MarcBook::pageCount() const
{
    static const QRegularExpression before(
        QStringLiteral("(\\d+)\\s*(?:页|[pP]{1,2}\\b|[pP]{1,2}\\.|pages?\\b|leaves\\b)"));
    QRegularExpressionMatchIterator it = before.globalMatch(pages);
    QString digits;
    while (it.hasNext())
        digits = it.next().captured(1); // the last one: "xii, 356 p." gives 356
    if (digits.isEmpty()) {
        const QString plain = pages.trimmed();
        static const QRegularExpression number(QStringLiteral("^\\d+$"));
        if (number.match(plain).hasMatch())
            digits = plain;
    }
    bool ok = false;
    const int count = digits.toInt(&ok);
    return ok ? count : 0;
}
