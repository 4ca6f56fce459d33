#include "GeneratedItems.h"

namespace GeneratedItems {

namespace {

enum Kind : quint64 { BookKind = 1, PeriodicalKind = 2, ReaderKind = 3 };

QStringList list(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

QString pickOf(GeneratorRandom &r, const QStringList &items)
{
    return items[r.below(items.size())];
}

// Check digit of an EAN-13 code from its first twelve digits.
QChar eanCheck(const QString &twelve)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (twelve[i].unicode() - '0') * (i % 2 ? 3 : 1);
    return QChar('0' + (10 - sum % 10) % 10);
}

// Check character of a ten-digit ISBN from its first nine digits.
QChar isbnCheck(const QString &nine)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (nine[i].unicode() - '0') * (10 - i);
    const int c = (11 - sum % 11) % 11;
    return c == 10 ? QLatin1Char('X') : QChar('0' + c);
}

QString digits(GeneratorRandom &r, int count)
{
    QString out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out += QChar('0' + r.below(10));
    return out;
}

int copiesFor(GeneratorRandom &r)
{
    const int roll = r.below(100);
    return roll < 40 ? 1 : roll < 70 ? 2 : roll < 85 ? 3 : roll < 95 ? 4 : 5;
}

int levelFor(GeneratorRandom &r)
{
    const int roll = r.below(100);
    return roll < 90 ? 0 : roll < 97 ? 1 : 2;
}

QDateTime workingMoment(GeneratorRandom &r, const QDate &day)
{
    return QDateTime(day, QTime(r.between(8, 17), r.below(60), r.below(60)));
}

} // namespace

const QVector<ReaderCategory> &readerCategories()
{
    static const QVector<ReaderCategory> all = {
        {QStringLiteral("普通"), 30, 5, 0, 15},
        {QStringLiteral("学生"), 30, 5, 1000, 60},
        {QStringLiteral("教师"), 60, 10, 0, 15},
        {QStringLiteral("临时"), 15, 2, 2000, 10},
    };
    return all;
}

const QVector<ItemLevel> &itemLevels()
{
    static const QVector<ItemLevel> all = {
        {QStringLiteral("普通"), 0, 0},
        {QStringLiteral("新书"), 2000, 2},
        {QStringLiteral("珍贵"), 5000, 1},
    };
    return all;
}

QStringList locations()
{
    return list({"书库", "一楼社科书库", "二楼自科书库", "三楼文学书库", "期刊阅览室", "特藏室"});
}

QStringList departments()
{
    return list({"计算机学院", "文学院", "外国语学院", "数学学院", "物理学院", "经济管理学院",
                 "法学院", "医学院", "艺术学院", "图书馆", "后勤处", "校外"});
}

QStringList faculties()
{
    return list({"信息工程系", "中文系", "英语系", "数学系", "物理系", "管理系", "法律系",
                 "临床医学系", "美术系"});
}

QStringList classes()
{
    QStringList out;
    const QStringList majors =
        list({"计算机", "中文", "英语", "数学", "物理", "会计", "法学", "临床", "美术"});
    for (const QString &m : majors) {
        for (int year = 21; year <= 24; ++year)
            out << QStringLiteral("%1%2%3").arg(m).arg(year).arg(QStringLiteral("01"));
    }
    return out;
}

QStringList currencies()
{
    return list({"人民币", "美元", "港币"});
}

QStringList documents()
{
    return list({"身份证", "学生证", "工作证"});
}

QStringList attachments()
{
    return list({"光盘", "磁带", "地图"});
}

QStringList administrators()
{
    return list({"超级管理员", "王丽", "陈刚"});
}

Book book(quint64 seed, int index, const QDate &today)
{
    GeneratorRandom r = GeneratorRandom::forItem(seed, BookKind, static_cast<quint64>(index));
    static const QStringList locs = locations();
    static const QStringList admins = administrators();
    static const QStringList atts = attachments();
    const auto &pubs = LibraryWords::publishers();
    Book b;
    b.number = QStringLiteral("B%1").arg(index + 1, 7, 10, QLatin1Char('0'));
    b.classification = r.below(LibraryWords::classifications().size());
    b.publisher = r.below(pubs.size());
    b.title = LibraryWords::bookTitle(r, b.classification);
    b.location = locs[1 + r.below(3)];
    b.author = LibraryWords::personName(r).text;
    if (r.chance(0.15))
        b.author += QStringLiteral(" 主编");
    const bool foreign =
        LibraryWords::classifications()[b.classification].subcategory == QStringLiteral("外国小说");
    if (foreign || r.chance(0.03))
        b.translator = LibraryWords::personName(r).text;
    b.copies = copiesFor(r);
    b.priceRaw = static_cast<qint64>(r.between(12, 256)) * 5000; // 6.00 … 128.00
    b.published = today.addDays(-r.between(30, 40 * 365));
    b.pages = r.between(6, 60) * 16;
    // ISBN 7-<publisher>-<title>-<check>; the barcode is the same number as EAN-13.
    const QString pub = pubs[b.publisher].digits;
    const QString title = digits(r, 8 - pub.size());
    const QString nine = QStringLiteral("7") + pub + title;
    b.isbn = QStringLiteral("7-%1-%2-%3").arg(pub, title).arg(isbnCheck(nine));
    const QString twelve = QStringLiteral("978") + nine;
    b.barcode = twelve + eanCheck(twelve);
    b.edition = QString::number(r.chance(0.8) ? 1 : r.between(2, 5));
    b.lendable = !r.chance(0.02);
    b.summary = LibraryWords::summary(r, b.title.text);
    b.currency = r.chance(0.97) ? QStringLiteral("人民币") : QStringLiteral("美元");
    b.level = levelFor(r);
    b.registrar = admins[r.below(admins.size())];
    b.intake = workingMoment(r, today.addDays(-r.between(1, 12 * 365)));
    if (r.chance(0.05))
        b.attachment = atts[r.below(atts.size())];
    b.source = r.chance(0.9) ? QStringLiteral("购买") : QStringLiteral("捐赠");
    if (b.source == QStringLiteral("捐赠"))
        b.donor = LibraryWords::personName(r).text;
    return b;
}

Periodical periodical(quint64 seed, int index, const QDate &today)
{
    GeneratorRandom r = GeneratorRandom::forItem(seed, PeriodicalKind, static_cast<quint64>(index));
    static const QStringList admins = administrators();
    const auto &titles = LibraryWords::periodicals();
    Periodical p;
    p.number = QStringLiteral("Q%1").arg(index + 1, 6, 10, QLatin1Char('0'));
    p.title = index % titles.size();
    const LibraryWords::Periodical &t = titles[p.title];
    // Issues go back in time, one round of titles per issue.
    const int back = index / titles.size();
    const int daysPerIssue = 365 / t.issuesPerYear;
    p.published = today.addDays(-back * daysPerIssue - r.below(3));
    const int issue = (p.published.dayOfYear() - 1) / daysPerIssue + 1;
    p.issue = QString::number(qMin(issue, t.issuesPerYear));
    p.runningIssue = QString::number(1000 - back);
    QString issn = t.issn;
    issn.remove(QLatin1Char('-'));
    const QString twelve = QStringLiteral("977") + issn.left(7) +
                           QStringLiteral("%1").arg(issue % 100, 2, 10, QLatin1Char('0'));
    p.barcode = twelve + eanCheck(twelve);
    p.level = 0;
    p.classification = r.below(LibraryWords::classifications().size());
    p.location = QStringLiteral("期刊阅览室");
    p.copies = r.between(1, 3);
    p.intake = workingMoment(r, p.published.addDays(r.between(3, 20)));
    if (p.intake.date() > today)
        p.intake = workingMoment(r, today);
    p.priceRaw = static_cast<qint64>(r.between(6, 40)) * 5000;
    p.registrar = admins[r.below(admins.size())];
    p.source = r.chance(0.95) ? QStringLiteral("购买") : QStringLiteral("捐赠");
    return p;
}

Reader reader(quint64 seed, int index, const QDate &firstLoanDay)
{
    GeneratorRandom r = GeneratorRandom::forItem(seed, ReaderKind, static_cast<quint64>(index));
    static const QStringList deps = departments();
    static const QStringList facs = faculties();
    static const QStringList cls = classes();
    static const QStringList admins = administrators();
    Reader d;
    d.number = QStringLiteral("%1").arg(index + 1, 6, 10, QLatin1Char('0'));
    d.name = LibraryWords::personName(r);
    d.sex = r.chance(0.5) ? QStringLiteral("男") : QStringLiteral("女");
    int roll = r.below(100);
    d.category = 0;
    const auto &cats = readerCategories();
    for (int c = 0; c < cats.size(); ++c) {
        if (roll < cats[c].share) {
            d.category = c;
            break;
        }
        roll -= cats[c].share;
    }
    d.department = pickOf(r, deps);
    d.address = LibraryWords::address(r);
    d.phone = QStringLiteral("13") + digits(r, 9);
    const bool student = cats[d.category].name == QStringLiteral("学生");
    if (student) {
        d.className = pickOf(r, cls);
        d.faculty = pickOf(r, facs);
    }
    d.document = student && r.chance(0.5) ? QStringLiteral("学生证") : QStringLiteral("身份证");
    d.documentNumber = d.document == QStringLiteral("身份证")
                           ? QStringLiteral("4201") + digits(r, 2) +
                                 QString::number(r.between(1960, 2005)) + digits(r, 8)
                           : QStringLiteral("S") + digits(r, 8);
    d.registered = workingMoment(r, firstLoanDay.addDays(-r.between(1, 1500)));
    d.validUntil = d.registered.date().addYears(student ? 4 : 8);
    d.suspended = r.chance(0.01);
    d.registrar = pickOf(r, admins);
    if (r.chance(0.9))
        d.cardId = QStringLiteral("C%1").arg(20000000 + index * 7 + 3);
    return d;
}

} // namespace GeneratedItems
