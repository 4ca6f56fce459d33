#include "BkRegUt.h"

#include "AdminLuRuStatUt.h"
#include "ExcelExport.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "StatsDates.h"
#include "stats/IntakeStatistics.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TBkRegFm::TBkRegFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkRegFm"));
    setWindowTitle(QStringLiteral("资料入库登记信息统计"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_books = new QRadioButton(QStringLiteral("图书"), this);
    m_periodicals = new QRadioButton(QStringLiteral("期刊"), this);
    m_books->setChecked(true);
    const QDate today = QDate::currentDate();
    m_from = StatsDates::dateField(today.addMonths(-1), this);
    m_to = StatsDates::dateField(today.addDays(1), this);
    m_count = new QPushButton(QStringLiteral("统计"), this);
    m_print = new QPushButton(QStringLiteral("打印"), this);
    m_excel = new QPushButton(QStringLiteral("导出Excel"), this);
    m_perAdmin = new QPushButton(QStringLiteral("管理员录入统计"), this);
    auto *exitButton = new QPushButton(QStringLiteral("退出"), this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_books);
    bar->addWidget(m_periodicals);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(QStringLiteral("入库登记时间从"), this));
    bar->addWidget(m_from);
    bar->addWidget(new QLabel(QStringLiteral("到"), this));
    bar->addWidget(m_to);
    bar->addWidget(m_count);
    bar->addStretch();
    bar->addWidget(m_print);
    bar->addWidget(m_excel);
    bar->addWidget(m_perAdmin);
    bar->addWidget(exitButton);

    m_grid = new ResultGrid(this);
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    using Foot = ResultGrid::Footer;
    // The other columns of the item table stay loaded (and exported) but are not shown.
    m_grid->setColumns({C{QStringLiteral("编号"), QString(), F::Text, Foot::Count},
                        C{QStringLiteral("条形码"), QString(), F::Text},
                        C{QStringLiteral("名称"), QString(), F::Text},
                        C{QStringLiteral("分类"), QString(), F::Text},
                        C{QStringLiteral("存放位置"), QString(), F::Text},
                        C{QStringLiteral("出版社"), QString(), F::Text},
                        C{QStringLiteral("数量"), QString(), F::Number, Foot::SumWhole},
                        C{QStringLiteral("价格"), QString(), F::Money, Foot::Sum},
                        C{QStringLiteral("入库时间"), QString(), F::DateTime},
                        C{QStringLiteral("登记人"), QString(), F::Text}});
    m_grid->setKeyField(QStringLiteral("编号"));
    m_grid->setNaturalOrder(QStringLiteral("入库时间"));
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_grid, 1);
    resize(1100, 600);
    setWindowState(Qt::WindowMaximized);

    connect(m_count, &QPushButton::clicked, this, &TBkRegFm::countClicked);
    connect(m_print, &QPushButton::clicked, this, &TBkRegFm::printClicked);
    connect(m_excel, &QPushButton::clicked, this, &TBkRegFm::excelClicked);
    connect(m_perAdmin, &QPushButton::clicked, this, &TBkRegFm::perAdministratorClicked);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::close);
}

QString TBkRegFm::chosenKind() const
{
    return m_periodicals->isChecked() ? m_periodicals->text() : m_books->text();
}

void TBkRegFm::countClicked()
{
    const QString kind = chosenKind();
    Statement st;
    QString error;
    if (!IntakeStatistics::itemsStatement(kind, m_from->date(), m_to->date(), &st, &error)) {
        // The list stays as it was.
        Prompt::warning(this, error);
        return;
    }
    if (!m_grid->setStatement(st, &error)) {
        Prompt::error(this, error);
        return;
    }
    m_shownKind = kind;
}

void TBkRegFm::printClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return; // nothing counted yet
    ReportModel report;
    QString error;
    if (!IntakeStatistics::buildItemsReport(m_grid->currentStatement(), m_shownKind,
                                            QDateTime::currentDateTime(), &report, &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, report);
}

void TBkRegFm::excelClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return;
    ExportDatasetToExcel(this, m_grid->currentStatement());
}

void TBkRegFm::perAdministratorClicked()
{
    auto *window = new TAdminLuRuStatFm(this);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}
