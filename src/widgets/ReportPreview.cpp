#include "ReportPreview.h"

#include "Prompt.h"
#include "print/ReportPainter.h"

#include <QAction>
#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QToolBar>

namespace {

ReportPreview::Sink *g_sink = nullptr;

void preparePrinter(QPrinter *printer, const ReportModel &model)
{
    printer->setFullPage(true);
    printer->setPageLayout(ReportPainter::pageLayout(model));
    printer->setDocName(model.title);
}

} // namespace

ReportPreviewDialog::ReportPreviewDialog(const ReportModel &model, QWidget *parent)
    : QPrintPreviewDialog(parent)
    , m_model(model)
{
    setWindowTitle(model.title.isEmpty() ? QStringLiteral("打印预览")
                                         : QStringLiteral("打印预览 - ") + model.title);
    // The preview's own printer starts at screen resolution; print finer than that.
    printer()->setResolution(600);
    preparePrinter(printer(), m_model);
    connect(this, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) {
        QPainter painter(p);
        ReportPainter::renderPages(m_model, &painter, p);
    });
    if (auto *bar = findChild<QToolBar *>()) {
        bar->addSeparator();
        QAction *pdf = bar->addAction(QStringLiteral("导出PDF"));
        pdf->setToolTip(QStringLiteral("把报表保存为 PDF 文件"));
        connect(pdf, &QAction::triggered, this, &ReportPreviewDialog::exportPdfAsked);
    }
    resize(900, 700);
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

bool ReportPreviewDialog::exportPdf(const QString &path, QString *error)
{
    return ReportPainter::writePdf(m_model, path, error);
}

void ReportPreviewDialog::exportPdfAsked()
{
    const QString name =
        (m_model.title.isEmpty() ? QStringLiteral("报表") : m_model.title) + QStringLiteral(".pdf");
    const QString path =
        Prompt::saveFileName(this, QStringLiteral("导出PDF"), QDir::home().filePath(name),
                             QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!exportPdf(path, &error))
        Prompt::error(this, error);
}

void ReportPreview::show(QWidget *parent, const ReportModel &model)
{
    if (g_sink) {
        g_sink->preview(parent, model);
        return;
    }
    if (model.pageCount() == 0) {
        Prompt::info(parent, QStringLiteral("没有可打印的内容"));
        return;
    }
    ReportPreviewDialog preview(model, parent);
    preview.exec();
}

void ReportPreview::show(QWidget *parent, const QVector<ReportModel> &models)
{
    for (const ReportModel &m : models)
        show(parent, m);
}

void ReportPreview::showLarge(QWidget *parent, int pages, const Builder &build)
{
    constexpr int kPagesWithoutQuestion = 2000;
    if (pages > kPagesWithoutQuestion &&
        !Prompt::ask(parent,
                     QStringLiteral("报表约有 %1 页, 生成和预览需要一些时间. 是否继续?").arg(pages),
                     Prompt::Answer::Yes))
        return;
    ReportModel report;
    QString error;
    if (!build(&report, &error)) {
        Prompt::error(parent, error);
        return;
    }
    show(parent, report);
}

bool ReportPreview::print(const ReportModel &model, QPrinter *printer, QString *error)
{
    preparePrinter(printer, model);
    return ReportPainter::render(model, printer, error);
}

ReportPreview::Sink *ReportPreview::setSink(Sink *sink)
{
    Sink *previous = g_sink;
    g_sink = sink;
    return previous;
}
