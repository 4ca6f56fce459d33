// Placeholders so that reader management can be built while these windows are written;
// each is replaced by its own RdAddUt.cpp, RdEditUt.cpp … before the commands are enabled.
#include "ChangeRdStateUt.h"
#include "RdChongZhiUt.h"

TChangeRdStateFm::TChangeRdStateFm(const QSqlRecord &, QWidget *parent) : QDialog(parent) { setWindowTitle(QStringLiteral("更改状态")); }
TRdChongZhiFm::TRdChongZhiFm(const QString &, QWidget *parent) : QDialog(parent) { setWindowTitle(QStringLiteral("卡内充值")); }
