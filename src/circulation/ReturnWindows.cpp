#include "ReturnWindows.h"

#include "BkReturnUt.h"
#include "CirculationDesk.h"
#include "app/WindowRegistry.h"

void registerReturnWindows()
{
    // One return window at a time: the one the borrowing window opened is brought up.
    WindowRegistry::add(CirculationDesk::ReturnCommand, [](QWidget *parent) -> QWidget * {
        if (QWidget *open = CirculationDesk::window(CirculationDesk::ReturnCommand))
            return open;
        return new TBkReturnFm(parent);
    });
}
