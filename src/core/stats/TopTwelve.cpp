#include "TopTwelve.h"

namespace TopTwelve {

Source source(Kind kind)
{
    switch (kind) {
    case Kind::Books:
        return {QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("名称"),
                QStringLiteral("借出次数")};
    case Kind::Periodicals:
        return {QStringLiteral("期刊"), QStringLiteral("编号"), QStringLiteral("名称"),
                QStringLiteral("借出次数")};
    case Kind::Readers:
        break;
    }
    return {QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("读者姓名"),
            QStringLiteral("累计借阅次数")};
}

Statement rankedRows(Kind kind)
{
    const Source s = source(kind);
    // "limit 1 offset 11" reads the twelfth highest counter from the counter's index on both
    // databases; the outer range then takes the rows above it and all rows equal to it.
    // When fewer than twelve rows were lent the subquery is empty and the bound falls to 1.
    // The bound alone keeps the unlent out: a second condition ("借出次数>0") would let the
    // planner pick that one for the index range and read every lent row of the table.
    const QString twelfth = QStringLiteral("(select %1 from %2 where %1>0 order by %1 desc "
                                           "limit 1 offset %3)")
                                .arg(s.valueField, s.table)
                                .arg(kRows - 1);
    return Statement(QStringLiteral("select %1, %2 from %3 where %2>=coalesce(%4, 1) "
                                    "order by %2 desc, %5")
                         .arg(s.labelField, s.valueField, s.table, twelfth, s.keyField));
}

Statement unlentRows(Kind kind, int count)
{
    const Source s = source(kind);
    return Statement(QStringLiteral("select %1, coalesce(%2, 0) as %2 from %3 "
                                    "where %2 is null or %2<=0 order by %4 limit %5")
                         .arg(s.labelField, s.valueField, s.table, s.keyField)
                         .arg(qMax(0, count)));
}

bool load(Kind kind, BarChartModel *chart, QString *error)
{
    const Source s = source(kind);
    BarChartModel ranking;
    ranking.title = QStringLiteral("借阅次数排行");
    if (!ranking.load(rankedRows(kind), s.labelField, s.valueField, error))
        return false;
    if (ranking.bars.size() < kRows &&
        !ranking.append(unlentRows(kind, kRows - ranking.bars.size()), s.labelField, s.valueField,
                        error))
        return false;
    *chart = ranking;
    return true;
}

} // namespace TopTwelve
