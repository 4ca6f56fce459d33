#include "ReaderDeletion.h"

#include "db/Statement.h"

#include <QSqlQuery>

namespace ReaderDeletion {

QString question(const QString &name)
{
    return QStringLiteral("您是否要删除\" %1\"").arg(name);
}

Result remove(const QString &readerNumber, const QString &name)
{
    Result out;
    // Lending writes 借出记录: holding it makes the check and the deletion one step.
    Transaction tx(QStringLiteral("借出记录"));
    if (!tx.isActive()) {
        out.message = tx.error();
        return out;
    }
    Statement loans(QStringLiteral("select count(*) from 借出记录 where 读者编号="));
    loans.value(readerNumber).text(QStringLiteral(" and 已还=")).value(QStringLiteral("否"));
    QString error;
    const QVariant open = loans.scalar(&error);
    if (!open.isValid()) {
        out.message = error;
        return out;
    }
    if (open.toLongLong() > 0) {
        out.message = QStringLiteral("读者“%1”(读者编号 %2) 还有 %3 件借出的物品没有归还, "
                                     "不能删除! 请先归还.")
                          .arg(name, readerNumber)
                          .arg(open.toLongLong());
        return out;
    }
    Statement del(QStringLiteral("delete from 读者库 where 读者编号="));
    del.value(readerNumber);
    QSqlQuery q = del.exec();
    if (!q.isActive()) {
        out.message = Statement::lastError(q);
        return out;
    }
    if (q.numRowsAffected() != 1) {
        out.message = QStringLiteral("没有找到读者编号为“%1”的读者, 可能已被别的工作站删除.")
                          .arg(readerNumber);
        return out;
    }
    if (!tx.commit(&error)) {
        out.message = error;
        return out;
    }
    out.deleted = true;
    return out;
}

} // namespace ReaderDeletion
