#include "Initialization.h"

#include "db/LoginContext.h"
#include "db/Statement.h"

#include <algorithm>

namespace Initialization {

const QVector<Step> &steps()
{
    static const QVector<Step> all = {
        {QStringLiteral("删除图书信息"), QStringLiteral("图书"), false,
         QStringLiteral("删除图书数据完毕!")},
        {QStringLiteral("删除期刊信息"), QStringLiteral("期刊"), false,
         QStringLiteral("删除期刊数据完毕!")},
        {QStringLiteral("删除读者信息"), QStringLiteral("读者库"), false,
         QStringLiteral("删除读者数据完毕!")},
        {QStringLiteral("删除全部借阅记录"), QStringLiteral("借出记录"), false,
         QStringLiteral("删除借阅记录数据完毕!")},
        {QStringLiteral("删除资金记录"), QStringLiteral("收入"), false,
         QStringLiteral("删除资金记录数据完毕!")},
        {QStringLiteral("删除已还借阅记录"), QStringLiteral("借出记录"), true,
         QStringLiteral("删除已还借阅记录数据完毕!")},
        {QStringLiteral("删除管理员日志"), QStringLiteral("管理员日志"), false,
         QStringLiteral("删除数据完毕!")},
    };
    return all;
}

bool codeMatches(const QString &typed)
{
    return typed == QString::fromLatin1(InitializationCode);
}

Outcome run(const QString &typedCode, const QVector<int> &chosen)
{
    Outcome out;
    if (!codeMatches(typedCode)) {
        out.error = wrongCodeMessage();
        return out;
    }
    QVector<int> order = chosen;
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());

    Transaction transaction(Transaction::Intent::Write);
    if (!transaction.isActive()) {
        out.error = transaction.error();
        return out;
    }
    for (int index : order) {
        if (index < 0 || index >= steps().size())
            continue;
        const Step &step = steps().at(index);
        Statement st(QStringLiteral("delete from ") + step.table);
        if (step.onlyReturned)
            st.text(QStringLiteral(" where 已还=")).value(QStringLiteral("是"));
        if (!st.run(&out.error)) {
            out.messages.clear();
            return out; // the guard rolls back: nothing is deleted
        }
        out.messages << step.message;
    }
    if (!transaction.commit(&out.error)) {
        out.messages.clear();
        return out;
    }
    out.done = true;
    return out;
}

} // namespace Initialization
