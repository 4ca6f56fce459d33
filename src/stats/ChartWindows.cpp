#include "ChartWindows.h"

#include "BkChartUt.h"
#include "QkChartUt.h"
#include "RdChartUt.h"
#include "app/WindowRegistry.h"

void registerChartWindows()
{
    WindowRegistry::add(QStringLiteral("图书借阅统计"),
                        [](QWidget *parent) -> QWidget * { return new TBkChartFm(parent); });
    WindowRegistry::add(QStringLiteral("期刊借阅统计"),
                        [](QWidget *parent) -> QWidget * { return new TQkChartFm(parent); });
    WindowRegistry::add(QStringLiteral("读者借阅统计"),
                        [](QWidget *parent) -> QWidget * { return new TRdChartFm(parent); });
}
