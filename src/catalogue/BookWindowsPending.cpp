// Placeholders so that book management can be built while these windows are written; each
// is replaced by its own BkAddUt.cpp, BkEditUt.cpp, StockModifyUt.cpp.
#include "BkAddUt.h"

TBkAddFm::TBkAddFm(QWidget *parent)
    : QDialog(parent)
{}
