#include "ItemDeletion.h"

#include "circulation/LoanGuardedDelete.h"

namespace ItemDeletion {

QString question(const QString &title)
{
    return QStringLiteral("您是否要删除\" %1\"").arg(title);
}

Result remove(const QString &kind, const QString &number, const QString &title)
{
    Result out;
    // The kind names a table in the statement's text: only the two item tables may.
    if (kind != QStringLiteral("图书") && kind != QStringLiteral("期刊")) {
        out.message = QStringLiteral("不能删除“%1”类的物品.").arg(kind);
        return out;
    }
    Statement loans(QStringLiteral("select count(*) from 借出记录 where 编号="));
    loans.value(number)
        .text(QStringLiteral(" and 类别="))
        .value(kind)
        .text(QStringLiteral(" and 已还="))
        .value(QStringLiteral("否"));
    const LoanGuardedDelete deletion{kind, QStringLiteral("编号"), number, loans};
    qlonglong open = 0;
    switch (deletion.run(&open, &out.message)) {
    case LoanGuardedDelete::Outcome::Deleted:
        out.deleted = true;
        break;
    case LoanGuardedDelete::Outcome::StillOnLoan:
        out.message = QStringLiteral("%1“%2”(编号 %3) 还有 %4 册借出没有归还, 不能删除! "
                                     "请先归还.")
                          .arg(kind, title, number)
                          .arg(open);
        break;
    case LoanGuardedDelete::Outcome::NotFound:
        out.message =
            QStringLiteral("没有找到编号为“%1”的%2, 可能已被别的工作站删除.").arg(number, kind);
        break;
    case LoanGuardedDelete::Outcome::Failed:
        break;
    }
    return out;
}

} // namespace ItemDeletion
