#pragma once

#include "stats/TopTwelve.h"

#include <QDialog>

class BarChart;
class QPushButton;

// The design the three lending charts share: one ranking drawn as pyramid bars under the
// title "借阅次数排行", and "确定" to close. The ranking is read once, when the window is
// built; the window changes nothing.
class TChartFm : public QDialog {
    Q_OBJECT
public:
    TChartFm(TopTwelve::Kind kind, const QString &title, QWidget *parent = nullptr);

    BarChart *chart() const { return m_chart; }
    QPushButton *okButton() const { return m_ok; }

private:
    BarChart *m_chart = nullptr;
    QPushButton *m_ok = nullptr;
};
