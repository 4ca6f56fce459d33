#include "SortSearchUt.h"

#include "ExcelExport.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "stats/ClassStatistics.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TSortSearchFM::TSortSearchFM(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TSortSearchFM"));
    setWindowTitle(QStringLiteral("分类统计"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_kind = new QComboBox(this);
    m_kind->addItems({QStringLiteral("图书"), QStringLiteral("期刊")});
    m_count = new QPushButton(QStringLiteral("统计"), this);
    m_excel = new QPushButton(QStringLiteral("导出Excel"), this);
    m_print = new QPushButton(QStringLiteral("打印"), this);
    auto *exitButton = new QPushButton(QStringLiteral("退出"), this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("统计范围:"), this));
    bar->addWidget(m_kind);
    bar->addWidget(m_count);
    bar->addStretch();
    bar->addWidget(m_excel);
    bar->addWidget(m_print);
    bar->addWidget(exitButton);

    m_grid = new ResultGrid(this);
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    m_grid->setColumns({C{QStringLiteral("分类"), QString(), F::Text},
                        C{QStringLiteral("数量"), QString(), F::Number},
                        C{QStringLiteral("金额"), QString(), F::Money}});
    m_grid->setSortingEnabled(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_grid, 1);

    connect(m_count, &QPushButton::clicked, this, [this] { count(m_kind->currentText()); });
    connect(m_excel, &QPushButton::clicked, this, &TSortSearchFM::excelClicked);
    connect(m_print, &QPushButton::clicked, this, &TSortSearchFM::printClicked);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::close);

    count(QStringLiteral("图书"));
    m_grid->view()->setColumnWidth(0, 220);
    m_grid->view()->setColumnWidth(1, 120);
    m_grid->view()->horizontalHeader()->setStretchLastSection(true);
    resize(760, 520);
    setWindowState(Qt::WindowMaximized);
}

void TSortSearchFM::count(const QString &kind)
{
    Statement st;
    QString error;
    if (!ClassStatistics::statement(kind, &st, &error) || !m_grid->setStatement(st, &error)) {
        Prompt::error(this, error);
        return;
    }
    m_shownKind = kind;
}

void TSortSearchFM::printClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return; // nothing could be read
    ReportModel report;
    QString error;
    if (!ClassStatistics::buildReport(m_grid->currentStatement(), m_shownKind,
                                      QDateTime::currentDateTime(), &report, &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, report);
}

void TSortSearchFM::excelClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return;
    ExportDatasetToExcel(this, m_grid->currentStatement());
}
