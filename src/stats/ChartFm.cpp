#include "ChartFm.h"

#include "BarChart.h"
#include "Prompt.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TChartFm::TChartFm(TopTwelve::Kind kind, const QString &title, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);

    m_chart = new BarChart(this);
    m_ok = new QPushButton(QStringLiteral("确定"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chart, 1);
    layout->addLayout(buttons);
    resize(900, 560);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    BarChartModel ranking;
    QString error;
    if (TopTwelve::load(kind, &ranking, &error)) {
        m_chart->setModel(ranking);
    } else {
        // The database's own text, once the window stands on the screen.
        QTimer::singleShot(0, this, [this, error] { Prompt::error(this, error); });
    }
}
