#include "BkSearchUt.h"

#include "BkAddUt.h"
#include "BkEditUt.h"
#include "BkSearchAdUt.h"
#include "ColumnSearchGroup.h"
#include "ExcelExport.h"
#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "admin/AdminToolBar.h"
#include "catalogue/BookReports.h"
#include "catalogue/BookSearch.h"
#include "catalogue/ItemDeletion.h"
#include "catalogue/Recommendations.h"
#include "db/LoginContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kNumber = QStringLiteral("编号");
const QString kTitle = QStringLiteral("名称");

constexpr int kBooksOnAListPage = 39;

} // namespace

TBkSearchFm::TBkSearchFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkSearchFm"));
    setWindowTitle(QStringLiteral("图书资料管理"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    const QStringList texts = {
        QStringLiteral("查询"),     QStringLiteral("添加"),     QStringLiteral("编辑"),
        QStringLiteral("删除"),     QStringLiteral("刷新"),     QStringLiteral("显示全部"),
        QStringLiteral("打印"),     QStringLiteral("打印条码"), QStringLiteral("打印标签"),
        QStringLiteral("打书录卡"), QStringLiteral("打分类号"), QStringLiteral("单打"),
        QStringLiteral("转Excel"),  QStringLiteral("退出")};
    auto *toolBar = new AdminToolBar(texts, this);
    for (int i = 0; i < texts.size(); ++i)
        m_buttons.insert(texts[i], toolBar->button(i));
    layout->addWidget(toolBar);
    createConditions(layout);
    createGrid();
    layout->addWidget(m_grid, 1);

    const QVector<QPair<QString, void (TBkSearchFm::*)()>> actions = {
        {QStringLiteral("查询"), &TBkSearchFm::search},
        {QStringLiteral("添加"), &TBkSearchFm::addBook},
        {QStringLiteral("编辑"), &TBkSearchFm::editBook},
        {QStringLiteral("删除"), &TBkSearchFm::deleteBook},
        {QStringLiteral("刷新"), &TBkSearchFm::refresh},
        {QStringLiteral("显示全部"), &TBkSearchFm::showAll},
        {QStringLiteral("打印"), &TBkSearchFm::printList},
        {QStringLiteral("打印条码"), &TBkSearchFm::printBarcodes},
        {QStringLiteral("打印标签"), &TBkSearchFm::printLabels},
        {QStringLiteral("打书录卡"), &TBkSearchFm::printCards},
        {QStringLiteral("打分类号"), &TBkSearchFm::printClassNumbers},
        {QStringLiteral("转Excel"), &TBkSearchFm::exportSheet},
    };
    for (const auto &a : actions)
        connect(button(a.first), &QToolButton::clicked, this, a.second);
    connect(button(QStringLiteral("退出")), &QToolButton::clicked, this, &QDialog::close);

    m_singleMenu = new QMenu(this);
    m_singleMenu->addAction(QStringLiteral("条码"), this, &TBkSearchFm::printSingleBarcode);
    m_singleMenu->addAction(QStringLiteral("标签"), this, &TBkSearchFm::printSingleLabel);
    m_singleMenu->addAction(QStringLiteral("书录卡"), this, &TBkSearchFm::printSingleCard);
    QToolButton *single = button(QStringLiteral("单打"));
    single->setMenu(m_singleMenu);
    single->setPopupMode(QToolButton::InstantPopup);

    applyPermissions();
    showStatement(BookSearch::openingStatement());
    updateSummary();
    resize(1100, 680);
    // The hub of the catalogue: it fills the screen.
    setWindowState(Qt::WindowMaximized);
}

void TBkSearchFm::createConditions(QBoxLayout *layout)
{
    auto *group = new ColumnSearchGroup(BookSearch::columnChoices(),
                                        QString::fromUtf8(BookSearch::DefaultChoice), this);
    QHBoxLayout *row = group->row();
    m_column = group->columnBox();
    m_value = group->valueEdit();
    m_exact = group->exactButton();
    m_contains = group->containsButton();

    m_searchInGroup = new QPushButton(QStringLiteral("查询"), group);
    // Enter in the value box searches by itself; no button of the window is the default.
    m_searchInGroup->setAutoDefault(false);
    row->addSpacing(12);
    row->addWidget(m_searchInGroup);

    m_dateBox = new QCheckBox(QStringLiteral("入库时间"), group);
    const QDate today = QDate::currentDate();
    auto dateEdit = [group](const QDate &date) {
        auto *edit = new QDateEdit(date, group);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        return edit;
    };
    m_from = dateEdit(ColumnSearch::defaultFrom(today));
    m_to = dateEdit(ColumnSearch::defaultTo(today));
    row->addSpacing(12);
    row->addWidget(m_dateBox);
    row->addWidget(m_from);
    row->addWidget(new QLabel(QStringLiteral("至"), group));
    row->addWidget(m_to);

    m_combined = new QPushButton(QStringLiteral("组合查询"), group);
    m_combined->setAutoDefault(false);
    row->addSpacing(12);
    row->addWidget(m_combined);
    row->addStretch();

    m_summary = new QLabel(group);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    group->rows()->addWidget(m_summary);
    layout->addWidget(group);

    connect(m_dateBox, &QCheckBox::toggled, this, [this](bool on) {
        m_from->setEnabled(on);
        m_to->setEnabled(on);
    });
    connect(group, &ColumnSearchGroup::searchRequested, this, &TBkSearchFm::search);
    connect(m_searchInGroup, &QPushButton::clicked, this, &TBkSearchFm::search);
    connect(m_combined, &QPushButton::clicked, this, &TBkSearchFm::openCombined);
}

void TBkSearchFm::createGrid()
{
    const LoginContext &c = loginContext();
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    using Footer = ResultGrid::Footer;
    auto col = [](const QString &field, F format = F::Text, const QString &caption = QString(),
                  bool visible = true) {
        return C{field, caption, format, Footer::None, visible};
    };
    auto u = [](const char *text) { return QString::fromUtf8(text); };
    C number = col(kNumber);
    number.footer = Footer::Count;
    C count = col(u("数量"), F::Number);
    count.footer = Footer::SumWhole;
    m_grid = new ResultGrid(this);
    m_grid->setColumns({number,
                        col(u("条形码")),
                        col(kTitle),
                        col(u("分类")),
                        col(u("分类号")),
                        col(u("索书号")),
                        col(u("存放位置")),
                        count,
                        col(u("价格"), F::Money),
                        col(u("入库时间"), F::Date),
                        col(u("借出次数"), F::Number),
                        col(u("出版社")),
                        col(u("作者")),
                        col(u("出版时间"), F::Date),
                        col(u("a1"), F::Text, c.customListLabel1),
                        col(u("a2"), F::Text, c.customListLabel2),
                        col(u("a3"), F::Text, c.customListLabel3),
                        col(u("页数"), F::Number),
                        col(u("isbn"), F::Text, u("ISBN")),
                        col(u("版次")),
                        col(u("状态")),
                        col(u("附件")),
                        col(u("简介"), F::Text, QString(), false),
                        col(u("图片地址"), F::Text, QString(), false),
                        col(u("绝对地址"), F::Text, QString(), false)});
    m_grid->setKeyField(kNumber);
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);

    m_gridMenu = new QMenu(this);
    m_gridMenu->addAction(QStringLiteral("推荐"), this, &TBkSearchFm::recommend);
    QTableView *view = m_grid->view();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &pos) {
        m_gridMenu->popup(view->viewport()->mapToGlobal(pos));
    });
}

void TBkSearchFm::applyPermissions()
{
    const LoginContext &c = loginContext();
    button(QStringLiteral("添加"))->setEnabled(c.qxadddata);
    button(QStringLiteral("编辑"))->setEnabled(c.qxbkxg);
    button(QStringLiteral("删除"))->setEnabled(c.qxdel);
}

QToolButton *TBkSearchFm::button(const QString &text) const
{
    return m_buttons.value(text);
}

bool TBkSearchFm::showStatement(const Statement &statement)
{
    QString error;
    if (m_grid->setStatement(statement, &error))
        return true;
    Prompt::error(this, error);
    return false;
}

void TBkSearchFm::updateSummary()
{
    QString line;
    if (BookSearch::summary(&line))
        m_summary->setText(line);
}

bool TBkSearchFm::hasCurrentBook()
{
    if (m_grid->currentRow() >= 0)
        return true;
    Prompt::info(this, QStringLiteral("请先在列表中选择一本图书!"));
    return false;
}

void TBkSearchFm::openWindow(QDialog *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}

void TBkSearchFm::search()
{
    if (m_column->currentText().trimmed().isEmpty())
        m_column->setEditText(QString::fromUtf8(BookSearch::DefaultChoice));
    BookSearch::Conditions c;
    c.choice = m_column->currentText();
    c.value = m_value->text();
    c.match = m_exact->isChecked() ? BookSearch::Match::Exact : BookSearch::Match::Contains;
    c.dateRange = m_dateBox->isChecked();
    c.from = m_from->date();
    c.to = m_to->date();
    const BookSearch::Search s = BookSearch::build(c);
    if (!s.ok) {
        Prompt::warning(this, s.message);
        return;
    }
    showStatement(s.statement);
}

void TBkSearchFm::openCombined()
{
    auto *window = new TBkSearchAdFm(this);
    connect(window, &TBkSearchAdFm::chosen, this, &TBkSearchFm::showStatement);
    openWindow(window);
}

void TBkSearchFm::addBook()
{
    auto *window = new TBkAddFm(this);
    connect(window, &TBkAddFm::saved, this, [this] {
        refresh();
        updateSummary();
    });
    openWindow(window);
}

void TBkSearchFm::editBook()
{
    if (!hasCurrentBook())
        return;
    auto *window = new TBkEditFm(m_grid->currentRecord(), this);
    connect(window, &TBkEditFm::saved, this, [this] {
        refresh();
        updateSummary();
    });
    openWindow(window);
}

void TBkSearchFm::deleteBook()
{
    if (!hasCurrentBook())
        return;
    const QString number = m_grid->currentValue(kNumber).toString();
    const QString title = m_grid->currentValue(kTitle).toString();
    if (!Prompt::ask(this, ItemDeletion::question(title), Prompt::Answer::No))
        return;
    const ItemDeletion::Result r = ItemDeletion::remove(QStringLiteral("图书"), number, title);
    if (!r.deleted)
        Prompt::warning(this, r.message);
    refresh();
    updateSummary();
}

void TBkSearchFm::refresh()
{
    QString error;
    if (!m_grid->refresh(&error))
        Prompt::error(this, error);
}

void TBkSearchFm::showAll()
{
    showStatement(BookSearch::allStatement());
}

void TBkSearchFm::printAll(BookReports::Kind k)
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed search left nothing to print
    const int pages = k == BookReports::Kind::List ? m_grid->rowCount() / kBooksOnAListPage + 1
                                                   : m_grid->rowCount();
    const Statement books = m_grid->currentStatement();
    ReportPreview::showLarge(this, pages, [&](ReportModel *report, QString *error) {
        return BookReports::build(k, books, QDateTime::currentDateTime(), report, error);
    });
}

void TBkSearchFm::printCurrent(BookReports::Kind kind)
{
    if (!hasCurrentBook())
        return;
    ReportRows rows;
    rows.append(m_grid->currentRecord());
    ReportModel report;
    switch (kind) {
    case BookReports::Kind::Barcodes:
        report = BookReports::barcodes(rows);
        break;
    case BookReports::Kind::SpineLabels:
        report = BookReports::spineLabels(rows, true);
        break;
    default:
        report = BookReports::catalogueCards(rows, true);
        break;
    }
    ReportPreview::show(this, report);
}

void TBkSearchFm::printList()
{
    printAll(BookReports::Kind::List);
}

void TBkSearchFm::printBarcodes()
{
    printAll(BookReports::Kind::Barcodes);
}

void TBkSearchFm::printLabels()
{
    printAll(BookReports::Kind::SpineLabels);
}

void TBkSearchFm::printCards()
{
    printAll(BookReports::Kind::CatalogueCards);
}

void TBkSearchFm::printClassNumbers()
{
    printAll(BookReports::Kind::ClassLabels);
}

void TBkSearchFm::printSingleBarcode()
{
    printCurrent(BookReports::Kind::Barcodes);
}

void TBkSearchFm::printSingleLabel()
{
    printCurrent(BookReports::Kind::SpineLabels);
}

void TBkSearchFm::printSingleCard()
{
    printCurrent(BookReports::Kind::CatalogueCards);
}

void TBkSearchFm::exportSheet()
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed search left nothing to export
    ExportDatasetToExcel(this, m_grid->currentStatement());
}

void TBkSearchFm::recommend()
{
    if (!hasCurrentBook())
        return;
    if (!loginContext().qxadmin) {
        Prompt::warning(this, Recommendations::noRightMessage());
        return;
    }
    const std::optional<QString> reason = Prompt::input(
        this, QStringLiteral("推荐理由"), QStringLiteral("不能大于25个汉字或50个字符:"));
    if (!reason || reason->isEmpty())
        return;
    const Recommendations::Result r =
        Recommendations::recommend(m_grid->currentRecord(), loginContext().adminName, *reason);
    if (!r.ok)
        Prompt::warning(this, r.message);
}
