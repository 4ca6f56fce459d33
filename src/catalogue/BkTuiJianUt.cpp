#include "BkTuiJianUt.h"

#include "ExcelExport.h"
#include "Prompt.h"
#include "ResultGrid.h"
#include "admin/AdminToolBar.h"
#include "catalogue/Recommendations.h"

#include <QVBoxLayout>

TBkTuiJianFm::TBkTuiJianFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkTuiJianFm"));
    setWindowTitle(QStringLiteral("推荐"));
    setAttribute(Qt::WA_DeleteOnClose);

    const QStringList texts = {QStringLiteral("删除当前"), QStringLiteral("全部删除"),
                               QStringLiteral("导出Excel"), QStringLiteral("退出")};
    auto *toolBar = new AdminToolBar(texts, this);
    for (int i = 0; i < texts.size(); ++i)
        m_buttons.insert(texts[i], toolBar->button(i));

    using C = ResultGrid::Column;
    auto col = [](const char *field) { return C{QString::fromUtf8(field)}; };
    C number = col("编号");
    number.footer = ResultGrid::Footer::Count;
    m_grid = new ResultGrid(this);
    m_grid->setColumns({number, col("名称"), col("作者"), col("分类"), col("存放位置"),
                        col("推荐人"), col("memo"), col("id")});
    m_grid->setKeyField(QStringLiteral("id"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(toolBar);
    layout->addWidget(m_grid, 1);

    connect(button(QStringLiteral("删除当前")), &QToolButton::clicked, this,
            &TBkTuiJianFm::deleteCurrent);
    connect(button(QStringLiteral("全部删除")), &QToolButton::clicked, this,
            &TBkTuiJianFm::deleteAll);
    connect(button(QStringLiteral("导出Excel")), &QToolButton::clicked, this,
            &TBkTuiJianFm::exportSheet);
    connect(button(QStringLiteral("退出")), &QToolButton::clicked, this, &QDialog::close);

    QString error;
    if (!m_grid->setStatement(Recommendations::listStatement(), &error))
        Prompt::error(this, error);
    resize(860, 480);
}

void TBkTuiJianFm::deleteCurrent()
{
    if (m_grid->currentRow() < 0) {
        Prompt::info(this, QStringLiteral("请先在列表中选择一条推荐!"));
        return;
    }
    if (!Prompt::ask(this, QStringLiteral("您是否要删除"), Prompt::Answer::No))
        return;
    const Recommendations::Result r =
        Recommendations::removeOne(m_grid->currentValue(QStringLiteral("id")));
    if (!r.ok)
        Prompt::error(this, r.message);
    QString error;
    if (!m_grid->refresh(&error))
        Prompt::error(this, error);
}

void TBkTuiJianFm::deleteAll()
{
    if (!Prompt::ask(this, QStringLiteral("您是否要全部删除"), Prompt::Answer::No))
        return;
    const Recommendations::Result r = Recommendations::removeAll();
    if (!r.ok) {
        Prompt::error(this, r.message);
        return;
    }
    Prompt::info(this, QStringLiteral("删除完毕!"));
    QString error;
    if (!m_grid->refresh(&error))
        Prompt::error(this, error);
}

void TBkTuiJianFm::exportSheet()
{
    if (m_grid->fieldNames().isEmpty())
        return;
    ExportDatasetToExcel(this, m_grid->currentStatement());
}
