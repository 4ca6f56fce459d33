#pragma once

#include "chart/BarChartModel.h"
#include "db/Statement.h"

#include <QString>

// The lending rankings: the most borrowed books, the most borrowed periodicals and the most
// active readers, by the counters lending keeps (借出次数 of an item, 累计借阅次数 of a reader).
//
// A ranking holds the twelve highest rows and every row tied with the twelfth, highest first.
// Rows never lent (counter 0 or empty) only fill the ranking up to twelve rows: in a library
// where few items went out, the chart shows those and a few unlent ones, not every unlent
// item of the catalogue as a tie at 0.
namespace TopTwelve {

enum class Kind { Books, Periodicals, Readers };

constexpr int kRows = 12;

struct Source {
    QString table;      // 图书, 期刊, 读者库
    QString keyField;   // orders rows of equal value, the same way on both databases
    QString labelField; // written under each bar
    QString valueField; // the counter plotted
};

Source source(Kind kind);

// The lent rows: counter above 0 and at least the twelfth highest counter (a subquery finds
// that value; with fewer than twelve lent rows every lent row is taken). Highest first.
Statement rankedRows(Kind kind);
// Up to `count` rows never lent, in key order, to fill a short ranking.
Statement unlentRows(Kind kind, int count);

// Loads the ranking into the chart (title "借阅次数排行"). On a database error the chart is
// left as it was and error holds the database's text.
bool load(Kind kind, BarChartModel *chart, QString *error = nullptr);

} // namespace TopTwelve
