#include "InExcelJyUt.h"

#include "import/LoanImport.h"

namespace {

ImportWindow::Setup setup()
{
    ImportWindow::Setup s;
    s.objectName = QStringLiteral("TInExcelJyFm");
    s.title = QStringLiteral("Excel导入借阅记录");
    s.mapping = std::make_shared<LoanImport>();
    s.failureReasonText =
        QStringLiteral("导入失败的原因有很多,比如Excel中的编号和系统内已存在的编号重复,"
                       "或者该是数字的项目确出现了字符/文字等原因,还有就是日期的格式(2008-8-8).");
    s.showNumberingHint = false;
    s.showFailedList = false;
    return s;
}

} // namespace

TInExcelJyFm::TInExcelJyFm(QWidget *parent)
    : ImportWindow(setup(), parent)
{}
