#include "ShouRuCountUt.h"

#include "ExcelExport.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "circulation/IncomeJournal.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QDateEdit *dateField(const QDate &date, QWidget *parent)
{
    auto *edit = new QDateEdit(date, parent);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace

TShouRuCountFm::TShouRuCountFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TShouRuCountFm"));
    setWindowTitle(QStringLiteral("资金统计"));
    setAttribute(Qt::WA_DeleteOnClose);

    const IncomeJournal::Period period = IncomeJournal::defaultPeriod(QDate::currentDate());
    m_from = dateField(period.from, this);
    m_to = dateField(period.to, this);
    m_count = new QPushButton(QStringLiteral("统计"), this);
    m_print = new QPushButton(QStringLiteral("打印"), this);
    m_excel = new QPushButton(QStringLiteral("Excel"), this);
    auto *back = new QPushButton(QStringLiteral("返回"), this);

    auto *conditions = new QHBoxLayout;
    conditions->addWidget(new QLabel(QStringLiteral("从"), this));
    conditions->addWidget(m_from);
    conditions->addWidget(new QLabel(QStringLiteral("到"), this));
    conditions->addWidget(m_to);
    conditions->addWidget(m_count);
    conditions->addStretch();
    conditions->addWidget(m_print);
    conditions->addWidget(m_excel);
    conditions->addWidget(back);

    m_grid = new ResultGrid(this);
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    const auto column = [](const char *field, F format,
                           ResultGrid::Footer footer = ResultGrid::Footer::None) {
        return C{QString::fromUtf8(field), QString(), format, footer, true};
    };
    m_grid->setColumns({column("id", F::Number), column("项目", F::Text),
                        column("时间", F::DateTime), column("读者编号", F::Text),
                        column("读者姓名", F::Text),
                        column("金额", F::Money, ResultGrid::Footer::Sum),
                        column("管理员", F::Text), column("备注", F::Text)});
    m_grid->setKeyField(QStringLiteral("id"));
    // Entries in the order they were booked until the user sorts.
    m_grid->setNaturalOrder(QStringLiteral("id"));
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(conditions);
    layout->addWidget(m_grid, 1);
    resize(860, 520);

    connect(m_count, &QPushButton::clicked, this, &TShouRuCountFm::countClicked);
    connect(m_print, &QPushButton::clicked, this, &TShouRuCountFm::printClicked);
    connect(m_excel, &QPushButton::clicked, this, &TShouRuCountFm::excelClicked);
    connect(back, &QPushButton::clicked, this, &QDialog::close);

    showRows(IncomeJournal::allStatement());
    QTableView *view = m_grid->view();
    view->setColumnWidth(0, 60);
    view->setColumnWidth(2, 150);
    // Room for the total under the amounts, and for a long administrator's name.
    view->setColumnWidth(5, 110);
    view->setColumnWidth(6, 100);
    view->horizontalHeader()->setStretchLastSection(true);
}

void TShouRuCountFm::showRows(const Statement &rows)
{
    QString error;
    if (!m_grid->setStatement(rows, &error))
        Prompt::error(this, error);
}

void TShouRuCountFm::countClicked()
{
    const IncomeJournal::Period period{m_from->date(), m_to->date()};
    m_periodText = QStringLiteral("从 %1 到 %2")
                       .arg(period.from.toString(QStringLiteral("yyyy-MM-dd")),
                            period.to.toString(QStringLiteral("yyyy-MM-dd")));
    showRows(IncomeJournal::periodStatement(period));
}

void TShouRuCountFm::printClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return; // the list could not be read
    ReportModel report;
    QString error;
    if (!IncomeJournal::buildReport(m_grid->currentStatement(), m_periodText,
                                    QDateTime::currentDateTime(), &report, &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, report);
}

void TShouRuCountFm::excelClicked()
{
    if (m_grid->fieldNames().isEmpty())
        return; // the list could not be read
    ExportDatasetToExcel(this, m_grid->currentStatement());
}
