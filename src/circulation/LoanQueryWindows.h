#pragma once

// Registers the loan record query ("借阅记录查询") and the overdue list ("逾期借阅记录") with the
// main window's command table.
void registerLoanQueryWindows();
