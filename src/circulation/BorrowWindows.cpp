#include "BorrowWindows.h"

#include "BkBorrowUt.h"
#include "CirculationDesk.h"
#include "app/WindowRegistry.h"

void registerBorrowWindows()
{
    WindowRegistry::add(CirculationDesk::BorrowCommand, [](QWidget *parent) -> QWidget * {
        if (QWidget *open = CirculationDesk::window(CirculationDesk::BorrowCommand))
            return open;
        return new TBkBorrowFm(parent);
    });
}
