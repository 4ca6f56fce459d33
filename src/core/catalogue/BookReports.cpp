#include "BookReports.h"

#include "ItemReports.h"

#include "print/CardReports.h"

namespace BookReports {

namespace {

QString f(const char *field)
{
    return QString::fromUtf8(field);
}

} // namespace

QStringList fieldsOf(Kind kind)
{
    switch (kind) {
    case Kind::List:
        return ItemReports::listFields();
    case Kind::Barcodes:
        return {f("条形码")};
    case Kind::SpineLabels:
        return {f("编号"), f("分类号"), f("zch"), f("条形码")};
    case Kind::CatalogueCards:
        return {f("分类"),   f("编号"),   f("索书号"),   f("名称"), f("作者"), f("译者"),
                f("分类号"), f("出版社"), f("出版时间"), f("价格"), f("简介")};
    case Kind::ClassLabels:
        return {f("分类号")};
    }
    return {};
}

ReportModel list(const ReportRows &books, const QDateTime &printedAt)
{
    return ItemReports::list({QStringLiteral("图书列表"), QStringLiteral("图书编号"),
                              QStringLiteral("书名"), QStringLiteral(" 数量合计: "),
                              QStringLiteral("  价格合计: ")},
                             books, printedAt);
}

ReportModel barcodes(const ReportRows &books)
{
    return ItemReports::barcodes(QStringLiteral("图书条码"), books);
}

ReportModel spineLabels(const ReportRows &books, bool single)
{
    const QStringList fields = single ? QStringList{f("分类号"), f("编号"), f("条形码"), f("zch")}
                                      : QStringList{f("编号"), f("分类号"), f("zch"), f("条形码")};
    return ItemReports::labels(QStringLiteral("书标"), fields, books);
}

ReportModel catalogueCards(const ReportRows &books, bool single)
{
    return CardReports::catalogueCards(books, !single);
}

ReportModel classLabels(const ReportRows &books)
{
    // The class number alone, larger, on a narrower label.
    return ItemReports::labels(QStringLiteral("分类号"), {f("分类号")}, books, 14, QSizeF(40, 15));
}

bool build(Kind kind, const Statement &books, const QDateTime &printedAt, ReportModel *report,
           QString *error)
{
    ReportRows rows;
    if (!rows.load(books, fieldsOf(kind), error))
        return false;
    switch (kind) {
    case Kind::List:
        *report = list(rows, printedAt);
        break;
    case Kind::Barcodes:
        *report = barcodes(rows);
        break;
    case Kind::SpineLabels:
        *report = spineLabels(rows);
        break;
    case Kind::CatalogueCards:
        *report = catalogueCards(rows);
        break;
    case Kind::ClassLabels:
        *report = classLabels(rows);
        break;
    }
    return true;
}

} // namespace BookReports
