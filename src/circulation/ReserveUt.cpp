#include "ReserveUt.h"

#include "Prompt.h"
#include "ResultGrid.h"
#include "circulation/Reservations.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TReserveFm::TReserveFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TReserveFm"));
    setWindowTitle(QStringLiteral("读者预定信息"));
    setAttribute(Qt::WA_DeleteOnClose);

    using C = ResultGrid::Column;
    auto col = [](const char *field, ResultGrid::Format format = ResultGrid::Format::Auto) {
        C c;
        c.field = QString::fromUtf8(field);
        c.format = format;
        return c;
    };
    C number = col("编号");
    number.footer = ResultGrid::Footer::Count;
    m_grid = new ResultGrid(this);
    m_grid->setColumns({number, col("名称"), col("条形码"), col("预定状况"),
                        col("预定到期时间", ResultGrid::Format::DateTime)});
    m_grid->setKeyField(QStringLiteral("编号"));

    m_cancelAll = new QPushButton(QStringLiteral("取消全部预定"), this);
    m_refresh = new QPushButton(QStringLiteral("刷新"), this);
    auto *quit = new QPushButton(QStringLiteral("退出"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_cancelAll, m_refresh, quit}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    // The grid takes the window's height less the button bar.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    resize(720, 420);

    connect(m_cancelAll, &QPushButton::clicked, this, &TReserveFm::cancelAllClicked);
    connect(m_refresh, &QPushButton::clicked, this, &TReserveFm::list);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    list();
}

void TReserveFm::list()
{
    QString error;
    if (!m_grid->setStatement(Reservations::listStatement(), &error))
        Prompt::warning(this, error);
}

void TReserveFm::cancelAllClicked()
{
    // No question first: the list shows at once what was cleared.
    QString error;
    if (!Reservations::cancelAll(&error))
        Prompt::warning(this, error);
    list();
}
