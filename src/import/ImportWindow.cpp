#include "ImportWindow.h"

#include "ExcelExport.h"
#include "Prompt.h"
#include "db/LoginContext.h"
#include "import/ImportMapping.h"
#include "import/ImportRunner.h"
#include "import/SheetReader.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kFileFilter = QStringLiteral("Excel 表格 (*.xls *.xlsx *.csv);;所有文件 (*)");

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
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}

} // namespace

ImportWindow::ImportWindow(const Setup &setup, QWidget *parent)
    : QDialog(parent)
    , m_mapping(setup.mapping)
    , m_runner(new ImportRunner(this))
{
    setObjectName(setup.objectName);
    setWindowTitle(setup.title);
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout(setup);

    m_listB->addItems(m_mapping->targetItems());
    m_startNumber = ImportNumbering::defaultStart(QDateTime::currentDateTime());
    showStartNumber();
    m_start->setEnabled(false);
    m_stop->setEnabled(false);

    connect(m_choose, &QPushButton::clicked, this, &ImportWindow::chooseFile);
    connect(m_start, &QPushButton::clicked, this, &ImportWindow::startImport);
    connect(m_stop, &QPushButton::clicked, m_runner, &ImportRunner::stop);
    connect(m_clear, &QPushButton::clicked, this, &ImportWindow::clearLists);
    connect(m_export, &QPushButton::clicked, this, &ImportWindow::exportFailed);
    connect(m_quit, &QPushButton::clicked, this, &QDialog::close);
    connect(m_startOk, &QPushButton::clicked, this, &ImportWindow::takeStartNumber);
    connect(m_fromStart, &QCheckBox::toggled, m_startEdit, &QLineEdit::setEnabled);
    connect(m_fromStart, &QCheckBox::toggled, m_startOk, &QPushButton::setEnabled);
    connect(m_runner, &ImportRunner::advanced, this, &ImportWindow::rowsAdvanced);
    connect(m_runner, &ImportRunner::finished, this, &ImportWindow::importFinished);
}

ImportWindow::~ImportWindow()
{
    // Ends a running import (after its current row, committing what was written) before the
    // widgets its signals fill are gone.
    delete m_runner;
}

void ImportWindow::buildLayout(const Setup &setup)
{
    m_listA = new QListWidget(this);
    m_listB = new QListWidget(this);
    m_rows = new QLabel(ImportTexts::rowsLabel(0), this);
    m_columns = new QLabel(ImportTexts::columnsLabel(0), this);
    m_rows->clear();
    m_columns->clear();
    auto *lists = new QGridLayout;
    lists->addWidget(heading(QStringLiteral("Excel第一行"), this), 0, 0);
    lists->addWidget(heading(QStringLiteral("数据库字段名"), this), 0, 2);
    lists->addWidget(m_listA, 1, 0);
    lists->addWidget(new QLabel(QStringLiteral("A  导入  B"), this), 1, 1, Qt::AlignCenter);
    lists->addWidget(m_listB, 1, 2);
    lists->addWidget(m_rows, 2, 0);
    lists->addWidget(m_columns, 2, 2);

    QStringList instructions{
        QStringLiteral("A表显示的是要导入的Excel表的第一行标题,B表是系统内数据项目名称."),
        QStringLiteral("首先要把Excel的每列的数据按照B表的前后顺序调整好."),
        QStringLiteral("请仔细检查确保A表内的项目与B表内的项目对应一致.否则导入的数据可能不正确."
                       "没有的项目可以在Excel中加入空白列,有数据的项目一定要保证和要导入的项目"
                       "名称是同一行.编号和名称是必有项目,编号必须唯一不能重复,如果你的Excel数据"
                       "中没有编号,可以选择系统自动增加编号."),
        setup.failureReasonText};
    if (setup.showNumberingHint)
        instructions << QStringLiteral("如果您的Excel数据中没有编号,那么请选择自动增加编号.");
    auto *help = new QLabel(instructions.join(QLatin1Char('\n')), this);
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    m_random = new QCheckBox(setup.randomCaption, this);
    m_fromStart = new QCheckBox(QStringLiteral("自定义起始编号"), this);
    m_startEdit = new QLineEdit(this);
    // Digits only; 18 of them keep every number of a sheet within 64 bits.
    m_startEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,18}")), this));
    m_startEdit->setEnabled(false);
    m_startOk = new QPushButton(QStringLiteral("确定"), this);
    m_startOk->setEnabled(false);
    m_startLabel = new QLabel(this);
    auto *numbering = new QGroupBox(QStringLiteral("编号"), this);
    auto *numberingLayout = new QGridLayout(numbering);
    numberingLayout->addWidget(m_random, 0, 0, 1, 3);
    numberingLayout->addWidget(m_fromStart, 1, 0);
    numberingLayout->addWidget(m_startEdit, 1, 1);
    numberingLayout->addWidget(m_startOk, 1, 2);
    numberingLayout->addWidget(m_startLabel, 2, 0, 1, 3);
    numbering->setVisible(!setup.randomCaption.isEmpty());

    auto *right = new QVBoxLayout;
    right->addWidget(help, 1);
    right->addWidget(numbering);
    auto *top = new QHBoxLayout;
    top->addLayout(lists, 3);
    top->addLayout(right, 2);

    m_progress = new QProgressBar(this);
    m_progress->setValue(0);
    m_result = textBox(this);
    m_statement = textBox(this);
    m_statement->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto *boxes = new QGridLayout;
    boxes->addWidget(heading(QStringLiteral("导入失败的行号"), this), 0, 0);
    boxes->addWidget(m_result, 1, 0);
    if (setup.showStatement) {
        boxes->addWidget(heading(QStringLiteral("失败的语句"), this), 0, 1);
        boxes->addWidget(m_statement, 1, 1);
        boxes->setColumnStretch(1, 2);
    } else {
        m_statement->hide();
    }
    boxes->setColumnStretch(0, 1);

    m_failed = new QTreeWidget(this);
    QStringList titles;
    for (int i = 0; i < 20; ++i)
        titles << QString::number(i);
    titles << QString();
    m_failed->setHeaderLabels(titles);
    m_failed->setRootIsDecorated(false);
    m_failed->setUniformRowHeights(true);
    m_failed->header()->setDefaultSectionSize(70);
    auto *failedHeading = heading(QStringLiteral("失败的记录"), this);
    failedHeading->setVisible(setup.showFailedList);
    m_failed->setVisible(setup.showFailedList);

    // Wide enough for their texts before they have any, so that nothing moves when they appear.
    m_elapsed = new QLabel(this);
    m_elapsed->setMinimumWidth(
        m_elapsed->fontMetrics().horizontalAdvance(ImportTexts::elapsedText(99 * 3600 * 1000)) + 8);
    m_elapsed->setVisible(setup.showElapsed);
    m_done = new QLabel(this);
    m_done->setMinimumWidth(m_done->fontMetrics().horizontalAdvance(ImportTexts::doneText()) + 8);
    m_choose = new QPushButton(QStringLiteral("选择Excel"), this);
    m_start = new QPushButton(QStringLiteral("开始导入"), this);
    m_stop = new QPushButton(QStringLiteral("停止导入"), this);
    m_clear = new QPushButton(QStringLiteral("清空list"), this);
    m_export = new QPushButton(QStringLiteral(" 生成Excel"), this);
    m_export->setVisible(setup.showFailedList);
    m_quit = new QPushButton(QStringLiteral("退出"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_elapsed);
    buttons->addWidget(m_done);
    buttons->addStretch();
    for (QPushButton *b : {m_choose, m_start, m_stop, m_clear, m_export, m_quit})
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(m_progress);
    layout->addLayout(boxes, 2);
    layout->addWidget(failedHeading);
    layout->addWidget(m_failed, 2);
    layout->addLayout(buttons);
    resize(960, setup.showFailedList ? 720 : 600);
}

QString ImportWindow::rowsText() const
{
    return m_rows->text();
}

QString ImportWindow::columnsText() const
{
    return m_columns->text();
}

QString ImportWindow::elapsedText() const
{
    return m_elapsed->text();
}

QString ImportWindow::doneText() const
{
    return m_done->text();
}

void ImportWindow::setBatchSize(int rows)
{
    m_runner->setBatchSize(rows);
}

void ImportWindow::showStartNumber()
{
    m_startLabel->setText(QStringLiteral("起始编号: %1").arg(m_startNumber));
}

void ImportWindow::chooseFile()
{
    m_progress->setValue(0);
    m_listA->clear();
    m_result->clear();
    const QString path = Prompt::openFileName(this, QStringLiteral("选择Excel"), kFileFilter);
    if (path.isEmpty())
        return;
    SheetReader reader;
    QString error;
    if (!reader.open(path, &error)) {
        m_start->setEnabled(false);
        m_rows->clear();
        m_columns->clear();
        Prompt::error(this, error);
        return;
    }
    m_path = path;
    m_rows->setText(ImportTexts::rowsLabel(reader.rowCount()));
    m_columns->setText(ImportTexts::columnsLabel(reader.columnCount()));
    m_listA->addItems(reader.headings());
    m_done->clear();
    m_start->setEnabled(true);
}

void ImportWindow::takeStartNumber()
{
    const QString text = m_startEdit->text().trimmed();
    if (text.isEmpty())
        return;
    std::int64_t start = 0;
    QString error;
    if (!ImportNumbering::parseStart(text, &start, &error)) {
        Prompt::warning(this, error);
        return;
    }
    m_startNumber = start;
    showStartNumber();
}

void ImportWindow::startImport()
{
    if (m_path.isEmpty() || m_runner->isRunning())
        return;
    m_progress->setValue(0);
    m_elapsed->clear();
    m_done->clear();
    m_statement->clear();
    m_failed->clear();
    setRunning(true);
    const ImportNumbering numbering(m_random->isChecked(), m_fromStart->isChecked(), m_startNumber);
    m_runner->start(m_mapping, m_path, numbering,
                    ImportContext{QDate::currentDate(), loginContext().adminName});
}

void ImportWindow::setRunning(bool running)
{
    m_start->setEnabled(false);
    m_stop->setEnabled(running);
    m_choose->setEnabled(!running);
    m_clear->setEnabled(!running);
    m_export->setEnabled(!running);
}

void ImportWindow::rowsAdvanced(int row, int lastRow, const QVector<FailedRow> &failed)
{
    m_progress->setMaximum(qMax(1, lastRow));
    m_progress->setValue(row);
    if (failed.isEmpty())
        return;
    QList<QTreeWidgetItem *> items;
    for (const FailedRow &f : failed) {
        m_result->appendPlainText(f.resultLine());
        QStringList texts{QString::number(f.row)};
        texts += f.cells;
        items << new QTreeWidgetItem(texts);
    }
    m_failed->addTopLevelItems(items);
    const FailedRow &last = failed.last();
    m_statement->setPlainText(last.statement + QStringLiteral("\n\n") + last.reason);
}

void ImportWindow::importFinished(const ImportSummary &summary)
{
    setRunning(false);
    if (!summary.fileError.isEmpty() && m_progress->value() == 0 && summary.imported == 0 &&
        summary.failed == 0)
        Prompt::error(this, summary.fileError);
    for (const QString &line : ImportTexts::finalLines(summary))
        m_result->appendPlainText(line);
    m_elapsed->setText(ImportTexts::elapsedText(summary.elapsedMs));
    m_done->setText(ImportTexts::doneText());
}

void ImportWindow::clearLists()
{
    m_listA->clear();
    m_result->clear();
}

void ImportWindow::exportFailed()
{
    ExportListViewToExcel(this, m_failed);
}

void ImportWindow::closeEvent(QCloseEvent *event)
{
    // The rows written so far are committed; the worker ends after the row it is on.
    if (m_runner->isRunning())
        m_runner->stop();
    QDialog::closeEvent(event);
}
