#pragma once

#include "ChartFm.h"

// The lending chart of the most borrowed periodicals (借出次数).
class TQkChartFm : public TChartFm {
    Q_OBJECT
public:
    explicit TQkChartFm(QWidget *parent = nullptr);
};
