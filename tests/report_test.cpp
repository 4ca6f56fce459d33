// Report templates build models of pages and items; the tests read the models: which texts
// stand on which page, the totals, the page sums, the barcodes of labels and cards.
#include "db/Money.h"
#include "print/CardReports.h"
#include "print/LabelReport.h"
#include "print/ListReport.h"
#include "print/ReportPainter.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime kPrinted(QDate(2024, 5, 6), QTime(14, 3, 9));

// Books numbered B0001…; the price of book i is i + 0.25, its count i % 5.
ReportRows books(int n)
{
    ReportRows rows;
    for (int i = 1; i <= n; ++i) {
        rows.append(QVariantMap{
            {QStringLiteral("编号"), QStringLiteral("B%1").arg(i, 4, 10, QLatin1Char('0'))},
            {QStringLiteral("名称"), QStringLiteral("图书%1").arg(i)},
            {QStringLiteral("价格"), i + 0.25},
            {QStringLiteral("数量"), i % 5},
            {QStringLiteral("条形码"), QStringLiteral("97871%1").arg(i, 5, 10, QLatin1Char('0'))},
        });
    }
    return rows;
}

ListReportSpec bookList()
{
    ListReportSpec setup;
    setup.title = QStringLiteral("图书清单");
    setup.columns = {{QStringLiteral("编号"), QStringLiteral("图书编号"), 30},
                     {QStringLiteral("名称"), QStringLiteral("书名"), 0},
                     {QStringLiteral("数量"), QStringLiteral("数量"), 20, CellFormat::Number},
                     {QStringLiteral("价格"), QStringLiteral("价格"), 25, CellFormat::Money}};
    setup.totals = {{QStringLiteral(" 价格合计:"), QStringLiteral("价格"), CellFormat::Money},
                    {QStringLiteral("  数量合计: "), QStringLiteral("数量")}};
    setup.printedAt = kPrinted;
    return setup;
}

// The rows printed on a page, by the row index of their cells.
QList<int> rowsOn(const ReportModel &model, int page)
{
    QList<int> rows;
    for (const ReportItem *cell : model.items(page, QStringLiteral("cell"))) {
        if (rows.isEmpty() || rows.last() != cell->row)
            rows.append(cell->row);
    }
    return rows;
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void listOfThreeRows();
    void longListPaginatesWithHeadersFootersAndPageSums();
    void emptyListStillPrintsHeadingAndZeroTotals();
    void labelsOnePagePerRowWithBarcode();
    void catalogueCardOfASingleBookLeavesOutNumberPriceAndClass();
    void readerCardsCarryNameCategoryAndNumberBarcode();
    void pdfIsWrittenAndABadPathIsReported();
};

void ReportTest::listOfThreeRows()
{
    const ReportModel model = buildListReport(bookList(), books(3));
    QCOMPARE(model.pageCount(), 1);
    QCOMPARE(model.texts(0, QStringLiteral("title")), QStringList{QStringLiteral("图书清单")});
    QCOMPARE(model.texts(0, QStringLiteral("heading")),
             QStringList{QStringLiteral("2024-05-06       14:03:09")});
    QCOMPARE(model.texts(0, QStringLiteral("columnTitle")),
             (QStringList{"图书编号", "书名", "数量", "价格"}));
    QCOMPARE(rowsOn(model, 0), (QList<int>{0, 1, 2}));
    QCOMPARE(model.texts(0, QStringLiteral("cell")),
             (QStringList{"B0001", "图书1", "1", "1.25", "B0002", "图书2", "2", "2.25", "B0003",
                          "图书3", "3", "3.25"}));
    // 1.25 + 2.25 + 3.25 and 1 + 2 + 3.
    QCOMPARE(model.texts(0, QStringLiteral("totals")),
             QStringList{QStringLiteral(" 价格合计:6.75  数量合计: 6")});
    QCOMPARE(model.texts(0, QStringLiteral("pageFooter")),
             QStringList{QStringLiteral("打印时间: 2024-05-06 14:03:09")});
    QCOMPARE(model.texts(0, QStringLiteral("pageNumber")),
             QStringList{QStringLiteral("第 1 页 / 共 1 页")});
    // The totals line comes after the last row, and everything lies inside the page.
    const double lastRowBottom = model.items(0, QStringLiteral("cell")).last()->rect.bottom();
    QVERIFY(model.items(0, QStringLiteral("totals")).first()->rect.top() >= lastRowBottom);
    const QRectF paper(QPointF(0, 0), model.pageSize);
    for (const ReportItem &item : model.pages[0].items)
        QVERIFY(paper.contains(item.rect.topLeft()) && paper.contains(item.rect.bottomRight()));
}

void ReportTest::longListPaginatesWithHeadersFootersAndPageSums()
{
    ListReportSpec setup = bookList();
    setup.pageSums = {{QStringLiteral("数量: "), QStringLiteral("数量")},
                      {QStringLiteral("  价格: "), QStringLiteral("价格"), CellFormat::Money}};
    setup.footerTotals = {{QStringLiteral("  总数量: "), QStringLiteral("数量")}};
    const int n = 200;
    const ReportModel model = buildListReport(setup, books(n));
    const int pages = model.pageCount();
    QVERIFY(pages >= 4);

    QList<int> seen;
    for (int p = 0; p < pages; ++p) {
        QCOMPARE(model.texts(p, QStringLiteral("title")).size(), 1);
        QCOMPARE(model.texts(p, QStringLiteral("columnTitle")).size(), 4);
        QCOMPARE(model.texts(p, QStringLiteral("pageNumber")),
                 QStringList{QStringLiteral("第 %1 页 / 共 %2 页").arg(p + 1).arg(pages)});
        // Sum of i % 5 over all books: 40 full rounds of 0+1+2+3+4.
        QCOMPARE(model.texts(p, QStringLiteral("pageFooter")),
                 QStringList{QStringLiteral("打印时间: 2024-05-06 14:03:09  总数量: 400")});
        const QList<int> rows = rowsOn(model, p);
        seen += rows;
        qint64 count = 0;
        Money price;
        for (int r : rows) {
            count += (r + 1) % 5;
            price += Money::fromDouble(r + 1.25);
        }
        QCOMPARE(
            model.texts(p, QStringLiteral("pageSum")),
            QStringList{
                QStringLiteral("本页小计:数量: %1  价格: %2").arg(count).arg(price.toFixed2())});
        // Rows stay above the page sums, the page sums above the footer.
        const double sumTop = model.items(p, QStringLiteral("pageSum")).first()->rect.top();
        for (const ReportItem *cell : model.items(p, QStringLiteral("cell")))
            QVERIFY(cell->rect.bottom() <= sumTop + 1e-6);
        QVERIFY(model.items(p, QStringLiteral("pageFooter")).first()->rect.top() >=
                model.items(p, QStringLiteral("pageSum")).first()->rect.bottom() - 1e-6);
    }
    QList<int> all;
    for (int i = 0; i < n; ++i)
        all.append(i);
    QCOMPARE(seen, all);
    // The totals line stands once, on the last page: 200 * 201 / 2 + 200 * 0.25 = 20150.
    for (int p = 0; p + 1 < pages; ++p)
        QVERIFY(model.texts(p, QStringLiteral("totals")).isEmpty());
    QCOMPARE(model.texts(pages - 1, QStringLiteral("totals")),
             QStringList{QStringLiteral(" 价格合计:20150.00  数量合计: 400")});
}

void ReportTest::emptyListStillPrintsHeadingAndZeroTotals()
{
    const ReportModel model = buildListReport(bookList(), ReportRows());
    QCOMPARE(model.pageCount(), 1);
    QVERIFY(model.texts(0, QStringLiteral("cell")).isEmpty());
    QCOMPARE(model.texts(0, QStringLiteral("columnTitle")).size(), 4);
    QCOMPARE(model.texts(0, QStringLiteral("totals")),
             QStringList{QStringLiteral(" 价格合计:0.00  数量合计: 0")});
}

void ReportTest::labelsOnePagePerRowWithBarcode()
{
    LabelSpec setup;
    setup.lines = {{QStringLiteral("编号:"), QStringLiteral("编号")},
                   {QString(), QStringLiteral("名称"), CellFormat::Auto, 10, true}};
    setup.barcodeField = QStringLiteral("条形码");
    setup.symbology = Barcode::Symbology::Code39;
    const ReportRows rows = books(3);
    const ReportModel model = buildLabels(setup, rows);
    QCOMPARE(model.pageCount(), 3);
    for (int p = 0; p < 3; ++p) {
        QCOMPARE(model.texts(p, QStringLiteral("line")),
                 (QStringList{QStringLiteral("编号:B000%1").arg(p + 1),
                              QStringLiteral("图书%1").arg(p + 1)}));
        const QVector<const ReportItem *> codes = model.items(p, QStringLiteral("barcode"));
        QCOMPARE(codes.size(), 1);
        const QString value = QStringLiteral("97871%1").arg(p + 1, 5, 10, QLatin1Char('0'));
        QCOMPARE(codes[0]->text, value);
        QVERIFY(codes[0]->barcode.hasBars());
        QCOMPARE(codes[0]->barcode.moduleString(),
                 Barcode::encode(Barcode::Symbology::Code39, value).moduleString());
        // Under the lines and inside the label.
        QVERIFY(codes[0]->rect.top() >=
                model.items(p, QStringLiteral("line")).last()->rect.bottom());
        QVERIFY(codes[0]->rect.bottom() <= model.pageSize.height());
    }
}

void ReportTest::catalogueCardOfASingleBookLeavesOutNumberPriceAndClass()
{
    ReportRows rows;
    rows.append(QVariantMap{{QStringLiteral("编号"), QStringLiteral("B9")},
                            {QStringLiteral("分类"), QStringLiteral("文学")},
                            {QStringLiteral("分类号"), QStringLiteral("I247")},
                            {QStringLiteral("价格"), 12.5},
                            {QStringLiteral("出版时间"), QStringLiteral("2019-07-01")},
                            {QStringLiteral("名称"), QStringLiteral("围城")},
                            {QStringLiteral("简介"), QStringLiteral("长篇小说")}});
    const ReportModel full = CardReports::catalogueCards(rows, true);
    const ReportModel single = CardReports::catalogueCards(rows, false);
    QCOMPARE(full.pageCount(), 1);
    QCOMPARE(full.items(0, QStringLiteral("frame")).size(), 1);
    QCOMPARE(full.texts(0, QStringLiteral("编号")), QStringList{QStringLiteral("编号: B9")});
    QCOMPARE(full.texts(0, QStringLiteral("价格")), QStringList{QStringLiteral("价格: 12.50")});
    QCOMPARE(full.texts(0, QStringLiteral("分类号")), QStringList{QStringLiteral("分类号: I247")});
    QCOMPARE(full.texts(0, QStringLiteral("出版时间")),
             QStringList{QStringLiteral("出版时间: 2019-07-01")});
    QCOMPARE(single.texts(0, QStringLiteral("编号")), QStringList{QStringLiteral("编号: ")});
    QCOMPARE(single.texts(0, QStringLiteral("价格")), QStringList{QStringLiteral("价格: ")});
    QCOMPARE(single.texts(0, QStringLiteral("分类号")), QStringList{QStringLiteral("分类号: ")});
    QCOMPARE(single.texts(0, QStringLiteral("名称")), QStringList{QStringLiteral("名称: 围城")});
    QCOMPARE(single.texts(0, QStringLiteral("简介")),
             QStringList{QStringLiteral("简介: 长篇小说")});
}

void ReportTest::readerCardsCarryNameCategoryAndNumberBarcode()
{
    ReportRows rows;
    rows.append(QVariantMap{{QStringLiteral("读者编号"), QStringLiteral("R0001")},
                            {QStringLiteral("读者姓名"), QStringLiteral("张三")},
                            {QStringLiteral("类别"), QStringLiteral("学生")}});
    rows.append(QVariantMap{{QStringLiteral("读者编号"), QStringLiteral("r-lower")},
                            {QStringLiteral("读者姓名"), QStringLiteral("李四")},
                            {QStringLiteral("类别"), QStringLiteral("教师")}});
    const ReportModel front = CardReports::readerCardFronts(rows, QStringLiteral("城东图书馆"));
    QCOMPARE(front.pageCount(), 2);
    QCOMPARE(front.texts(0, QStringLiteral("heading")), QStringList{QStringLiteral("城东图书馆")});
    QCOMPARE(front.texts(0, QStringLiteral("name")), QStringList{QStringLiteral("姓名:张三")});
    QCOMPARE(front.texts(0, QStringLiteral("category")), QStringList{QStringLiteral("学生")});
    QCOMPARE(front.items(0, QStringLiteral("edge")).size(), 3);
    const ReportItem *code = front.items(0, QStringLiteral("barcode")).first();
    QCOMPARE(code->barcode.symbology(), Barcode::Symbology::Code128A);
    QCOMPARE(code->barcode.moduleString(),
             Barcode::encode(Barcode::Symbology::Code128A, QStringLiteral("R0001")).moduleString());
    // Lower case is outside set A: that card shows the number as text only.
    const ReportItem *textOnly = front.items(1, QStringLiteral("barcode")).first();
    QVERIFY(!textOnly->barcode.hasBars());
    QCOMPARE(textOnly->text, QStringLiteral("r-lower"));

    const ReportModel back =
        CardReports::readerCardBacks(rows.count(), QStringLiteral("请爱护图书"));
    QCOMPARE(back.pageCount(), 2);
    QCOMPARE(back.texts(1, QStringLiteral("backText")), QStringList{QStringLiteral("请爱护图书")});
}

void ReportTest::pdfIsWrittenAndABadPathIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.pdf"));
    const ReportModel model = buildListReport(bookList(), books(120));
    QString error;
    QVERIFY2(ReportPainter::writePdf(model, path, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
             model.pageCount());
    QVERIFY(
        !ReportPainter::writePdf(model, dir.filePath(QStringLiteral("no/such/dir/x.pdf")), &error));
    QVERIFY(error.contains(QStringLiteral("x.pdf")));
}

QTEST_MAIN(ReportTest)
#include "report_test.moc"
