#include "StatsWindows.h"

#include "BkRegUt.h"
#include "DataCheckUt.h"
#include "SortSearchUt.h"
#include "app/WindowRegistry.h"

void registerStatsWindows()
{
    WindowRegistry::add(QStringLiteral("分 类 统 计"),
                        [](QWidget *parent) -> QWidget * { return new TSortSearchFM(parent); });
    WindowRegistry::add(QStringLiteral("入库信息统计"),
                        [](QWidget *parent) -> QWidget * { return new TBkRegFm(parent); });
    WindowRegistry::add(QStringLiteral("数据盘点"),
                        [](QWidget *parent) -> QWidget * { return new TDataCheckFm(parent); });
}
