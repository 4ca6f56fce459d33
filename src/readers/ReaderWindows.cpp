#include "ReaderWindows.h"

#include "RdAddUt.h"
#include "RdSearchUt.h"
#include "app/WindowRegistry.h"

void registerReaderWindows()
{
    WindowRegistry::add(QStringLiteral("添加读者"),
                        [](QWidget *parent) -> QWidget * { return new TRdAddFm(parent); });
    WindowRegistry::add(QStringLiteral("读者管理"),
                        [](QWidget *parent) -> QWidget * { return new TRdSearchFm(parent); });
}
