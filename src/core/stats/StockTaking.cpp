#include "StockTaking.h"

#include "db/Money.h"
#include "db/Statement.h"

namespace StockTaking {

namespace {

enum class Kind { Count, Sum, MoneySum };

struct Query {
    const char *caption;
    Kind kind;
    Statement statement;
};

QString shown(const QVariant &num, Kind kind)
{
    // Counts always have a value; a sum over no rows is NULL and shows 0.
    if (num.isNull() || !num.isValid())
        return QStringLiteral("0");
    if (kind == Kind::MoneySum)
        return Money::fromVariant(num).toFixed2();
    return QString::number(num.toLongLong());
}

bool run(const QVector<Query> &queries, QVector<Figure> *figures, QString *error)
{
    figures->clear();
    for (const Query &q : queries) {
        QString failure;
        const QVariant num = q.statement.scalar(&failure);
        if (!failure.isEmpty()) {
            if (error)
                *error = failure;
            return false;
        }
        figures->append({QString::fromUtf8(q.caption), shown(num, q.kind)});
    }
    return true;
}

Statement between(const QString &head, const QString &column, const Period &period)
{
    Statement st(head + column + QStringLiteral(">="));
    st.value(sqlDate(period.from)).text(QStringLiteral(" and ") + column + QStringLiteral("<="));
    st.value(sqlDate(period.to));
    return st;
}

} // namespace

bool totals(QVector<Figure> *figures, QString *error)
{
    const QVector<Query> queries = {
        {"图书总数:", Kind::Count,
         Statement(QStringLiteral("select count(编号) as num from 图书"))},
        {"期刊总数:", Kind::Count,
         Statement(QStringLiteral("select count(编号) as num from 期刊"))},
        {"读者总数:", Kind::Count,
         Statement(QStringLiteral("select count(读者编号) as num from 读者库"))},
        {"总未还数量:", Kind::Count,
         Statement(QStringLiteral("select count(id) as num from 借出记录 where 已还=?"),
                   {QStringLiteral("否")})},
        {"历史借出总数:", Kind::Count,
         Statement(QStringLiteral("select count(id) as num from 借出记录"))},
        {"当前在库图书数量:", Kind::Sum,
         Statement(QStringLiteral("select sum(数量) as num from 图书"))},
        {"当前在库期刊数量:", Kind::Sum,
         Statement(QStringLiteral("select sum(数量) as num from 期刊"))},
    };
    return run(queries, figures, error);
}

Period defaultPeriod(const QDate &today)
{
    return {today, today.addDays(1)};
}

bool periodFigures(const Period &period, QVector<Figure> *figures, QString *error)
{
    Statement rent(QStringLiteral("select sum(实际租金) as num from 借出记录 where 已还=?"),
                   {QStringLiteral("是")});
    rent.text(QStringLiteral(" and 归还日期>=")).value(sqlDate(period.from));
    rent.text(QStringLiteral(" and 归还日期<=")).value(sqlDate(period.to));
    const QVector<Query> queries = {
        {"借出次数:", Kind::Count,
         between(QStringLiteral("select count(id) as num from 借出记录 where "),
                 QStringLiteral("借阅日期"), period)},
        {"归还次数:", Kind::Count,
         between(QStringLiteral("select count(id) as num from 借出记录 where "),
                 QStringLiteral("归还日期"), period)},
        {"图书入库数:", Kind::Count,
         between(QStringLiteral("select count(编号) as num from 图书 where "),
                 QStringLiteral("入库时间"), period)},
        {"期刊入库数:", Kind::Count,
         between(QStringLiteral("select count(编号) as num from 期刊 where "),
                 QStringLiteral("入库时间"), period)},
        {"读者登记数:", Kind::Count,
         between(QStringLiteral("select count(读者编号) as num from 读者库 where "),
                 QStringLiteral("登记日期"), period)},
        {"租金收入:", Kind::MoneySum, rent},
    };
    return run(queries, figures, error);
}

} // namespace StockTaking
