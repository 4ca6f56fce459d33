#include "LoanQueryWindows.h"

#include "BkJySearchUt.h"
#include "DueRecordUt.h"
#include "app/WindowRegistry.h"

void registerLoanQueryWindows()
{
    WindowRegistry::add(QStringLiteral("借阅记录查询"),
                        [](QWidget *parent) -> QWidget * { return new TBkJySearchFm(parent); });
    WindowRegistry::add(QStringLiteral("逾期借阅记录"),
                        [](QWidget *parent) -> QWidget * { return new TDueRecordFm(parent); });
}
