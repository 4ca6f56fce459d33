// Placeholders so that reader management can be built while these windows are written;
// each is replaced by its own RdAddUt.cpp, RdEditUt.cpp … before the commands are enabled.
#include "RdAddUt.h"
#include "RdEditPicUt.h"
#include "RdEditUt.h"

TRdAddFm::TRdAddFm(QWidget *parent) : QDialog(parent) { setWindowTitle(QStringLiteral("读者添加")); }
TRdEditFm::TRdEditFm(const QSqlRecord &, QWidget *parent) : QDialog(parent) { setWindowTitle(QStringLiteral("读者编辑")); }
TRdEditPicFm::TRdEditPicFm(const QByteArray &, QWidget *parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Pic")); }
