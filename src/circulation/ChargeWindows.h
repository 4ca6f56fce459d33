#pragma once

// Registers the windows of the charges and the income journal: "收费", "资金统计".
void registerChargeWindows();
