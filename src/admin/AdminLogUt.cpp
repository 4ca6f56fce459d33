#include "AdminLogUt.h"

#include "AdminToolBar.h"
#include "ExcelExport.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "admin/AdminLog.h"

#include <QHeaderView>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

TAdminLogFm::TAdminLogFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TAdminLogFm"));
    setWindowTitle(QStringLiteral("管理员日志"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *toolBar = new AdminToolBar({QStringLiteral("删除当前"), QStringLiteral("全部删除"),
                                      QStringLiteral("导出Excel"), QStringLiteral("打印"),
                                      QStringLiteral("退出")},
                                     this);
    layout->addWidget(toolBar);

    m_grid = new ResultGrid(this);
    using C = ResultGrid::Column;
    m_grid->setColumns({C{QStringLiteral("id"), QString(), ResultGrid::Format::Number,
                          ResultGrid::Footer::Count, true},
                        C{QStringLiteral("事件"), QString(), ResultGrid::Format::Text,
                          ResultGrid::Footer::None, true},
                        C{QStringLiteral("日期"), QString(), ResultGrid::Format::DateTime,
                          ResultGrid::Footer::None, true},
                        C{QStringLiteral("管理员"), QString(), ResultGrid::Format::Text,
                          ResultGrid::Footer::None, true},
                        C{QStringLiteral("说明"), QString(), ResultGrid::Format::Text,
                          ResultGrid::Footer::None, true}});
    m_grid->setKeyField(QStringLiteral("id"));
    // Entries in the order they were written until the user sorts.
    m_grid->setNaturalOrder(QStringLiteral("id"));
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);
    layout->addWidget(m_grid, 1);
    resize(760, 480);

    connect(toolBar->button(0), &QToolButton::clicked, this, &TAdminLogFm::deleteCurrentClicked);
    connect(toolBar->button(1), &QToolButton::clicked, this, &TAdminLogFm::deleteAllClicked);
    connect(toolBar->button(2), &QToolButton::clicked, this, &TAdminLogFm::exportClicked);
    connect(toolBar->button(3), &QToolButton::clicked, this, &TAdminLogFm::printClicked);
    connect(toolBar->button(4), &QToolButton::clicked, this, &QDialog::close);

    QString error;
    if (!m_grid->setStatement(AdminLog::selectStatement(), &error))
        Prompt::error(this, error);
    QTableView *view = m_grid->view();
    view->setColumnWidth(0, 60);
    view->setColumnWidth(2, 150);
    view->horizontalHeader()->setStretchLastSection(true);
}

void TAdminLogFm::deleteCurrentClicked()
{
    if (m_grid->currentRow() < 0)
        return; // nothing to delete
    if (!Prompt::ask(this, QStringLiteral("您是否要删除"), Prompt::Answer::No))
        return;
    QString error;
    if (!AdminLog::removeEntry(m_grid->currentValue(QStringLiteral("id")), &error))
        Prompt::error(this, error);
    m_grid->refresh();
}

void TAdminLogFm::deleteAllClicked()
{
    if (!Prompt::ask(this, QStringLiteral("您是否要全部删除"), Prompt::Answer::No))
        return;
    QString error;
    if (!AdminLog::removeAll(&error)) {
        Prompt::error(this, error);
        return;
    }
    m_grid->clear();
    Prompt::info(this, QStringLiteral("删除完毕!"));
}

void TAdminLogFm::exportClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return; // emptied by 全部删除
    ExportDatasetToExcel(this, m_grid->currentStatement());
}

void TAdminLogFm::printClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return; // emptied by 全部删除
    ReportModel report;
    QString error;
    if (!AdminLog::buildReport(m_grid->currentStatement(), QDateTime::currentDateTime(), &report,
                               &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, report);
}
