#include "RdSearchUt.h"

#include "ChangeRdStateUt.h"
#include "ExcelExport.h"
#include "Prompt.h"
#include "RdAddUt.h"
#include "RdChongZhiUt.h"
#include "RdEditPicUt.h"
#include "RdEditUt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "admin/AdminToolBar.h"
#include "db/LoginContext.h"
#include "readers/ReaderDeletion.h"
#include "readers/ReaderPrint.h"
#include "readers/ReaderSearch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kNumber = QStringLiteral("读者编号");
const QString kName = QStringLiteral("读者姓名");

// Beyond these a report asks first: building and previewing it takes a while (a list of
// 2,500 pages takes about 5 s; cards are quicker, 2,000 of them take 0.2 s).
constexpr int kListPagesWithoutQuestion = 2000;
constexpr int kCardsWithoutQuestion = 5000;
constexpr int kReadersOnAListPage = 39;

} // namespace

TRdSearchFm::TRdSearchFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TRdSearchFm"));
    setWindowTitle(QStringLiteral("读者管理"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    const QStringList texts = {
        QStringLiteral("查询"),     QStringLiteral("添加"),     QStringLiteral("编辑"),
        QStringLiteral("修改状态"), QStringLiteral("删除"),     QStringLiteral("刷新"),
        QStringLiteral("显示全部"), QStringLiteral("打印报表"), QStringLiteral("借阅证"),
        QStringLiteral("转EXCEL"),  QStringLiteral("充值"),     QStringLiteral("照片"),
        QStringLiteral("退出")};
    auto *toolBar = new AdminToolBar(texts, this);
    for (int i = 0; i < texts.size(); ++i)
        m_buttons.insert(texts[i], toolBar->button(i));
    layout->addWidget(toolBar);
    createConditions(layout);
    createGrid();
    layout->addWidget(m_grid, 1);

    const QVector<QPair<QString, void (TRdSearchFm::*)()>> actions = {
        {QStringLiteral("查询"), &TRdSearchFm::search},
        {QStringLiteral("添加"), &TRdSearchFm::addReader},
        {QStringLiteral("编辑"), &TRdSearchFm::editReader},
        {QStringLiteral("修改状态"), &TRdSearchFm::changeState},
        {QStringLiteral("删除"), &TRdSearchFm::deleteReader},
        {QStringLiteral("刷新"), &TRdSearchFm::refresh},
        {QStringLiteral("显示全部"), &TRdSearchFm::showAll},
        {QStringLiteral("打印报表"), &TRdSearchFm::printList},
        {QStringLiteral("借阅证"), &TRdSearchFm::printCards},
        {QStringLiteral("转EXCEL"), &TRdSearchFm::exportSheet},
        {QStringLiteral("充值"), &TRdSearchFm::topUp},
        {QStringLiteral("照片"), &TRdSearchFm::showPhoto},
    };
    for (const auto &a : actions)
        connect(button(a.first), &QToolButton::clicked, this, a.second);
    connect(button(QStringLiteral("退出")), &QToolButton::clicked, this, &QDialog::close);

    showStatement(ReaderSearch::openingStatement());
    applyPermissions(m_grid->rowCount() > 0);
    resize(1000, 640);
    // The hub of the readers: it fills the screen.
    setWindowState(Qt::WindowMaximized);
}

void TRdSearchFm::createConditions(QBoxLayout *layout)
{
    auto *group = new QGroupBox(QStringLiteral("查询条件"), this);
    auto *row = new QHBoxLayout(group);

    m_column = new QComboBox(group);
    m_column->setEditable(true);
    m_column->addItems(ReaderSearch::columnChoices());
    m_column->setEditText(QString::fromUtf8(ReaderSearch::DefaultChoice));
    m_column->setMinimumContentsLength(6);
    row->addWidget(m_column);
    row->addWidget(new QLabel(QStringLiteral("中 含有"), group));
    m_value = new QLineEdit(group);
    m_value->setMinimumWidth(160);
    row->addWidget(m_value, 1);

    m_exact = new QRadioButton(QStringLiteral("精确"), group);
    m_contains = new QRadioButton(QStringLiteral("模糊"), group);
    m_contains->setChecked(true);
    row->addWidget(m_exact);
    row->addWidget(m_contains);

    m_dateBox = new QCheckBox(QStringLiteral("登记日期"), group);
    const QDate today = QDate::currentDate();
    auto dateEdit = [group](const QDate &date) {
        auto *edit = new QDateEdit(date, group);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        return edit;
    };
    m_from = dateEdit(ReaderSearch::defaultFrom(today));
    m_to = dateEdit(ReaderSearch::defaultTo(today));
    row->addSpacing(12);
    row->addWidget(m_dateBox);
    row->addWidget(m_from);
    row->addWidget(new QLabel(QStringLiteral("至"), group));
    row->addWidget(m_to);

    m_searchInGroup = new QPushButton(QStringLiteral("查询"), group);
    // Enter in the value box searches by itself; no button of the window is the default.
    m_searchInGroup->setAutoDefault(false);
    row->addSpacing(12);
    row->addWidget(m_searchInGroup);
    row->addStretch();
    layout->addWidget(group);

    connect(m_dateBox, &QCheckBox::toggled, this, [this](bool on) {
        m_from->setEnabled(on);
        m_to->setEnabled(on);
    });
    connect(m_value, &QLineEdit::returnPressed, this, &TRdSearchFm::search);
    connect(m_searchInGroup, &QPushButton::clicked, this, &TRdSearchFm::search);
}

void TRdSearchFm::createGrid()
{
    const LoginContext &c = loginContext();
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    using Footer = ResultGrid::Footer;
    auto col = [](const char *field, F format = F::Text, bool visible = true,
                  const char *caption = "") {
        return C{QString::fromUtf8(field), QString::fromUtf8(caption), format, Footer::None,
                 visible};
    };
    C number = col("读者编号");
    number.footer = Footer::Count;
    m_grid = new ResultGrid(this);
    m_grid->setColumns({number,
                        col("读者姓名"),
                        col("性别"),
                        col("类别"),
                        col("单位部门", F::Text, true, "部门"),
                        col("住址", F::Text, false),
                        col("联系电话", F::Text, false),
                        col("班级", F::Text, c.showClass),
                        col("院系", F::Text, c.showFaculty),
                        col("有效证件", F::Text, false),
                        col("证件号码", F::Text, false),
                        col("累计借阅次数", F::Number),
                        col("未还数量", F::Number),
                        col("登记日期", F::Date),
                        col("有效期", F::Date),
                        col("状态"),
                        col("备注", F::Text, false),
                        col("密码", F::Text, false),
                        col("卡内金额", F::Money, false),
                        col("登记人"),
                        col("pic", F::Auto)});
    m_grid->setKeyField(kNumber);
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);
}

void TRdSearchFm::applyPermissions(bool tableHadReaders)
{
    const LoginContext &c = loginContext();
    button(QStringLiteral("添加"))->setEnabled(c.qxadddata);
    button(QStringLiteral("编辑"))->setEnabled(c.qxrdxg);
    button(QStringLiteral("删除"))->setEnabled(c.qxdel);
    // Nobody to top up: it stays so while the window is open.
    button(QStringLiteral("充值"))->setEnabled(tableHadReaders);
}

QToolButton *TRdSearchFm::button(const QString &text) const
{
    return m_buttons.value(text);
}

bool TRdSearchFm::showStatement(const Statement &statement)
{
    QString error;
    if (m_grid->setStatement(statement, &error))
        return true;
    Prompt::error(this, error);
    return false;
}

bool TRdSearchFm::hasCurrentReader()
{
    if (m_grid->currentRow() >= 0)
        return true;
    Prompt::info(this, QStringLiteral("请先在列表中选择一位读者!"));
    return false;
}

void TRdSearchFm::openWindow(QDialog *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}

void TRdSearchFm::search()
{
    ReaderSearch::Conditions c;
    c.choice = m_column->currentText();
    c.value = m_value->text();
    c.match = m_exact->isChecked() ? ReaderSearch::Match::Exact : ReaderSearch::Match::Contains;
    c.dateRange = m_dateBox->isChecked();
    c.from = m_from->date();
    c.to = m_to->date();
    const ReaderSearch::Search s = ReaderSearch::build(c);
    m_value->setText(s.value); // trimmed, or emptied after a card number
    if (!s.ok) {
        Prompt::warning(this, s.message);
        return;
    }
    showStatement(s.statement);
}

void TRdSearchFm::addReader()
{
    auto *window = new TRdAddFm(this);
    connect(window, &TRdAddFm::saved, this, &TRdSearchFm::refresh);
    openWindow(window);
}

void TRdSearchFm::editReader()
{
    if (!hasCurrentReader())
        return;
    auto *window = new TRdEditFm(m_grid->currentRecord(), this);
    connect(window, &TRdEditFm::saved, this, &TRdSearchFm::refresh);
    openWindow(window);
}

void TRdSearchFm::changeState()
{
    if (!hasCurrentReader())
        return;
    auto *window = new TChangeRdStateFm(m_grid->currentRecord(), this);
    connect(window, &TChangeRdStateFm::saved, this, &TRdSearchFm::refresh);
    openWindow(window);
}

void TRdSearchFm::deleteReader()
{
    if (!hasCurrentReader())
        return;
    const QString number = m_grid->currentValue(kNumber).toString();
    const QString name = m_grid->currentValue(kName).toString();
    if (!Prompt::ask(this, ReaderDeletion::question(name), Prompt::Answer::No))
        return;
    const ReaderDeletion::Result r = ReaderDeletion::remove(number, name);
    if (!r.deleted)
        Prompt::warning(this, r.message);
    refresh();
}

void TRdSearchFm::refresh()
{
    QString error;
    if (!m_grid->refresh(&error))
        Prompt::error(this, error);
}

void TRdSearchFm::showAll()
{
    showStatement(ReaderSearch::allStatement());
}

bool TRdSearchFm::askBeforeLongReport(int pages, const QString &what)
{
    return Prompt::ask(
        this,
        QStringLiteral("%1约有 %2 页, 生成和预览需要一些时间. 是否继续?").arg(what).arg(pages),
        Prompt::Answer::Yes);
}

void TRdSearchFm::printList()
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed search left nothing to print
    const int pages = m_grid->rowCount() / kReadersOnAListPage + 1;
    if (pages > kListPagesWithoutQuestion &&
        !askBeforeLongReport(pages, QStringLiteral("读者列表")))
        return;
    ReportModel report;
    QString error;
    if (!ReaderPrint::listReport(m_grid->currentStatement(), QDateTime::currentDateTime(), &report,
                                 &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, report);
}

void TRdSearchFm::printCards()
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed search left nothing to print
    if (m_grid->rowCount() > kCardsWithoutQuestion &&
        !askBeforeLongReport(m_grid->rowCount() * 2, QStringLiteral("借阅证")))
        return;
    QVector<ReportModel> reports;
    QString error;
    if (!ReaderPrint::cardReports(m_grid->currentStatement(), loginContext().libraryName, &reports,
                                  &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, reports);
}

void TRdSearchFm::exportSheet()
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed search left nothing to export
    ExportDatasetToExcel(this, m_grid->currentStatement());
}

void TRdSearchFm::topUp()
{
    // Without a current line the window opens empty, for a number typed into it.
    auto *window = new TRdChongZhiFm(m_grid->currentValue(kNumber).toString(), this);
    connect(window, &TRdChongZhiFm::toppedUp, this, &TRdSearchFm::refresh);
    openWindow(window);
}

void TRdSearchFm::showPhoto()
{
    if (!hasCurrentReader())
        return;
    openWindow(new TRdEditPicFm(m_grid->currentValue(QStringLiteral("pic")).toByteArray(), this));
}
