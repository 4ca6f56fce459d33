#include "DueRecordUt.h"

#include "Prompt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "admin/AdminToolBar.h"
#include "circulation/LoanQuery.h"
#include "circulation/OverdueNotices.h"
#include "db/LoginContext.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Beyond these a report asks first: building and previewing it takes a while.
constexpr int kPagesWithoutQuestion = 2000;
constexpr int kLoansOnAPage = 39;

} // namespace

TDueRecordFm::TDueRecordFm(QWidget *parent, const QDate &today)
    : QDialog(parent)
    , m_today(today)
{
    setObjectName(QStringLiteral("TDueRecordFm"));
    setWindowTitle(QStringLiteral("逾期未还记录统计"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    const QStringList texts = {QStringLiteral("打印报表"), QStringLiteral("打印催还单"),
                               QStringLiteral("退出")};
    auto *toolBar = new AdminToolBar(texts, this);
    for (int i = 0; i < texts.size(); ++i)
        m_buttons.insert(texts[i], toolBar->button(i));
    layout->addWidget(toolBar);
    createGrid();
    layout->addWidget(m_grid, 1);

    connect(button(QStringLiteral("打印报表")), &QToolButton::clicked, this,
            &TDueRecordFm::printList);
    connect(button(QStringLiteral("打印催还单")), &QToolButton::clicked, this,
            &TDueRecordFm::printNotices);
    connect(button(QStringLiteral("退出")), &QToolButton::clicked, this, &QDialog::close);

    // The list is built once, for the day the window opens.
    QString error;
    if (!m_grid->setStatement(LoanQuery::overdueStatement(m_today), &error))
        Prompt::error(this, error);
    resize(1100, 680);
    setWindowState(Qt::WindowMaximized);
}

void TDueRecordFm::createGrid()
{
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    using Footer = ResultGrid::Footer;
    auto col = [](const char *field, F format = F::Text, Footer footer = Footer::None,
                  bool visible = true) {
        return C{QString::fromUtf8(field), QString(), format, footer, visible};
    };
    m_grid = new ResultGrid(this);
    m_grid->setColumns({col("id", F::Number, Footer::Count),
                        col("读者编号"),
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
                        col("借阅经手人"),
                        col("归还经手人"),
                        col("租金", F::Money, Footer::None, false),
                        col("押金", F::Money, Footer::None, false),
                        col("物品状况", F::Text, Footer::None, false),
                        col("赔偿金额", F::Money, Footer::None, false),
                        col("归还备注", F::Text, Footer::None, false)});
    m_grid->setKeyField(QStringLiteral("id"));
    m_grid->setNaturalOrder(QStringLiteral("id"));
    m_grid->setSortingEnabled(true);
    m_grid->setFilterEnabled(true);
}

void TDueRecordFm::printList()
{
    if (m_grid->fieldNames().isEmpty())
        return; // the list could not be read: nothing to print
    const Statement statement = m_grid->currentStatement();
    ReportPreview::showLarge(this, m_grid->rowCount() / kLoansOnAPage + 1,
                             [&statement](ReportModel *report, QString *error) {
                                 return LoanQuery::overdueReport(
                                     statement, QDateTime::currentDateTime(), report, error);
                             });
}

void TDueRecordFm::printNotices()
{
    if (m_grid->fieldNames().isEmpty())
        return;
    if (m_grid->rowCount() == 0) {
        Prompt::info(this, QStringLiteral("没有逾期未还的记录, 不需要催还单."));
        return;
    }
    // At most one page a loan: ask only when that could be long.
    if (m_grid->rowCount() > kPagesWithoutQuestion &&
        !Prompt::ask(this,
                     QStringLiteral("%1 条逾期记录的催还单每位读者一页, 生成和预览需要一些时间. "
                                    "是否继续?")
                         .arg(m_grid->rowCount()),
                     Prompt::Answer::Yes))
        return;
    // The notices follow the list as shown: a filter on a reader prints that reader's only.
    QVector<OverdueNotices::Notice> notices;
    OverdueNotices::Library library;
    QString error;
    if (!OverdueNotices::readLibrary(&library, &error) ||
        !OverdueNotices::load(m_grid->currentStatement(), m_today, loginContext().overdueFinePerDay,
                              &notices, &error)) {
        Prompt::error(this, error);
        return;
    }
    ReportPreview::show(this, OverdueNotices::report(notices, library, m_today));
}
