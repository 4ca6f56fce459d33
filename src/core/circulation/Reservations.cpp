#include "Reservations.h"

#include "db/RowOrder.h"

namespace Reservations {

Statement listStatement()
{
    return Statement(QStringLiteral("select 编号,名称,条形码,预定状况,预定到期时间 from 图书 "
                                    "where 预定状况 is not null") +
                     RowOrder::entryOrderBy(QStringLiteral("图书")));
}

bool cancelAll(QString *error)
{
    Transaction tx;
    if (!tx.isActive()) {
        if (error)
            *error = tx.error();
        return false;
    }
    const bool ok =
        Statement(QStringLiteral("update 图书 set 预定状况=null where 预定状况 is not null"))
            .run(error) &&
        Statement(
            QStringLiteral("update 图书 set 预定到期时间=null where 预定到期时间 is not null"))
            .run(error) &&
        tx.commit(error);
    if (!ok)
        tx.rollback();
    return ok;
}

} // namespace Reservations
