#include "ChargeWindows.h"

#include "ShouFeiUt.h"
#include "ShouRuCountUt.h"
#include "app/WindowRegistry.h"

void registerChargeWindows()
{
    // The main window keeps the charge window between openings (it hides when closed), so
    // this runs once a session.
    WindowRegistry::add(QStringLiteral("收费"),
                        [](QWidget *parent) -> QWidget * { return new TShouFeiFm(parent); });
    WindowRegistry::add(QStringLiteral("资金统计"),
                        [](QWidget *parent) -> QWidget * { return new TShouRuCountFm(parent); });
}
