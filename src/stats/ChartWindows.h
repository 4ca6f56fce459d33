#pragma once

// Registers the lending charts with the main window's command table: "图书借阅统计",
// "期刊借阅统计", "读者借阅统计".
void registerChartWindows();
