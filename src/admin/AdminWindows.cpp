#include "AdminWindows.h"

#include "AdminLogUt.h"
#include "AdminUt.h"
#include "ChangePwdUt.h"
#include "ListEditUt.h"
#include "PosPrtSetUt.h"
#include "SysInfoSetUt.h"
#include "app/WindowRegistry.h"

template <typename Window> static void addWindow(const char *command)
{
    WindowRegistry::add(QString::fromUtf8(command),
                        [](QWidget *parent) -> QWidget * { return new Window(parent); });
}

void registerAdminWindows()
{
    addWindow<TBkKindFm>("图书分类设置");
    addWindow<TBk2KindFm>("二级分类设置");
    addWindow<TPubFm>("出版社名设置");
    addWindow<TDepartMentFm>("单位/部门名");
    addWindow<TPlaceFm>("存放位置");
    addWindow<TPaperFm>("证件名设置");
    addWindow<TMoneyKindFm>("币种名设置");
    addWindow<Ta1Fm>("a1设置");
    addWindow<Ta2Fm>("a2设置");
    addWindow<Ta3Fm>("a3设置");
    addWindow<TRdKindFm>("读者类别设置");
    addWindow<TRentLevelFm>("物品级别设置");
    addWindow<TAdminFm>("系统管理员权限设置");
    addWindow<TChangePwdFm>("修改密码");
    addWindow<TAdminLogFm>("管理员日志");
    addWindow<TSysInfoSetFm>("图书馆信息设置");
    addWindow<TPosPrtSetFm>("Pos小票打印机");
}
