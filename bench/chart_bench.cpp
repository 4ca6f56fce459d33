// The lending charts on a large library: the time from the command to the painted chart.
// The database is opened read-only; nothing is written to it.
#include "BenchTiming.h"

#include "BarChart.h"
#include "db/SharedConnection.h"
#include "stats/BkChartUt.h"
#include "stats/QkChartUt.h"
#include "stats/RdChartUt.h"
#include "stats/TopTwelve.h"

#include <QApplication>
#include <QPixmap>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>
#include <memory>

namespace {

void showPlan(const Statement &st)
{
    QSqlQuery q(SharedConnection::database());
    q.exec(QStringLiteral("explain query plan ") + st.sql());
    while (q.next())
        std::printf("    plan: %s\n", qPrintable(q.value(3).toString()));
}

template <class Window> void openWindow()
{
    std::unique_ptr<Window> w(new Window);
    w->show();
    w->grab(); // paints the chart
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    readRunsOption(args);
    if (args.size() < 2 || args[1].startsWith(QLatin1String("--"))) {
        std::fprintf(stderr, "usage: chart_bench DATABASE [--runs N]\n");
        return 2;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                QString::fromLatin1(SharedConnection::kName));
    db.setDatabaseName(args[1]);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=8000"));
    if (!db.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
        return 1;
    }
    using K = TopTwelve::Kind;
    const QList<QPair<K, const char *>> kinds{
        {K::Books, "图书"}, {K::Periodicals, "期刊"}, {K::Readers, "读者库"}};
    for (const auto &[kind, name] : kinds) {
        BarChartModel chart;
        QString error;
        QElapsedTimer first;
        first.start();
        if (!TopTwelve::load(kind, &chart, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const double firstMs = first.nsecsElapsed() / 1e6;
        std::printf(
            "%s: first load %.2f ms, %lld bars, highest %s, lowest %s\n", name, firstMs,
            qint64(chart.bars.size()),
            qPrintable(chart.bars.isEmpty() ? QString()
                                            : BarChartModel::valueText(chart.bars.first().value)),
            qPrintable(chart.bars.isEmpty() ? QString()
                                            : BarChartModel::valueText(chart.bars.last().value)));
        showPlan(TopTwelve::rankedRows(kind));
    }
    for (const auto &[kind, name] : kinds) {
        timed(qPrintable(QStringLiteral("ranking of %1").arg(QString::fromUtf8(name))),
              [kind = kind] {
                  BarChartModel chart;
                  TopTwelve::load(kind, &chart);
              });
    }
    timed("图书借阅统计: window built, shown and painted", openWindow<TBkChartFm>);
    timed("期刊借阅统计: window built, shown and painted", openWindow<TQkChartFm>);
    timed("读者借阅统计: window built, shown and painted", openWindow<TRdChartFm>);
    return 0;
}
