#include "BookDeletion.h"

#include "circulation/LoanGuardedDelete.h"

namespace BookDeletion {

QString question(const QString &title)
{
    return QStringLiteral("您是否要删除\" %1\"").arg(title);
}

Result remove(const QString &number, const QString &title)
{
    Statement loans(QStringLiteral("select count(*) from 借出记录 where 编号="));
    loans.value(number)
        .text(QStringLiteral(" and 类别="))
        .value(QStringLiteral("图书"))
        .text(QStringLiteral(" and 已还="))
        .value(QStringLiteral("否"));
    const LoanGuardedDelete deletion{QStringLiteral("图书"), QStringLiteral("编号"), number, loans};
    Result out;
    qlonglong open = 0;
    switch (deletion.run(&open, &out.message)) {
    case LoanGuardedDelete::Outcome::Deleted:
        out.deleted = true;
        break;
    case LoanGuardedDelete::Outcome::StillOnLoan:
        out.message = QStringLiteral("图书“%1”(编号 %2) 还有 %3 册借出没有归还, 不能删除! "
                                     "请先归还.")
                          .arg(title, number)
                          .arg(open);
        break;
    case LoanGuardedDelete::Outcome::NotFound:
        out.message =
            QStringLiteral("没有找到编号为“%1”的图书, 可能已被别的工作站删除.").arg(number);
        break;
    case LoanGuardedDelete::Outcome::Failed:
        break;
    }
    return out;
}

} // namespace BookDeletion
