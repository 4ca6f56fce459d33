#include "MaintenanceWindows.h"

#include "BackUpAccessUt.h"
#include "BatchDataUt.h"
#include "CleandataUt.h"
#include "app/MainCommands.h"
#include "app/WindowRegistry.h"

template <typename Window> static void addWindow(const QString &command)
{
    WindowRegistry::add(command, [](QWidget *parent) -> QWidget * { return new Window(parent); });
}

void registerMaintenanceWindows()
{
    addWindow<TCleandataFm>(QStringLiteral("系 统 初 始 化"));
    addWindow<TBackUpAccessFm>(MainCommands::Backup);
    addWindow<TBatchDataFm>(QStringLiteral("批处理数据"));
}
