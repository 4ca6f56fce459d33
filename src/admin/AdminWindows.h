#pragma once

// Registers the windows of reference data and administration with the main window's
// command table.
void registerAdminWindows();
