#include "BookWindows.h"

#include "BkAddUt.h"
#include "BkSearchUt.h"
#include "BkTuiJianUt.h"
#include "app/WindowRegistry.h"

void registerBookWindows()
{
    WindowRegistry::add(QStringLiteral("添加图书"),
                        [](QWidget *parent) -> QWidget * { return new TBkAddFm(parent); });
    WindowRegistry::add(QStringLiteral("图书管理"),
                        [](QWidget *parent) -> QWidget * { return new TBkSearchFm(parent); });
    WindowRegistry::add(QStringLiteral("网页推荐信息"),
                        [](QWidget *parent) -> QWidget * { return new TBkTuiJianFm(parent); });
}
