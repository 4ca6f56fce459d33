#pragma once

// Registers the periodical windows with the main window's command table: 添加期刊 and
// 期刊管理 (the latter does not block the main window; the table says so).
void registerPeriodicalWindows();
