#include "AppWindows.h"

#include "AboutUt.h"
#include "SetDataUt.h"
#include "WindowRegistry.h"
#include "app/MainCommands.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"

void registerAppWindows()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WindowRegistry::registerAll();
    WindowRegistry::add(MainCommands::DatabaseSettings, [](QWidget *parent) -> QWidget * {
        IniFile ini(loginContext().iniPath);
        return new TSetDataFm(ini, loginContext(), parent);
    });
    WindowRegistry::add(MainCommands::About, [](QWidget *parent) -> QWidget * {
        return new TAboutFm(loginContext(), parent);
    });
}
