#include "InExcelRdUt.h"

#include "import/ReaderImport.h"

namespace {

ImportWindow::Setup setup()
{
    ImportWindow::Setup s;
    s.objectName = QStringLiteral("TInExcelRdFm");
    s.title = QStringLiteral("Excel导入读者数据");
    s.mapping = std::make_shared<ReaderImport>();
    s.randomCaption = QStringLiteral("自动增加编号");
    s.failureReasonText =
        QStringLiteral("导入失败的原因有很多,比如Excel中的编号和系统内已存在的编号重复等");
    s.showFailedList = false;
    s.showStatement = false;
    s.showElapsed = false;
    return s;
}

} // namespace

TInExcelRdFm::TInExcelRdFm(QWidget *parent)
    : ImportWindow(setup(), parent)
{}
