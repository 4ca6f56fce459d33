#include "LibraryPages.h"

#include "db/Statement.h"

#include <QSqlQuery>
#include <QVariant>

namespace LibraryPages {

Library library(const QSqlDatabase &db, QString *detail)
{
    Library out;
    QSqlQuery q =
        Statement(QStringLiteral("select 图书馆名, 地址, 电话, WebNotice from 系统设置")).exec(db);
    if (!q.isActive()) {
        if (detail)
            *detail = Statement::lastError(q);
    } else if (q.next()) {
        out.name = q.value(0).toString().trimmed();
        out.address = q.value(1).toString().trimmed();
        out.telephone = q.value(2).toString().trimmed();
        out.notice = q.value(3).toString().trimmed();
    }
    if (out.name.isEmpty())
        out.name = QStringLiteral("图书馆");
    return out;
}

Home home(const QSqlDatabase &db)
{
    Home out;
    QString detail;
    out.library = library(db, &detail);
    // b_tuiJian has no other order than its numbering: the order the books were recommended.
    QSqlQuery r = Statement(QStringLiteral("select 编号, 名称, 作者, 存放位置, 推荐人, memo from "
                                           "b_tuiJian order by id limit %1")
                                .arg(kRecommendations))
                      .exec(db);
    if (!r.isActive())
        detail = Statement::lastError(r);
    while (r.next()) {
        out.recommendations << Recommendation{r.value(0).toString(), r.value(1).toString(),
                                              r.value(2).toString(), r.value(3).toString(),
                                              r.value(4).toString(), r.value(5).toString()};
    }
    QSqlQuery n = Statement(QStringLiteral("select 编号, 名称, 作者, 索书号, 存放位置, 数量, "
                                           "入库时间 from 图书 where 入库时间 is not null "
                                           "order by 入库时间 desc, 编号 desc limit %1")
                                .arg(kNewest))
                      .exec(db);
    if (!n.isActive())
        detail = Statement::lastError(n);
    while (n.next()) {
        NewBook b;
        b.number = n.value(0).toString();
        b.title = n.value(1).toString();
        b.author = n.value(2).toString();
        b.callNumber = n.value(3).toString();
        b.location = n.value(4).toString();
        b.onShelf = qMax(0, n.value(5).toInt());
        b.added = dateFromSql(n.value(6));
        out.newest << b;
    }
    out.detail = detail;
    out.ok = detail.isEmpty();
    return out;
}

} // namespace LibraryPages
