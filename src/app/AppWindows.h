#pragma once

// Registers the windows of the application shell (database settings, About) with the main
// window's command table.
void registerAppWindows();
