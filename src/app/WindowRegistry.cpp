#include "WindowRegistry.h"

#include "admin/AdminWindows.h"
#include "admin/MaintenanceWindows.h"
#include "catalogue/BookWindows.h"
#include "catalogue/PeriodicalWindows.h"
#include "circulation/BorrowWindows.h"
#include "circulation/ChargeWindows.h"
#include "circulation/DeskWindows.h"
#include "circulation/LoanQueryWindows.h"
#include "circulation/ReturnWindows.h"
#include "import/ImportWindows.h"
#include "import/InMarcUt.h"
#include "readers/ReaderWindows.h"
#include "stats/ChartWindows.h"
#include "stats/StatsWindows.h"

#include <QHash>

namespace {

QHash<QString, WindowRegistry::Factory> &factories()
{
    static QHash<QString, WindowRegistry::Factory> all;
    return all;
}

} // namespace

namespace WindowRegistry {

void add(const QString &command, Factory factory)
{
    factories().insert(command, std::move(factory));
}

Factory find(const QString &command)
{
    return factories().value(command);
}

void registerAll()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerAdminWindows();
    registerReaderWindows();
    registerBookWindows();
    registerChargeWindows();
    registerPeriodicalWindows();
    registerDeskWindows();
    registerReturnWindows();
    registerBorrowWindows();
    registerLoanQueryWindows();
    registerChartWindows();
    registerStatsWindows();
    registerMaintenanceWindows();
    registerImportWindows();
    registerMarcWindows();
}

} // namespace WindowRegistry
