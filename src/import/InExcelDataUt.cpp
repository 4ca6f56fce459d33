#include "InExcelDataUt.h"

#include "import/BookImport.h"

namespace {

ImportWindow::Setup setup()
{
    ImportWindow::Setup s;
    s.objectName = QStringLiteral("TInExcelDataFm");
    s.title = QStringLiteral("Excel导入图书数据");
    s.mapping = std::make_shared<BookImport>();
    s.randomCaption = QStringLiteral("系统随机自动编号");
    s.failureReasonText =
        QStringLiteral("导入失败的原因有很多,比如Excel中的编号和系统内已存在的编号重复,"
                       "或者该是数字的项目确出现了字符/文字等原因,还有就是日期的格式(2008-8-8).");
    return s;
}

} // namespace

TInExcelDataFm::TInExcelDataFm(QWidget *parent)
    : ImportWindow(setup(), parent)
{}
