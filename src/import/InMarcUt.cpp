#include "InMarcUt.h"

#include "ExcelExport.h"
#include "Prompt.h"
#include "app/WindowRegistry.h"
#include "db/LoginContext.h"
#include "import/MarcImport.h"
#include "import/MarcRunner.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kFileFilter =
    QStringLiteral("MARC 文件 (*.iso *.mrc *.marc *.dat *.txt *.xml);;所有文件 (*)");
// Preview lines added per turn of the event loop: the window stays responsive while a large
// file's records are listed.
constexpr int kFillChunk = 4000;

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QPlainTextEdit *textBox(QWidget *parent)
{
    auto *box = new QPlainTextEdit(parent);
    box->setReadOnly(true);
    return box;
}

} // namespace

TInMarcFm::TInMarcFm(QWidget *parent)
    : QDialog(parent)
    , m_runner(new MarcRunner(this))
{
    setObjectName(QStringLiteral("TInMarcFm"));
    setWindowTitle(QStringLiteral("马克marc数据导入"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    m_read->setEnabled(false);
    m_import->setEnabled(false);
    m_stop->setEnabled(false);

    connect(m_open, &QPushButton::clicked, this, &TInMarcFm::openFile);
    connect(m_read, &QPushButton::clicked, this, &TInMarcFm::readFile);
    connect(m_import, &QPushButton::clicked, this, &TInMarcFm::importBooks);
    connect(m_stop, &QPushButton::clicked, m_runner, &MarcRunner::stop);
    connect(m_excel, &QPushButton::clicked, this, &TInMarcFm::exportExcel);
    connect(m_listExcel, &QPushButton::clicked, this, &TInMarcFm::exportList);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::close);
    connect(m_runner, &MarcRunner::readProgress, this, &TInMarcFm::readProgress);
    connect(m_runner, &MarcRunner::readFinished, this, &TInMarcFm::readFinished);
    connect(m_runner, &MarcRunner::importAdvanced, this, &TInMarcFm::importAdvanced);
    connect(m_runner, &MarcRunner::importFinished, this, &TInMarcFm::importFinished);
}

TInMarcFm::~TInMarcFm()
{
    // Ends a running reading or import (after its current record, committing what was
    // written) before the widgets its signals fill are gone.
    delete m_runner;
}

void TInMarcFm::buildLayout()
{
    m_open = new QPushButton(QStringLiteral("打开marc文件"), this);
    m_read = new QPushButton(QStringLiteral("读取marc数据"), this);
    m_import = new QPushButton(QStringLiteral("导入本系统"), this);
    m_stop = new QPushButton(QStringLiteral("停止"), this);
    m_excel = new QPushButton(QStringLiteral("生成Excel"), this);
    m_listExcel = new QPushButton(QStringLiteral("LvToExcel"), this);
    m_exit = new QPushButton(QStringLiteral("exit"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_open, m_read, m_import, m_stop, m_excel, m_listExcel, m_exit})
        buttons->addWidget(b);
    buttons->addStretch();

    m_startEdit = new QLineEdit(this);
    m_startEdit->setMaximumWidth(160);
    m_count = new QLabel(this);
    m_readTime = new QLabel(this);
    m_elapsed = new QLabel(this);
    m_done = new QLabel(this);
    for (QLabel *label : {m_count, m_readTime, m_elapsed})
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(
                                   QStringLiteral("读取时间:99:59:59 已导入:1000000")) /
                               2);
    auto *state = new QHBoxLayout;
    state->addWidget(new QLabel(QStringLiteral("自动编号起始值(每条自动加一)"), this));
    state->addWidget(m_startEdit);
    state->addSpacing(16);
    state->addWidget(m_count);
    state->addWidget(m_readTime);
    state->addWidget(m_elapsed);
    state->addWidget(m_done);
    state->addStretch();

    m_progress = new QProgressBar(this);
    m_progress->setValue(0);

    m_statement = textBox(this);
    m_result = textBox(this);
    m_result->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *boxes = new QGridLayout;
    boxes->addWidget(heading(QStringLiteral("失败的语句"), this), 0, 0);
    boxes->addWidget(heading(QStringLiteral("导入结果"), this), 0, 1);
    boxes->addWidget(m_statement, 1, 0);
    boxes->addWidget(m_result, 1, 1);
    boxes->setColumnStretch(0, 3);
    boxes->setColumnStretch(1, 2);

    m_preview = new QTreeWidget(this);
    m_preview->setHeaderLabels(MarcBook::columnTitles());
    m_preview->setRootIsDecorated(false);
    m_preview->setUniformRowHeights(true);
    m_preview->setAlternatingRowColors(true);
    m_preview->header()->setDefaultSectionSize(90);
    m_preview->header()->resizeSection(0, 200);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(state);
    layout->addWidget(m_progress);
    layout->addWidget(m_preview, 3);
    layout->addLayout(boxes, 1);
    resize(1100, 700);
}

QString TInMarcFm::countText() const
{
    return m_count->text();
}

QString TInMarcFm::readTimeText() const
{
    return m_readTime->text();
}

QString TInMarcFm::elapsedText() const
{
    return m_elapsed->text();
}

QString TInMarcFm::doneText() const
{
    return m_done->text();
}

void TInMarcFm::setBusy(bool busy)
{
    m_open->setEnabled(!busy);
    m_stop->setEnabled(busy);
    m_excel->setEnabled(!busy);
    m_listExcel->setEnabled(!busy);
    if (busy) {
        m_read->setEnabled(false);
        m_import->setEnabled(false);
    }
}

void TInMarcFm::openFile()
{
    if (m_runner->isRunning())
        return;
    m_preview->clear();
    m_books.clear();
    m_filled = 0;
    m_count->clear();
    m_readTime->clear();
    m_elapsed->clear();
    m_done->clear();
    m_import->setEnabled(false);
    m_startEdit->setText(MarcImport::defaultStart(QDateTime::currentDateTime()));
    const QString path = Prompt::openFileName(this, QStringLiteral("打开marc文件"), kFileFilter);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        m_read->setEnabled(false);
        Prompt::error(this, QStringLiteral("打开文件失败！"));
        return;
    }
    m_path = path;
    m_read->setEnabled(true);
}

void TInMarcFm::readFile()
{
    if (m_path.isEmpty() || m_runner->isRunning())
        return;
    m_preview->clear();
    m_books.clear();
    m_filled = 0;
    m_result->clear();
    m_statement->clear();
    m_progress->setMaximum(100);
    m_progress->setValue(0);
    setBusy(true);
    m_runner->read(m_path);
}

void TInMarcFm::readProgress(qint64 done, qint64 total)
{
    m_progress->setValue(total > 0 ? int(done * 100 / total) : 0);
}

void TInMarcFm::readFinished(const MarcReadResult &result, const QVector<MarcBook> &books,
                             qint64 elapsedMs)
{
    setBusy(false);
    m_progress->setValue(m_progress->maximum());
    m_books = books;
    for (const MarcProblem &problem : result.problems)
        m_result->appendPlainText(problem.text());
    if (!result.error.isEmpty()) {
        m_result->appendPlainText(result.error);
        if (books.isEmpty())
            Prompt::error(this, result.error);
    }
    m_readTime->setText(QStringLiteral("读取时间:") + ImportTexts::elapsedText(elapsedMs).mid(3));
    m_read->setEnabled(false);
    fillPreview();
}

void TInMarcFm::fillPreview()
{
    const int end = qMin<int>(m_books.size(), m_filled + kFillChunk);
    QList<QTreeWidgetItem *> items;
    items.reserve(end - m_filled);
    for (int i = m_filled; i < end; ++i)
        items << new QTreeWidgetItem(m_books.at(i).previewTexts());
    m_preview->addTopLevelItems(items);
    m_filled = end;
    m_count->setText(QStringLiteral("已导入:%1").arg(m_filled));
    if (m_filled < m_books.size()) {
        m_open->setEnabled(false);
        QTimer::singleShot(0, this, &TInMarcFm::fillPreview);
        return;
    }
    m_open->setEnabled(true);
    m_import->setEnabled(!m_books.isEmpty());
}

void TInMarcFm::importBooks()
{
    if (m_books.isEmpty() || m_runner->isRunning() || m_filled < m_books.size())
        return;
    const QString text = m_startEdit->text().trimmed();
    m_startEdit->setText(text);
    qint32 start = 0;
    if (!MarcImport::parseStart(text, &start)) {
        Prompt::warning(this, MarcImport::invalidStartMessage());
        m_startEdit->selectAll();
        m_startEdit->setFocus();
        return;
    }
    m_progress->setMaximum(m_books.size());
    m_progress->setValue(0);
    m_elapsed->clear();
    m_done->clear();
    m_statement->clear();
    setBusy(true);
    m_runner->import(m_books, start, ImportContext{QDate::currentDate(), loginContext().adminName});
}

void TInMarcFm::importAdvanced(int done, int total, const QVector<FailedRow> &failed)
{
    m_progress->setMaximum(qMax(1, total));
    m_progress->setValue(done);
    if (failed.isEmpty())
        return;
    for (const FailedRow &f : failed)
        m_result->appendPlainText(f.resultLine());
    const FailedRow &last = failed.last();
    m_statement->setPlainText(last.statement + QStringLiteral("\n\n") + last.reason);
}

void TInMarcFm::importFinished(const ImportSummary &summary)
{
    setBusy(false);
    m_import->setEnabled(false);
    m_elapsed->setText(ImportTexts::elapsedText(summary.elapsedMs));
    for (const QString &line : ImportTexts::finalLines(summary))
        m_result->appendPlainText(line);
    m_done->setText(ImportTexts::doneText());
}

void TInMarcFm::exportExcel()
{
    if (m_preview->topLevelItemCount() == 0)
        return;
    ExportListViewToExcel(this, m_preview);
    Prompt::info(this, QStringLiteral("结束"));
}

void TInMarcFm::exportList()
{
    ExportListViewToExcel(this, m_preview);
}

void TInMarcFm::closeEvent(QCloseEvent *event)
{
    if (m_runner->isRunning())
        m_runner->stop();
    QDialog::closeEvent(event);
}

void registerMarcWindows()
{
    WindowRegistry::add(QStringLiteral("马克marc数据导入"),
                        [](QWidget *parent) -> QWidget * { return new TInMarcFm(parent); });
}
