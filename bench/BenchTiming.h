#pragma once

#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <functional>

// How often each step of a benchmark runs (--runs N).
inline int benchRuns = 5;

inline void readRunsOption(const QStringList &args)
{
    const int at = args.indexOf(QStringLiteral("--runs"));
    if (at > 0)
        benchRuns = std::max(1, args.value(at + 1).toInt());
}

// The median of benchRuns runs of a step (painting included), printed with its range.
inline double timed(const char *what, const std::function<void()> &step)
{
    QVector<double> times;
    for (int i = 0; i < benchRuns; ++i) {
        QElapsedTimer t;
        t.start();
        step();
        QCoreApplication::processEvents();
        times << t.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-52s %8.2f ms  (min %.2f, max %.2f)\n", what, median, times.first(),
                times.last());
    std::fflush(stdout);
    return median;
}

// The database's plan of a statement, printed under its name.
inline void plan(const char *what, const Statement &st)
{
    const bool server = SharedConnection::dialect() == SqlDialect::Server;
    // The server prepares no explain: the values go in as literals.
    QSqlQuery q =
        server ? Statement(QStringLiteral("explain ") + st.displayText()).exec()
               : Statement(QStringLiteral("explain query plan ") + st.sql(), st.values()).exec();
    std::printf("  plan of %s:\n", what);
    while (q.next())
        std::printf("    %s\n", q.value(server ? 0 : 3).toString().toUtf8().constData());
}
