#pragma once

#include "ImportWindow.h"

// The reader import (Excel导入读者数据): one 读者库 row per sheet row until the first row without a
// number or a name; no failed-rows list, statement box or time.
class TInExcelRdFm : public ImportWindow {
    Q_OBJECT
public:
    explicit TInExcelRdFm(QWidget *parent = nullptr);
};
