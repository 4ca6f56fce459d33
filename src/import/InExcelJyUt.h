#pragma once

#include "ImportWindow.h"

// The loan-history import (Excel导入借阅记录): one 借出记录 row per sheet row with 编号 and 名称;
// no numbering options and no failed-rows list.
class TInExcelJyFm : public ImportWindow {
    Q_OBJECT
public:
    explicit TInExcelJyFm(QWidget *parent = nullptr);
};
