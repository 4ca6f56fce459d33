#include "QkSearchUt.h"

#include "ColumnSearchGroup.h"
#include "ExcelExport.h"
#include "Prompt.h"
#include "QkAddUt.h"
#include "QkEditUt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "admin/AdminToolBar.h"
#include "catalogue/ItemDeletion.h"
#include "db/LoginContext.h"

#include <QComboBox>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kNumber = QStringLiteral("编号");
const QString kName = QStringLiteral("名称");
const QString kKind = QStringLiteral("期刊");

constexpr int kIssuesOnAListPage = 39;

} // namespace

TQkSearchFm::TQkSearchFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TQkSearchFm"));
    setWindowTitle(QStringLiteral("期刊管理"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    const QStringList texts = {
        QStringLiteral("查询"), QStringLiteral("添加"),     QStringLiteral("修改"),
        QStringLiteral("删除"), QStringLiteral("刷新"),     QStringLiteral("显示全部"),
        QStringLiteral("打印"), QStringLiteral("打印条码"), QStringLiteral("打印标签"),
        QStringLiteral("单打"), QStringLiteral("转Excel"),  QStringLiteral("退出")};
    auto *toolBar = new AdminToolBar(texts, this);
    for (int i = 0; i < texts.size(); ++i)
        m_buttons.insert(texts[i], toolBar->button(i));
    layout->addWidget(toolBar);
    m_conditions = new ColumnSearchGroup(PeriodicalSearch::columnChoices(),
                                         QString::fromUtf8(PeriodicalSearch::DefaultChoice), this);
    m_conditions->row()->addStretch();
    layout->addWidget(m_conditions);
    createGrid();
    layout->addWidget(m_grid, 1);

    const QVector<QPair<QString, void (TQkSearchFm::*)()>> actions = {
        {QStringLiteral("查询"), &TQkSearchFm::search},
        {QStringLiteral("添加"), &TQkSearchFm::addIssue},
        {QStringLiteral("修改"), &TQkSearchFm::editIssue},
        {QStringLiteral("删除"), &TQkSearchFm::deleteIssue},
        {QStringLiteral("刷新"), &TQkSearchFm::refresh},
        {QStringLiteral("显示全部"), &TQkSearchFm::showAll},
        {QStringLiteral("打印"), &TQkSearchFm::printList},
        {QStringLiteral("打印条码"), &TQkSearchFm::printBarcodes},
        {QStringLiteral("打印标签"), &TQkSearchFm::printLabels},
        {QStringLiteral("转Excel"), &TQkSearchFm::exportSheet},
    };
    for (const auto &a : actions)
        connect(button(a.first), &QToolButton::clicked, this, a.second);
    connect(button(QStringLiteral("退出")), &QToolButton::clicked, this, &QDialog::close);
    connect(m_conditions, &ColumnSearchGroup::searchRequested, this, &TQkSearchFm::search);

    m_singleMenu = new QMenu(this);
    m_singleMenu->addAction(QStringLiteral("条码"), this, &TQkSearchFm::printSingleBarcode);
    m_singleMenu->addAction(QStringLiteral("标签"), this, &TQkSearchFm::printSingleLabel);
    QToolButton *single = button(QStringLiteral("单打"));
    single->setMenu(m_singleMenu);
    single->setPopupMode(QToolButton::InstantPopup);

    const LoginContext &c = loginContext();
    button(QStringLiteral("添加"))->setEnabled(c.qxadddata);
    button(QStringLiteral("修改"))->setEnabled(c.qxqkxg);
    button(QStringLiteral("删除"))->setEnabled(c.qxdel);

    showStatement(PeriodicalSearch::allStatement());
    resize(1100, 680);
    setWindowState(Qt::WindowMaximized);
}

void TQkSearchFm::createGrid()
{
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    using Footer = ResultGrid::Footer;
    auto u = [](const char *text) { return QString::fromUtf8(text); };
    m_grid = new ResultGrid(this);
    m_grid->setColumns({C{kNumber, QString(), F::Text, Footer::Count},
                        C{kName},
                        C{u("条形码")},
                        C{u("分类")},
                        C{u("出版社")},
                        C{u("存放位置")},
                        C{u("数量"), QString(), F::Number, Footer::SumWhole},
                        C{u("ISSN")},
                        C{u("国内统一刊号")},
                        C{u("邮发代号")},
                        C{u("出版时间")},
                        C{u("第几期")},
                        C{u("入库时间"), QString(), F::Date},
                        C{u("总第几期")},
                        C{u("价格"), QString(), F::Money},
                        C{u("币种")},
                        C{u("借出次数"), QString(), F::Number},
                        C{u("状态")},
                        C{u("简介"), QString(), F::Text, Footer::None, false},
                        C{u("图片地址"), QString(), F::Text, Footer::None, false},
                        C{u("绝对地址"), QString(), F::Text, Footer::None, false}});
    m_grid->setKeyField(kNumber);
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);
}

bool TQkSearchFm::showStatement(const Statement &statement)
{
    QString error;
    if (m_grid->setStatement(statement, &error))
        return true;
    Prompt::error(this, error);
    return false;
}

bool TQkSearchFm::hasCurrentIssue()
{
    if (m_grid->currentRow() >= 0)
        return true;
    Prompt::info(this, QStringLiteral("请先在列表中选择一期期刊!"));
    return false;
}

void TQkSearchFm::openWindow(QDialog *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}

void TQkSearchFm::search()
{
    PeriodicalSearch::Conditions c;
    c.choice = m_conditions->column();
    c.value = m_conditions->value();
    c.match = m_conditions->match();
    const PeriodicalSearch::Search s = PeriodicalSearch::build(c);
    if (!s.ok) {
        Prompt::warning(this, s.message);
        return;
    }
    showStatement(s.statement);
}

void TQkSearchFm::addIssue()
{
    auto *window = new TQkAddFm(this);
    connect(window, &TQkAddFm::saved, this, &TQkSearchFm::refresh);
    openWindow(window);
}

void TQkSearchFm::editIssue()
{
    if (!hasCurrentIssue())
        return;
    auto *window = new TQkEditFm(m_grid->currentRecord(), this);
    connect(window, &TQkEditFm::saved, this, &TQkSearchFm::refresh);
    openWindow(window);
}

void TQkSearchFm::deleteIssue()
{
    if (!hasCurrentIssue())
        return;
    const QString number = m_grid->currentValue(kNumber).toString();
    const QString name = m_grid->currentValue(kName).toString();
    if (!Prompt::ask(this, ItemDeletion::question(name), Prompt::Answer::No))
        return;
    const ItemDeletion::Result r = ItemDeletion::remove(kKind, number, name);
    if (!r.deleted)
        Prompt::warning(this, r.message);
    refresh();
}

void TQkSearchFm::refresh()
{
    QString error;
    if (!m_grid->refresh(&error))
        Prompt::error(this, error);
}

void TQkSearchFm::showAll()
{
    showStatement(PeriodicalSearch::allStatement());
}

void TQkSearchFm::printAll(PeriodicalSearch::Report report)
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed search left nothing to print
    const int pages = report == PeriodicalSearch::Report::List
                          ? m_grid->rowCount() / kIssuesOnAListPage + 1
                          : m_grid->rowCount();
    const Statement issues = m_grid->currentStatement();
    ReportPreview::showLarge(this, pages, [&](ReportModel *model, QString *error) {
        return PeriodicalSearch::build(report, issues, QDateTime::currentDateTime(), model, error);
    });
}

void TQkSearchFm::printList()
{
    printAll(PeriodicalSearch::Report::List);
}

void TQkSearchFm::printBarcodes()
{
    printAll(PeriodicalSearch::Report::Barcodes);
}

void TQkSearchFm::printLabels()
{
    printAll(PeriodicalSearch::Report::Labels);
}

void TQkSearchFm::printSingleBarcode()
{
    if (!hasCurrentIssue())
        return;
    ReportRows rows;
    rows.append(m_grid->currentRecord());
    ReportPreview::show(this, PeriodicalSearch::barcodes(rows));
}

void TQkSearchFm::printSingleLabel()
{
    if (!hasCurrentIssue())
        return;
    ReportRows rows;
    rows.append(m_grid->currentRecord());
    ReportPreview::show(this, PeriodicalSearch::labels(rows, true));
}

void TQkSearchFm::exportSheet()
{
    if (m_grid->fieldNames().isEmpty())
        return; // a failed search left nothing to export
    ExportDatasetToExcel(this, m_grid->currentStatement());
}
