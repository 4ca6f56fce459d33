#pragma once

#include "LoanRows.h"

#include "db/Statement.h"

#include <QDate>
#include <QString>

// Small catalogues for the statistics and stock-taking tests.
namespace StatsFixture {

inline bool run(const Statement &st)
{
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

inline bool insertItem(const QString &table, const QString &number, const QString &category,
                       int count, const QString &price, const QString &admin,
                       const QString &entered)
{
    return run(Statement::insert(
        table,
        {QStringLiteral("编号"), QStringLiteral("条形码"), QStringLiteral("名称"),
         QStringLiteral("分类"), QStringLiteral("存放位置"), QStringLiteral("数量"),
         QStringLiteral("价格"), QStringLiteral("登记人"), QStringLiteral("入库时间")},
        {number, QStringLiteral("BC-") + number, QStringLiteral("书名") + number, category,
         QStringLiteral("一楼"), count, price, admin, entered}));
}

// 文学: B1 (2 on the shelf at 10.5), B2 (every copy lent), B5 (5 at 8); 历史: B3 (all lent);
// an empty category: B4. One periodical, registered by 王 as well.
inline bool insertCatalogue()
{
    return insertItem("图书", "B1", "文学", 2, "10.5", "王", "2026-03-01 09:00:00") &&
           insertItem("图书", "B2", "文学", 0, "20", "王", "2026-03-02 10:00:00") &&
           insertItem("图书", "B3", "历史", 0, "30", "李", "2026-03-03") &&
           insertItem("图书", "B4", "", 1, "5", "李", "2026-03-05 08:00:00") &&
           insertItem("图书", "B5", "文学", 5, "8", "王", "2026-02-28 23:59:00") &&
           insertItem("期刊", "P1", "期刊类", 3, "4", "王", "2026-03-02 11:00:00");
}

// A moment of the day offset days from today, as database text.
inline QString day(int offset, const char *time = " 08:00:00")
{
    return QDate::currentDate().addDays(offset).toString(QStringLiteral("yyyy-MM-dd")) +
           QString::fromUtf8(time);
}

inline bool insertReader(const QString &number, const QString &registered)
{
    return run(Statement::insert(
        QStringLiteral("读者库"),
        {QStringLiteral("读者编号"), QStringLiteral("读者姓名"), QStringLiteral("登记日期")},
        {number, number, registered}));
}

// Two books (3 and 0 on the shelf), a periodical, two readers, three loans: one lent and
// returned today with rent 1.5, one out since yesterday, one returned a year ago with rent 2.
inline bool insertLibrary()
{
    LoanRow today{"R1", "甲", "B1", "书一", "n", day(0), day(30), day(0, " 10:00:00")};
    today.rent = QStringLiteral("1.5");
    LoanRow out{"R1", "甲", "B2", "书二", "n", day(-1), day(29), QString()};
    LoanRow old{"R2", "乙", "B1", "书一", "n", day(-400), day(-370), day(-380)};
    old.rent = QStringLiteral("2");
    return insertItem("图书", "B1", "文学", 3, "10", "王", day(0)) &&
           insertItem("图书", "B2", "文学", 0, "10", "王", day(-10)) &&
           insertItem("期刊", "P1", "期刊类", 2, "4", "王", day(-3)) &&
           insertReader("R1", day(0)) && insertReader("R2", day(-500)) && insertLoan(today) &&
           insertLoan(out) && insertLoan(old);
}

} // namespace StatsFixture
