#include "ReaderDeletion.h"

#include "circulation/LoanGuardedDelete.h"

namespace ReaderDeletion {

QString question(const QString &name)
{
    return QStringLiteral("您是否要删除\" %1\"").arg(name);
}

Result remove(const QString &readerNumber, const QString &name)
{
    Statement loans(QStringLiteral("select count(*) from 借出记录 where 读者编号="));
    loans.value(readerNumber).text(QStringLiteral(" and 已还=")).value(QStringLiteral("否"));
    const LoanGuardedDelete deletion{QStringLiteral("读者库"), QStringLiteral("读者编号"),
                                     readerNumber, loans};
    Result out;
    qlonglong open = 0;
    switch (deletion.run(&open, &out.message)) {
    case LoanGuardedDelete::Outcome::Deleted:
        out.deleted = true;
        break;
    case LoanGuardedDelete::Outcome::StillOnLoan:
        out.message = QStringLiteral("读者“%1”(读者编号 %2) 还有 %3 件借出的物品没有归还, "
                                     "不能删除! 请先归还.")
                          .arg(name, readerNumber)
                          .arg(open);
        break;
    case LoanGuardedDelete::Outcome::NotFound:
        out.message = QStringLiteral("没有找到读者编号为“%1”的读者, 可能已被别的工作站删除.")
                          .arg(readerNumber);
        break;
    case LoanGuardedDelete::Outcome::Failed:
        break;
    }
    return out;
}

} // namespace ReaderDeletion
