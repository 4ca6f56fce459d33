#pragma once

#include "ImportWindow.h"

// The periodical import (Excel导入期刊数据): one 期刊 row per sheet row, with the numbering
// options, the failed-rows list and its export.
class TInExcelQkFm : public ImportWindow {
    Q_OBJECT
public:
    explicit TInExcelQkFm(QWidget *parent = nullptr);
};
