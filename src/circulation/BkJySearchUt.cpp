#include "BkJySearchUt.h"

#include "ExcelExport.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "circulation/LoanQuery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList kTextColumns = {QStringLiteral("编号"), QStringLiteral("名称"),
                                  QStringLiteral("条形码"), QStringLiteral("读者编号"),
                                  QStringLiteral("读者姓名")};

// Beyond this a printed list asks first: building and previewing it takes a while.
constexpr int kLoansOnAPage = 39;

} // namespace

TBkJySearchFm::TBkJySearchFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkJySearchFm"));
    setWindowTitle(QStringLiteral("借阅信息查询"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createConditions());
    createGrid();
    layout->addWidget(m_grid, 1);

    showStatement(LoanQuery::allStatement());
    resize(1100, 680);
    setWindowState(Qt::WindowMaximized);
}

QWidget *TBkJySearchFm::createConditions()
{
    auto *group = new QGroupBox(QStringLiteral("请设定查询条件"), this);
    auto *grid = new QGridLayout(group);

    // The five text fields, empty when the window opens.
    int column = 0;
    for (const QString &name : kTextColumns) {
        auto *edit = new QLineEdit(group);
        edit->setMinimumWidth(110);
        m_fields.insert(name, edit);
        grid->addWidget(new QLabel(name + QStringLiteral(":"), group), 0, column);
        grid->addWidget(edit, 0, column + 1);
        column += 2;
        connect(edit, &QLineEdit::returnPressed, this, &TBkJySearchFm::search);
    }

    const QDate today = QDate::currentDate();
    auto dateEdit = [group, today]() {
        auto *edit = new QDateEdit(today, group);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) +
                              44);
        return edit;
    };
    // The date ranges and the return state share one row under the text fields.
    auto *dates = new QHBoxLayout;
    auto range = [&](const QString &caption, QCheckBox **box, QDateEdit **from, QDateEdit **to) {
        *box = new QCheckBox(caption, group);
        *from = dateEdit();
        *to = dateEdit();
        dates->addWidget(*box);
        dates->addWidget(*from);
        dates->addWidget(new QLabel(QStringLiteral("到"), group));
        dates->addWidget(*to);
        dates->addSpacing(24);
        QDateEdit *f = *from;
        QDateEdit *t = *to;
        connect(*box, &QCheckBox::toggled, this, [f, t](bool on) {
            f->setEnabled(on);
            t->setEnabled(on);
        });
    };
    range(QStringLiteral("借阅时间 从"), &m_lentBox, &m_lentFrom, &m_lentTo);
    range(QStringLiteral("归还时间 从"), &m_returnedBox, &m_returnedFrom, &m_returnedTo);

    m_stateBox = new QCheckBox(QStringLiteral("已还"), group);
    m_state = new QComboBox(group);
    m_state->addItems({QStringLiteral("是"), QStringLiteral("否")});
    m_state->setCurrentIndex(0);
    m_state->setEnabled(false);
    connect(m_stateBox, &QCheckBox::toggled, m_state, &QComboBox::setEnabled);
    dates->addWidget(m_stateBox);
    dates->addWidget(m_state);
    dates->addStretch();
    grid->addLayout(dates, 1, 0, 1, 10);

    auto *buttons = new QHBoxLayout;
    for (const QString &text : {QStringLiteral("查询"), QStringLiteral("打印"),
                                QStringLiteral("转EXCEL"), QStringLiteral("退出")}) {
        auto *b = new QPushButton(text, group);
        b->setAutoDefault(false); // Enter in a field runs the query by itself
        m_buttons.insert(text, b);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    grid->addLayout(buttons, 2, 0, 1, 10);

    connect(button(QStringLiteral("查询")), &QPushButton::clicked, this, &TBkJySearchFm::search);
    connect(button(QStringLiteral("打印")), &QPushButton::clicked, this, &TBkJySearchFm::print);
    connect(button(QStringLiteral("转EXCEL")), &QPushButton::clicked, this,
            &TBkJySearchFm::exportSheet);
    connect(button(QStringLiteral("退出")), &QPushButton::clicked, this, &QDialog::close);
    return group;
}

void TBkJySearchFm::createGrid()
{
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    using Footer = ResultGrid::Footer;
    auto col = [](const char *field, F format = F::Text, Footer footer = Footer::None,
                  bool visible = true) {
        return C{QString::fromUtf8(field), QString(), format, footer, visible};
    };
    m_grid = new ResultGrid(this);
    m_grid->setColumns({col("读者编号"),
                        col("读者姓名"),
                        col("条形码"),
                        col("编号"),
                        col("名称"),
                        col("类别"),
                        col("价格", F::Money, Footer::Sum),
                        col("附件"),
                        col("借阅日期", F::Date),
                        col("归还日期", F::Date),
                        col("应还日期", F::Date),
                        col("已还"),
                        col("租金", F::Money, Footer::SumWhole),
                        col("押金", F::Money, Footer::None, false),
                        col("借阅经手人"),
                        col("归还经手人"),
                        col("物品状况"),
                        col("赔偿金额", F::Money, Footer::SumWhole),
                        col("归还备注"),
                        col("实际租期", F::Number),
                        col("实际租金", F::Money, Footer::Sum),
                        col("罚金", F::Money, Footer::Sum),
                        col("id", F::Number, Footer::Count)});
    m_grid->setKeyField(QStringLiteral("id"));
    m_grid->setNaturalOrder(QStringLiteral("id"));
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);
}

bool TBkJySearchFm::showStatement(const Statement &statement)
{
    QString error;
    if (m_grid->setStatement(statement, &error))
        return true;
    Prompt::error(this, error);
    return false;
}

void TBkJySearchFm::search()
{
    LoanQuery::Conditions c;
    c.number = field(QStringLiteral("编号"))->text();
    c.title = field(QStringLiteral("名称"))->text();
    c.barcode = field(QStringLiteral("条形码"))->text();
    c.readerNumber = field(QStringLiteral("读者编号"))->text();
    c.readerName = field(QStringLiteral("读者姓名"))->text();
    c.lentRange = m_lentBox->isChecked();
    c.lentFrom = m_lentFrom->date();
    c.lentTo = m_lentTo->date();
    c.returnedRange = m_returnedBox->isChecked();
    c.returnedFrom = m_returnedFrom->date();
    c.returnedTo = m_returnedTo->date();
    c.returnedState = m_stateBox->isChecked();
    c.returned = m_state->currentText();
    const LoanQuery::Query q = LoanQuery::build(c);
    if (!q.ok) {
        Prompt::warning(this, q.message);
        return;
    }
    showStatement(q.statement);
}

void TBkJySearchFm::print()
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed query left nothing to print
    const Statement statement = m_grid->currentStatement();
    ReportPreview::showLarge(this, m_grid->rowCount() / kLoansOnAPage + 1,
                             [&statement](ReportModel *report, QString *error) {
                                 return LoanQuery::queryReport(
                                     statement, QDateTime::currentDateTime(), report, error);
                             });
}

void TBkJySearchFm::exportSheet()
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed query left nothing to export
    ExportDatasetToExcel(this, m_grid->currentStatement());
}
