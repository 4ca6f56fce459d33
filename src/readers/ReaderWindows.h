#pragma once

// Registers the windows of the readers with the main window's command table: 添加读者 and
// 读者管理 (its tool button runs the same command).
void registerReaderWindows();
