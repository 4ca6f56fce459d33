#pragma once

// Registers the renewal window (续    借) and the reservation list (预定信息) with the main
// window's command table.
void registerDeskWindows();
