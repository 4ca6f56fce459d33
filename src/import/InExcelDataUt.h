#pragma once

#include "ImportWindow.h"

// The book import (Excel导入图书数据): one 图书 row per sheet row, with the numbering options, the
// failed-rows list and its export.
class TInExcelDataFm : public ImportWindow {
    Q_OBJECT
public:
    explicit TInExcelDataFm(QWidget *parent = nullptr);
};
