// Placeholders so that book management can be built while these windows are written; each
// is replaced by its own BkEditUt.cpp, StockModifyUt.cpp.
#include "BkEditUt.h"
#include "StockModifyUt.h"

TBkEditFm::TBkEditFm(const QSqlRecord &, QWidget *parent)
    : QDialog(parent)
{}

TStockModifyFm::TStockModifyFm(const QSqlRecord &, QWidget *parent)
    : QDialog(parent)
{}
