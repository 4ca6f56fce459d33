#include "DataCheckUt.h"

#include "Prompt.h"
#include "StatsDates.h"
#include "WindowPrint.h"
#include "stats/StockTaking.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char *const kTotals[] = {
    "图书总数:",     "期刊总数:",         "读者总数:",        "总未还数量:",
    "历史借出总数:", "当前在库图书数量:", "当前在库期刊数量:"};
const char *const kPeriod[] = {
    "借出次数:", "归还次数:", "图书入库数:", "期刊入库数:", "读者登记数:", "租金收入:"};

} // namespace

TDataCheckFm::TDataCheckFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TDataCheckFm"));
    setWindowTitle(QStringLiteral("数据盘点"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *totalsBox = new QGroupBox(QStringLiteral("总计"), this);
    auto *totalsGrid = new QGridLayout(totalsBox);
    int i = 0;
    for (const char *caption : kTotals) {
        valueLabel(QString::fromUtf8(caption), totalsGrid, i / 2, (i % 2) * 2);
        ++i;
    }

    const StockTaking::Period period = StockTaking::defaultPeriod(QDate::currentDate());
    m_from = StatsDates::dateField(period.from, this);
    m_to = StatsDates::dateField(period.to, this);
    m_query = new QPushButton(QStringLiteral("查询"), this);
    auto *periodBox = new QGroupBox(QStringLiteral("时段统计"), this);
    auto *periodLayout = new QVBoxLayout(periodBox);
    auto *dates = new QHBoxLayout;
    dates->addWidget(new QLabel(QStringLiteral("时间从:"), this));
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(QStringLiteral("到"), this));
    dates->addWidget(m_to);
    dates->addWidget(m_query);
    dates->addStretch();
    periodLayout->addLayout(dates);
    auto *periodGrid = new QGridLayout;
    i = 0;
    for (const char *caption : kPeriod) {
        valueLabel(QString::fromUtf8(caption), periodGrid, i / 2, (i % 2) * 2);
        ++i;
    }
    periodLayout->addLayout(periodGrid);

    m_print = new QPushButton(QStringLiteral("打印"), this);
    auto *closeButton = new QPushButton(QStringLiteral("关闭"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_print);
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(totalsBox);
    layout->addWidget(periodBox);
    layout->addLayout(buttons);

    connect(m_query, &QPushButton::clicked, this, &TDataCheckFm::showPeriod);
    connect(m_print, &QPushButton::clicked, this, &TDataCheckFm::printClicked);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    showPeriod();
    showTotals();
}

QLabel *TDataCheckFm::valueLabel(const QString &caption, QGridLayout *grid, int row, int column)
{
    auto *value = new QLabel(QStringLiteral("0"), this);
    value->setMinimumWidth(90);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(new QLabel(caption, this), row, column, Qt::AlignRight);
    grid->addWidget(value, row, column + 1);
    m_values.insert(caption, value);
    return value;
}

QString TDataCheckFm::figure(const QString &caption) const
{
    const QLabel *label = m_values.value(caption);
    return label ? label->text() : QString();
}

void TDataCheckFm::showTotals()
{
    QVector<StockTaking::Figure> figures;
    QString error;
    if (!StockTaking::totals(&figures, &error)) {
        Prompt::error(this, error);
        return;
    }
    for (const StockTaking::Figure &f : figures)
        if (QLabel *label = m_values.value(f.caption))
            label->setText(f.value);
}

void TDataCheckFm::showPeriod()
{
    QVector<StockTaking::Figure> figures;
    QString error;
    if (!StockTaking::periodFigures({m_from->date(), m_to->date()}, &figures, &error)) {
        Prompt::error(this, error);
        return;
    }
    for (const StockTaking::Figure &f : figures)
        if (QLabel *label = m_values.value(f.caption))
            label->setText(f.value);
}

void TDataCheckFm::printClicked()
{
    QString error;
    if (!WindowPrint::printToDefaultPrinter(this, &error))
        Prompt::warning(this, error);
}
