#include "GridTotals.h"

#include "GridQuery.h"
#include "db/SharedConnection.h"

#include <QAtomicInteger>
#include <QPromise>
#include <QSqlQuery>
#include <QThreadPool>
#include <memory>

namespace GridTotals {

Result compute(const Statement &totals, int sumCount)
{
    static QAtomicInteger<quint64> serial;
    const QString name = QStringLiteral("tsgl-totals-%1").arg(serial.fetchAndAddRelaxed(1));
    Result r;
    if (SharedConnection::openCopy(name, &r.error)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        {
            QSqlQuery q = totals.exec(db);
            r.ok = GridQuery::readTotals(q, sumCount, &r.count, &r.sums, &r.error);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return r;
}

QFuture<Result> start(const Statement &totals, int sumCount)
{
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, totals, sumCount] {
        promise->addResult(compute(totals, sumCount));
        promise->finish();
    });
    return future;
}

} // namespace GridTotals
