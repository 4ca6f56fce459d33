#pragma once

#include "ChartFm.h"

// The lending chart of the most borrowed books (借出次数).
class TBkChartFm : public TChartFm {
    Q_OBJECT
public:
    explicit TBkChartFm(QWidget *parent = nullptr);
};
