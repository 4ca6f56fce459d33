#include "AdminWindows.h"

#include "app/WindowRegistry.h"

void registerAdminWindows()
{
}
