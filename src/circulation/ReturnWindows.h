#pragma once

// Registers the return window with the main window's command table: "归    还".
void registerReturnWindows();
