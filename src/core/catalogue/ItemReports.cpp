#include "ItemReports.h"

#include "print/LabelReport.h"
#include "print/ListReport.h"

namespace ItemReports {

namespace {

QString f(const char *field)
{
    return QString::fromUtf8(field);
}

} // namespace

QStringList listFields()
{
    return {f("编号"), f("条形码"), f("名称"), f("分类"), f("存放位置"), f("数量"), f("价格")};
}

ReportModel list(const ListTexts &texts, const ReportRows &rows, const QDateTime &printedAt)
{
    ListReportSpec setup;
    setup.title = texts.title;
    setup.heading = QStringLiteral("[DATE]       [TIME]");
    setup.columns = {
        {f("编号"), texts.numberTitle, 28, CellFormat::Text},
        {f("条形码"), QStringLiteral("条形码"), 32, CellFormat::Text},
        {f("名称"), texts.nameTitle, 0, CellFormat::Text},
        {f("分类"), QStringLiteral("分类"), 24, CellFormat::Text},
        {f("存放位置"), QStringLiteral("存放位置"), 24, CellFormat::Text},
        {f("数量"), QStringLiteral("数量"), 14, CellFormat::Number},
    };
    setup.footerTotals = {{texts.countLabel, f("数量"), CellFormat::Number},
                          {texts.priceLabel, f("价格"), CellFormat::Money}};
    setup.printedAt = printedAt;
    return buildListReport(setup, rows);
}

ReportModel barcodes(const QString &title, const ReportRows &rows)
{
    LabelSpec setup;
    setup.title = title;
    setup.pageSize = QSizeF(50, 25);
    setup.barcodeField = f("条形码");
    setup.symbology = Barcode::Symbology::Code128A;
    return buildLabels(setup, rows);
}

ReportModel labels(const QString &title, const QStringList &fields, const ReportRows &rows,
                   double fontSize, const QSizeF &pageSize)
{
    LabelSpec setup;
    setup.title = title;
    setup.pageSize = pageSize;
    for (const QString &field : fields) {
        LabelLine line;
        line.field = field;
        line.format = CellFormat::Text;
        line.fontSize = fontSize;
        line.alignment = Qt::AlignCenter;
        setup.lines.append(line);
    }
    return buildLabels(setup, rows);
}

} // namespace ItemReports
