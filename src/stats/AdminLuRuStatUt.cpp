#include "AdminLuRuStatUt.h"

#include "ExcelExport.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "StatsDates.h"
#include "stats/IntakeStatistics.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TAdminLuRuStatFm::TAdminLuRuStatFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TAdminLuRuStatFm"));
    setWindowTitle(QStringLiteral("管理员录入量统计"));
    setAttribute(Qt::WA_DeleteOnClose);

    const QDate today = QDate::currentDate();
    m_from = StatsDates::dateField(today.addMonths(-1), this);
    m_to = StatsDates::dateField(today.addDays(1), this);
    m_count = new QPushButton(QStringLiteral("统计"), this);
    m_print = new QPushButton(QStringLiteral("打印"), this);
    m_excel = new QPushButton(QStringLiteral("Excel"), this);
    auto *back = new QPushButton(QStringLiteral("返回"), this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("从"), this));
    bar->addWidget(m_from);
    bar->addWidget(new QLabel(QStringLiteral("到"), this));
    bar->addWidget(m_to);
    bar->addWidget(m_count);
    bar->addStretch();
    bar->addWidget(m_print);
    bar->addWidget(m_excel);
    bar->addWidget(back);

    m_grid = new ResultGrid(this);
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    m_grid->setColumns({C{QStringLiteral("登记人"), QString(), F::Text},
                        C{QStringLiteral("记录数"), QString(), F::Number},
                        C{QStringLiteral("总价格"), QString(), F::Money}});
    m_grid->setSortingEnabled(true);
    // Room for a long administrator's name; the price takes the rest.
    m_grid->view()->setColumnWidth(0, 140);
    m_grid->view()->setColumnWidth(1, 90);
    m_grid->view()->horizontalHeader()->setStretchLastSection(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_grid, 1);
    resize(620, 420);

    connect(m_count, &QPushButton::clicked, this, &TAdminLuRuStatFm::countClicked);
    connect(m_print, &QPushButton::clicked, this, &TAdminLuRuStatFm::printClicked);
    connect(m_excel, &QPushButton::clicked, this, &TAdminLuRuStatFm::excelClicked);
    connect(back, &QPushButton::clicked, this, &QDialog::close);
}

void TAdminLuRuStatFm::countClicked()
{
    const Statement st = IntakeStatistics::perAdministratorStatement(m_from->date(), m_to->date());
    // The statement as it runs, with the dates written in.
    Prompt::info(this, st.displayText());
    QString error;
    if (!m_grid->setStatement(st, &error))
        Prompt::error(this, error);
}

void TAdminLuRuStatFm::printClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return; // nothing counted yet
    ReportModel report;
    QString error;
    if (!IntakeStatistics::buildPerAdministratorReport(
            m_grid->currentStatement(), QDateTime::currentDateTime(), &report, &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, report);
}

void TAdminLuRuStatFm::excelClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return;
    ExportDatasetToExcel(this, m_grid->currentStatement());
}
