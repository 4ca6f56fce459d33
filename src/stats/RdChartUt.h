#pragma once

#include "ChartFm.h"

// The lending chart of the most active readers (累计借阅次数).
class TRdChartFm : public TChartFm {
    Q_OBJECT
public:
    explicit TRdChartFm(QWidget *parent = nullptr);
};
