#pragma once

// Registers the windows of the catalogue with the main window's command table: 添加图书,
// 图书管理 (its tool button runs the same command) and 网页推荐信息.
void registerBookWindows();
