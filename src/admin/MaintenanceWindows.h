#pragma once

// Registers the initialization, batch and backup windows with the main window's command
// table.
void registerMaintenanceWindows();
