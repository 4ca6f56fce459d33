#pragma once

#include <QDate>
#include <QString>
#include <QVector>

// Stock-taking (数据盘点): the library's overall figures and what happened in a period. Each
// figure is the single value of one count or sum; an empty sum shows 0. It only reads.
namespace StockTaking {

struct Figure {
    QString caption; // "图书总数:" …
    QString value;   // the text shown next to it
};

// The totals: books, periodicals and readers held, loans out, loans ever, copies on the shelf.
bool totals(QVector<Figure> *figures, QString *error = nullptr);

// The period the window proposes: today to tomorrow, which covers today.
struct Period {
    QDate from;
    QDate to;
};
Period defaultPeriod(const QDate &today);

// The figures of the period, each bound at 00:00 of its day: loans, returns, books and
// periodicals registered, readers registered, rent taken on returns. A period that ends
// before it starts counts nothing.
bool periodFigures(const Period &period, QVector<Figure> *figures, QString *error = nullptr);

} // namespace StockTaking
