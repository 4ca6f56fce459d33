#include "Charges.h"

#include "db/LoginContext.h"
#include "db/Statement.h"
#include "text/NumberText.h"

namespace Charges {

Amount amountOf(const QString &text)
{
    Amount out;
    if (NumberText::normalized(text).isEmpty()) {
        out.message = kNoAmount;
        return out;
    }
    const std::optional<Money> parsed = Money::parse(text);
    if (!parsed) {
        out.message = kNotAnAmount;
        return out;
    }
    if (*parsed <= Money()) {
        out.message = kNotPositive;
        return out;
    }
    out.ok = true;
    out.value = *parsed;
    return out;
}

Result record(const QString &typedItem, const QString &amountText, const QString &note,
              const QDateTime &now)
{
    const QString item = typedItem.trimmed();
    if (item.isEmpty())
        return {false, kNoItem};
    const Amount amount = amountOf(amountText);
    if (!amount.ok)
        return {false, amount.message};

    // One row, so no transaction: the insert is written whole or not at all.
    Statement st(QStringLiteral("insert into 收入(项目,时间,读者编号,读者姓名,金额,管理员,备注) "
                                "values("));
    st.value(item)
        .text(QStringLiteral(","))
        .value(sqlDateTime(now.addMSecs(-now.time().msec())))
        .text(QStringLiteral(",null,null,"))
        .value(amount.value.toSql())
        .text(QStringLiteral(","))
        .value(loginContext().adminName)
        .text(QStringLiteral(","))
        .value(note)
        .text(QStringLiteral(")"));
    QString error;
    if (!st.run(&error))
        return {false, error};
    return {true, QString()};
}

} // namespace Charges
