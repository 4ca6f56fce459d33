#include "PeriodicalWindows.h"

#include "QkAddUt.h"
#include "QkSearchUt.h"
#include "app/WindowRegistry.h"

void registerPeriodicalWindows()
{
    WindowRegistry::add(QStringLiteral("添加期刊"),
                        [](QWidget *parent) -> QWidget * { return new TQkAddFm(parent); });
    WindowRegistry::add(QStringLiteral("期刊管理"),
                        [](QWidget *parent) -> QWidget * { return new TQkSearchFm(parent); });
}
