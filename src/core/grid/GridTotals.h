#pragma once

#include "db/Statement.h"

#include <QFuture>
#include <QVariantList>

// The totals of a grid query (see GridQuery::totals) computed on a worker thread, so that a
// window shows its first rows while the sums over a large result are still being read.
// The worker reads through a connection of its own, a copy of the shared connection's
// settings, which it opens, closes and removes itself: a result nobody waits for any more is
// simply dropped when it is ready.
namespace GridTotals {

struct Result {
    bool ok = false;
    qint64 count = 0;
    QVariantList sums; // one per sum field, NULL when there are no rows
    QString error;     // the database's message when not ok
};

// Runs the totals statement in the calling thread through a connection of its own.
Result compute(const Statement &totals, int sumCount);
// Runs compute() on the application's thread pool (which the application waits for as it
// ends, so no worker outlives its connection's driver).
QFuture<Result> start(const Statement &totals, int sumCount);

} // namespace GridTotals
