#include "BookReports.h"

#include "print/CardReports.h"
#include "print/LabelReport.h"
#include "print/ListReport.h"

namespace BookReports {

namespace {

QString f(const char *field)
{
    return QString::fromUtf8(field);
}

// The small label the spine and class-number labels are printed on.
LabelSpec labelSetup(const QString &title)
{
    LabelSpec setup;
    setup.title = title;
    setup.pageSize = QSizeF(40, 30);
    return setup;
}

LabelLine labelLine(const char *field, double size = 10)
{
    LabelLine line;
    line.field = f(field);
    line.format = CellFormat::Text;
    line.fontSize = size;
    line.alignment = Qt::AlignCenter;
    return line;
}

} // namespace

QStringList fieldsOf(Kind kind)
{
    switch (kind) {
    case Kind::List:
        return {f("编号"), f("条形码"), f("名称"), f("分类"), f("存放位置"), f("数量"), f("价格")};
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
    ListReportSpec setup;
    setup.title = QStringLiteral("图书列表");
    setup.heading = QStringLiteral("[DATE]       [TIME]");
    setup.columns = {
        {f("编号"), QStringLiteral("图书编号"), 28, CellFormat::Text},
        {f("条形码"), QStringLiteral("条形码"), 32, CellFormat::Text},
        {f("名称"), QStringLiteral("书名"), 0, CellFormat::Text},
        {f("分类"), QStringLiteral("分类"), 24, CellFormat::Text},
        {f("存放位置"), QStringLiteral("存放位置"), 24, CellFormat::Text},
        {f("数量"), QStringLiteral("数量"), 14, CellFormat::Number},
    };
    setup.footerTotals = {{QStringLiteral(" 数量合计: "), f("数量"), CellFormat::Number},
                          {QStringLiteral("  价格合计: "), f("价格"), CellFormat::Money}};
    setup.printedAt = printedAt;
    return buildListReport(setup, books);
}

ReportModel barcodes(const ReportRows &books)
{
    LabelSpec setup = labelSetup(QStringLiteral("图书条码"));
    setup.pageSize = QSizeF(50, 25);
    setup.barcodeField = f("条形码");
    setup.symbology = Barcode::Symbology::Code128A;
    return buildLabels(setup, books);
}

ReportModel spineLabels(const ReportRows &books, bool single)
{
    LabelSpec setup = labelSetup(QStringLiteral("书标"));
    if (single)
        setup.lines = {labelLine("分类号"), labelLine("编号"), labelLine("条形码"),
                       labelLine("zch")};
    else
        setup.lines = {labelLine("编号"), labelLine("分类号"), labelLine("zch"),
                       labelLine("条形码")};
    return buildLabels(setup, books);
}

ReportModel catalogueCards(const ReportRows &books, bool single)
{
    return CardReports::catalogueCards(books, !single);
}

ReportModel classLabels(const ReportRows &books)
{
    LabelSpec setup = labelSetup(QStringLiteral("分类号"));
    setup.pageSize = QSizeF(40, 15);
    setup.lines = {labelLine("分类号", 14)};
    return buildLabels(setup, books);
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
