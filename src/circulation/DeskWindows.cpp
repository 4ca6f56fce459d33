#include "DeskWindows.h"

#include "ReserveUt.h"
#include "XuJieUt.h"
#include "app/WindowRegistry.h"

void registerDeskWindows()
{
    WindowRegistry::add(QStringLiteral("续    借"),
                        [](QWidget *parent) -> QWidget * { return new TXuJieFm(parent); });
    WindowRegistry::add(QStringLiteral("预定信息"),
                        [](QWidget *parent) -> QWidget * { return new TReserveFm(parent); });
}
