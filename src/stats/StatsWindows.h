#pragma once

// Registers the statistics and stock-taking windows: "分 类 统 计", "入库信息统计", "数据盘点".
// The intake per administrator is opened from the intake statistics window.
void registerStatsWindows();
