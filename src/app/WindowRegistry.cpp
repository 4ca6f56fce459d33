#include "WindowRegistry.h"

#include "admin/AdminWindows.h"
#include "catalogue/BookWindows.h"
#include "circulation/LoanQueryWindows.h"
#include "readers/ReaderWindows.h"

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
    registerLoanQueryWindows();
}

} // namespace WindowRegistry
