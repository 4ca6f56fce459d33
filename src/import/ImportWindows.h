#pragma once

// Registers the spreadsheet import windows of the 数据导入 menu: "Excel导入读者数据",
// "Excel导入图书数据", "Excel导入期刊数据", "Excel导入借阅记录".
void registerImportWindows();
