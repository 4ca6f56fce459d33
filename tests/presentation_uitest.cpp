// The presentation widgets on screen: the print preview of a report with its PDF export, the
// recorder that window tests use instead of the preview, the bar chart widget, and printing
// a window's picture.
#include "PromptRecorder.h"
#include "ReportRecorder.h"

#include "BarChart.h"
#include "ReportPreview.h"
#include "WindowPrint.h"
#include "print/ListReport.h"
#include "print/ReportPainter.h"

#include <QLabel>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

namespace {

ReportModel smallList()
{
    ListReportSpec setup;
    setup.title = QStringLiteral("读者清单");
    setup.columns = {{QStringLiteral("读者编号"), QStringLiteral("编号"), 30},
                     {QStringLiteral("读者姓名"), QStringLiteral("姓名"), 0}};
    ReportRows rows;
    rows.append(QVariantMap{{QStringLiteral("读者编号"), QStringLiteral("R1")},
                            {QStringLiteral("读者姓名"), QStringLiteral("王五")}});
    return buildListReport(setup, rows);
}

int pdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    return pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page\r");
}

} // namespace

class PresentationTest : public QObject {
    Q_OBJECT
private slots:
    void recorderReceivesTheReportsInsteadOfThePreview();
    void previewExportsPdfFromItsToolbar();
    void emptyReportIsNotPreviewed();
    void chartWidgetPaintsEachBarInItsColour();
    void windowPictureIsPrintedOnOnePage();
};

void PresentationTest::recorderReceivesTheReportsInsteadOfThePreview()
{
    ReportRecorder recorder;
    ReportPreview::show(nullptr, QVector<ReportModel>{smallList(), smallList()});
    QCOMPARE(recorder.models().size(), 2);
    QCOMPARE(recorder.last().texts(0, QStringLiteral("cell")),
             (QStringList{QStringLiteral("R1"), QStringLiteral("王五")}));
}

void PresentationTest::previewExportsPdfFromItsToolbar()
{
    PromptRecorder prompts;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("读者.pdf"));
    prompts.answerSaveFile(path);
    ReportPreviewDialog preview(smallList());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.printer()->pageLayout().fullRectPoints().size(),
             ReportPainter::pageLayout(preview.model()).fullRectPoints().size());
    QAction *pdf = nullptr;
    for (QAction *a : preview.findChild<QToolBar *>()->actions()) {
        if (a->text() == QStringLiteral("导出PDF"))
            pdf = a;
    }
    QVERIFY(pdf);
    pdf->trigger();
    QCOMPARE(pdfPages(path), 1);
    QVERIFY(prompts.entries().size() == 1); // the file question only, no error
    // A file that cannot be written is reported, not lost silently.
    prompts.answerSaveFile(dir.filePath(QStringLiteral("无此目录/读者.pdf")));
    pdf->trigger();
    QCOMPARE(prompts.entries().last().kind, Prompt::Kind::Error);
}

void PresentationTest::emptyReportIsNotPreviewed()
{
    PromptRecorder prompts;
    ReportPreview::show(nullptr, ReportModel());
    QCOMPARE(prompts.last(), QStringLiteral("没有可打印的内容"));
}

void PresentationTest::chartWidgetPaintsEachBarInItsColour()
{
    BarChartModel model;
    model.title = QStringLiteral("借阅次数排行");
    model.addBar(QStringLiteral("红楼梦"), 30);
    model.addBar(QStringLiteral("西游记"), 20);
    model.addBar(QStringLiteral("水浒传"), 10);
    BarChart chart;
    chart.setModel(model);
    chart.resize(600, 400);
    const QImage image = chart.grab().toImage();
    const BarChartModel::Layout l = chart.chartLayout();
    for (int i = 0; i < 3; ++i) {
        // A point inside the left face of the pyramid, a little above the base.
        const QPolygonF &p = l.bars[i].pyramid;
        const QPointF inside(p[0].x() + (p[1].x() - p[0].x()) * 0.7, p[0].y() - 4);
        const QColor got = image.pixelColor(inside.toPoint());
        const QColor want = model.bars[i].color;
        QVERIFY2(qAbs(got.red() - want.red()) < 8 && qAbs(got.green() - want.green()) < 8 &&
                     qAbs(got.blue() - want.blue()) < 8,
                 qPrintable(got.name() + QLatin1Char(' ') + want.name()));
    }
}

void PresentationTest::windowPictureIsPrintedOnOnePage()
{
    QLabel window(QStringLiteral("图书总数: 12"));
    window.resize(300, 120);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("window.pdf"));
    {
        QPdfWriter pdf(path);
        QString error;
        QVERIFY2(WindowPrint::printPicture(&window, &pdf, &error), qPrintable(error));
    }
    QCOMPARE(pdfPages(path), 1);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("/Subtype /Image"));
    QString error;
    QVERIFY(!WindowPrint::printPicture(nullptr, nullptr, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(PresentationTest)
#include "presentation_uitest.moc"
