#pragma once

#include "print/ReportModel.h"

#include <QPrintPreviewDialog>
#include <QVector>
#include <functional>

class QPrinter;

// The print preview of a report model: the pages as they will print, with the preview's
// own printing (printer choice, page range) and an export of the report to a PDF file.
class ReportPreviewDialog : public QPrintPreviewDialog {
    Q_OBJECT
public:
    explicit ReportPreviewDialog(const ReportModel &model, QWidget *parent = nullptr);
    ~ReportPreviewDialog() override;

    const ReportModel &model() const { return m_model; }
    // Writes the report to a PDF file; false with a message on failure.
    bool exportPdf(const QString &path, QString *error = nullptr);
    // Asks for a file name (through Prompt) and writes the PDF; tells the user if it fails.
    void exportPdfAsked();

private:
    ReportModel m_model;
};

// How windows show their reports:
//
//   ReportPreview::show(this, buildListReport(setup, rows));
class ReportPreview {
public:
    // Shows the report modally in the preview. Several reports (a card's front and back) are
    // shown one after the other. An empty report shows the message "没有可打印的内容".
    static void show(QWidget *parent, const ReportModel &model);
    static void show(QWidget *parent, const QVector<ReportModel> &models);
    // Builds a report over a management window's list and shows it. A report of more than
    // 2000 pages asks first, since building and previewing it takes a while; a build that
    // fails shows the database's message.
    using Builder = std::function<bool(ReportModel *report, QString *error)>;
    static void showLarge(QWidget *parent, int pages, const Builder &build);
    // Prints on a printer without a preview.
    static bool print(const ReportModel &model, QPrinter *printer, QString *error = nullptr);

    // Receives the reports instead of the preview (window tests install one).
    class Sink {
    public:
        virtual ~Sink() = default;
        virtual void preview(QWidget *parent, const ReportModel &model) = 0;
    };
    static Sink *setSink(Sink *sink); // returns the previous one
};
