#include "CardReports.h"

#include "ReportText.h"

namespace CardReports {

namespace {

QString text(const ReportRows &rows, int row, const char *field,
             CellFormat format = CellFormat::Auto)
{
    return ReportText::value(rows, row, QString::fromUtf8(field), format);
}

} // namespace

ReportModel catalogueCards(const ReportRows &books, bool numberPriceAndClass)
{
    ReportModel model;
    model.title = QStringLiteral("书录卡");
    model.pageSize = catalogueCardSize();
    const QRectF frame(3, 3, model.pageSize.width() - 6, model.pageSize.height() - 6);
    const double size = 9;
    const double h = ReportText::lineHeight(size);
    const double left = frame.left() + 3;
    const double width = frame.width() - 6;
    const double half = width / 2;

    for (int r = 0; r < books.count(); ++r) {
        ReportPage &page = model.addPage();
        model.addFrame(page, frame, 0.4, QStringLiteral("frame"));
        double y = frame.top() + 1.5;
        auto line = [&](const QString &caption, const QString &value, double x, double w,
                        const QString &role) {
            ReportItem &item = model.addText(page, QRectF(x, y, w, h), caption + value, size, false,
                                             Qt::AlignLeft | Qt::AlignVCenter, role);
            item.row = r;
        };
        const auto opt = [numberPriceAndClass](const QString &value) {
            return numberPriceAndClass ? value : QString();
        };
        line(QStringLiteral("分类: "), text(books, r, "分类"), left, half, QStringLiteral("分类"));
        line(QStringLiteral("编号: "), opt(text(books, r, "编号")), left + half, half,
             QStringLiteral("编号"));
        y += h;
        model.addLine(page, QPointF(frame.left(), y + 0.5), QPointF(frame.right(), y + 0.5), 0.3,
                      QStringLiteral("rule"));
        y += 1.5;
        line(QStringLiteral("索书号:"), text(books, r, "索书号"), left, width,
             QStringLiteral("索书号"));
        y += h;
        line(QStringLiteral("名称: "), text(books, r, "名称"), left, width, QStringLiteral("名称"));
        y += h;
        line(QStringLiteral("作者: "), text(books, r, "作者"), left, width, QStringLiteral("作者"));
        y += h;
        line(QStringLiteral("译者: "), text(books, r, "译者"), left, half, QStringLiteral("译者"));
        line(QStringLiteral("分类号: "), opt(text(books, r, "分类号")), left + half, half,
             QStringLiteral("分类号"));
        y += h;
        line(QStringLiteral("出版社: "), text(books, r, "出版社"), left, width,
             QStringLiteral("出版社"));
        y += h;
        line(QStringLiteral("出版时间: "), text(books, r, "出版时间", CellFormat::Date), left, half,
             QStringLiteral("出版时间"));
        line(QStringLiteral("价格: "), opt(text(books, r, "价格", CellFormat::Money)), left + half,
             half, QStringLiteral("价格"));
        y += h + 0.5;
        // The summary gets the rest of the card, in a box of its own, wrapped.
        const QRectF box(left - 1, y, width + 2, frame.bottom() - 1.5 - y);
        model.addFrame(page, box, 0.2, QStringLiteral("summaryBox"));
        ReportItem &summary = model.addText(
            page, box.adjusted(1, 0.5, -1, -0.5), QStringLiteral("简介: ") + text(books, r, "简介"),
            size - 0.5, false, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("简介"));
        summary.wrap = true;
        summary.row = r;
    }
    return model;
}

ReportModel readerCardFronts(const ReportRows &readers, const QString &libraryName)
{
    ReportModel model;
    model.title = QStringLiteral("借阅证");
    model.pageSize = readerCardSize();
    const double inset = 2;
    const double left = inset;
    const double right = model.pageSize.width() - inset;
    const double bottom = model.pageSize.height() - inset;
    const double width = right - left - 4;

    for (int r = 0; r < readers.count(); ++r) {
        ReportPage &page = model.addPage();
        model.addLine(page, QPointF(left, inset), QPointF(right, inset), 0.4,
                      QStringLiteral("edge"));
        model.addLine(page, QPointF(left, inset), QPointF(left, bottom), 0.4,
                      QStringLiteral("edge"));
        model.addLine(page, QPointF(right, inset), QPointF(right, bottom), 0.4,
                      QStringLiteral("edge"));
        double y = inset + 1.5;
        const double headH = ReportText::lineHeight(12);
        model.addText(page, QRectF(left + 2, y, width, headH), libraryName, 12, true,
                      Qt::AlignCenter, QStringLiteral("heading"));
        y += headH + 0.5;
        const double h = ReportText::lineHeight(10);
        ReportItem &name =
            model.addText(page, QRectF(left + 4, y, width - 4, h),
                          QStringLiteral("姓名:") + text(readers, r, "读者姓名"), 10, false,
                          Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("name"));
        name.row = r;
        y += h;
        ReportItem &category =
            model.addText(page, QRectF(left + 4, y, width - 4, h), text(readers, r, "类别"), 10,
                          false, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("category"));
        category.row = r;
        y += h + 0.5;
        const QString number = readers.value(r, QStringLiteral("读者编号")).toString().trimmed();
        ReportItem &code = model.addBarcode(page, QRectF(left + 4, y, width - 4, bottom - 1 - y),
                                            Barcode::encode(Barcode::Symbology::Code128A, number));
        code.row = r;
        code.field = QStringLiteral("读者编号");
    }
    return model;
}

ReportModel readerCardBacks(int count, const QString &text)
{
    ReportModel model;
    model.title = QStringLiteral("借阅证背面");
    model.pageSize = readerCardSize();
    const QRectF area(2, 2, model.pageSize.width() - 4, model.pageSize.height() - 4);
    for (int i = 0; i < count; ++i) {
        ReportPage &page = model.addPage();
        model.addFrame(page, area, 0.3, QStringLiteral("frame"));
        ReportItem &item = model.addText(page, area.adjusted(3, 3, -3, -3), text, 9, false,
                                         Qt::AlignLeft | Qt::AlignTop, QStringLiteral("backText"));
        item.wrap = true;
        item.row = i;
    }
    return model;
}

} // namespace CardReports
