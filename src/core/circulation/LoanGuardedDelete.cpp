#include "LoanGuardedDelete.h"

#include <QSqlQuery>

LoanGuardedDelete::Outcome LoanGuardedDelete::run(qlonglong *openCount, QString *error) const
{
    Transaction tx(QStringLiteral("借出记录"));
    if (!tx.isActive()) {
        *error = tx.error();
        return Outcome::Failed;
    }
    const QVariant open = openLoans.scalar(error);
    if (!open.isValid())
        return Outcome::Failed;
    *openCount = open.toLongLong();
    if (*openCount > 0)
        return Outcome::StillOnLoan;
    Statement del(QStringLiteral("delete from %1 where %2=").arg(table, keyColumn));
    del.value(key);
    QSqlQuery q = del.exec();
    if (!q.isActive()) {
        *error = Statement::lastError(q);
        return Outcome::Failed;
    }
    if (q.numRowsAffected() != 1)
        return Outcome::NotFound;
    q.finish();
    return tx.commit(error) ? Outcome::Deleted : Outcome::Failed;
}
