#pragma once

// Registers the borrowing window with the main window's command table: 借    阅 (F5). The
// command gives the borrowing window already open at the desk instead of a second one.
void registerBorrowWindows();
