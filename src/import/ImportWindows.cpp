#include "ImportWindows.h"

#include "InExcelDataUt.h"
#include "InExcelJyUt.h"
#include "InExcelQkUt.h"
#include "InExcelRdUt.h"
#include "app/WindowRegistry.h"

void registerImportWindows()
{
    WindowRegistry::add(QStringLiteral("Excel导入读者数据"),
                        [](QWidget *parent) -> QWidget * { return new TInExcelRdFm(parent); });
    WindowRegistry::add(QStringLiteral("Excel导入图书数据"),
                        [](QWidget *parent) -> QWidget * { return new TInExcelDataFm(parent); });
    WindowRegistry::add(QStringLiteral("Excel导入期刊数据"),
                        [](QWidget *parent) -> QWidget * { return new TInExcelQkFm(parent); });
    WindowRegistry::add(QStringLiteral("Excel导入借阅记录"),
                        [](QWidget *parent) -> QWidget * { return new TInExcelJyFm(parent); });
}
