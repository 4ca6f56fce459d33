#include "BookDeletion.h"

#include "db/Statement.h"

#include <QSqlQuery>

namespace BookDeletion {

QString question(const QString &title)
{
    return QStringLiteral("您是否要删除\" %1\"").arg(title);
}

Result remove(const QString &number, const QString &title)
{
    Result out;
    // Lending writes 借出记录: holding it makes the check and the deletion one step.
    Transaction tx(QStringLiteral("借出记录"));
    if (!tx.isActive()) {
        out.message = tx.error();
        return out;
    }
    Statement loans(QStringLiteral("select count(*) from 借出记录 where 编号="));
    loans.value(number)
        .text(QStringLiteral(" and 类别="))
        .value(QStringLiteral("图书"))
        .text(QStringLiteral(" and 已还="))
        .value(QStringLiteral("否"));
    QString error;
    const QVariant open = loans.scalar(&error);
    if (!open.isValid()) {
        out.message = error;
        return out;
    }
    if (open.toLongLong() > 0) {
        out.message = QStringLiteral("图书“%1”(编号 %2) 还有 %3 册借出没有归还, 不能删除! "
                                     "请先归还.")
                          .arg(title, number)
                          .arg(open.toLongLong());
        return out;
    }
    Statement del(QStringLiteral("delete from 图书 where 编号="));
    del.value(number);
    QSqlQuery q = del.exec();
    if (!q.isActive()) {
        out.message = Statement::lastError(q);
        return out;
    }
    if (q.numRowsAffected() != 1) {
        out.message =
            QStringLiteral("没有找到编号为“%1”的图书, 可能已被别的工作站删除.").arg(number);
        return out;
    }
    if (!tx.commit(&error)) {
        out.message = error;
        return out;
    }
    out.deleted = true;
    return out;
}

} // namespace BookDeletion
