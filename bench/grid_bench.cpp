// Times the result grid on the whole book table: the first screen with its footer totals
// (row count under 编号, sums under 数量 and 价格), then a sort by a click on a column title,
// a filter, a jump to the last row and a refresh. Prints the query plans of the statements.
//
//   grid_bench [DATABASE]
//   grid_bench --server HOST:PORT:USER
//
// With the path of a database made by generate_bench its 图书 is used; without, a library of
// 1,000,000 books is generated into a temporary file first. With --server the same runs on
// the PostgreSQL database tsgl_grid_bench of that server, generated there on the first run.
#include "BenchDatabase.h"
#include "BenchTiming.h"
#include "ResultGrid.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/Schema.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "demo/LibraryGenerator.h"
#include "grid/GridQuery.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

LibraryGenerator::Size benchSize()
{
    LibraryGenerator::Size size;
    size.books = 1000000;
    size.readers = 1000;
    size.loans = 0;
    size.periodicals = 0;
    return size;
}

bool prepare(const QString &path, QString *error)
{
    return createGeneratedLibrary(path, benchSize(), error);
}

// Opens (and on the first run creates and fills) the benchmark database on a server.
bool prepareServer(const QString &setup, QString *error)
{
    bool fresh = false;
    if (!openServerDatabase(setup, QStringLiteral("tsgl_grid_bench"), &fresh, error))
        return false;
    if (!fresh)
        return true;
    std::printf("generating 1,000,000 books into %s on %s\n",
                qPrintable(QStringLiteral("tsgl_grid_bench")), qPrintable(setup));
    return Schema::create(SharedConnection::database(), SqlDialect::Server, error) &&
           LibraryGenerator(SharedConnection::database()).generate(benchSize(), error);
}

// The columns of the book management window's grid.
QVector<ResultGrid::Column> bookColumns()
{
    using C = ResultGrid::Column;
    using F = ResultGrid::Format;
    using S = ResultGrid::Footer;
    QVector<C> columns;
    for (const char *name :
         {"编号", "条形码", "名称", "分类", "分类号", "索书号", "存放位置", "数量", "价格",
          "入库时间", "借出次数", "出版社", "作者", "出版时间"}) {
        C c;
        c.field = QString::fromUtf8(name);
        columns.append(c);
    }
    columns[0].footer = S::Count;
    columns[7].footer = S::SumWhole;
    columns[8].footer = S::Sum;
    columns[8].format = F::Money;
    columns[9].format = F::Date;
    columns[13].format = F::Date;
    for (const char *hidden : {"简介", "图片地址", "绝对地址"}) {
        C c;
        c.field = QString::fromUtf8(hidden);
        c.visible = false;
        columns.append(c);
    }
    return columns;
}

double timedOnce(const char *what, const std::function<void()> &step)
{
    QElapsedTimer t;
    t.start();
    step();
    QCoreApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("%-44s %9.1f ms\n", what, ms);
    std::fflush(stdout);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString error;
    QString database = app.arguments().value(1);
    if (database == QLatin1String("--server")) {
        if (!prepareServer(app.arguments().value(2), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    } else if (database.isEmpty()) {
        database = dir.filePath(QStringLiteral("grid.db"));
        std::printf("generating 1,000,000 books into %s\n", qPrintable(database));
        if (!prepare(database, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    } else if (!QFileInfo::exists(database) ||
               !SharedConnection::open(ConnectionString::forFile(database), SqlDialect::Embedded,
                                       &error)) {
        std::fprintf(stderr, "cannot open %s %s\n", qPrintable(database), qPrintable(error));
        return 1;
    }

    ResultGrid grid;
    grid.resize(1280, 800);
    grid.setColumns(bookColumns());
    grid.setKeyField(QStringLiteral("编号"));
    const Statement all(QStringLiteral("select * from 图书"));
    const double first = timedOnce("first screen with footer totals", [&] {
        if (!grid.setStatement(all, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        grid.show();
        grid.grab(); // paints the visible rows and the footer
    });
    std::printf("  rows %d, footer 编号 %s, 数量 %s, 价格 %s\n", grid.rowCount(),
                qPrintable(grid.footerText(QStringLiteral("编号"))),
                qPrintable(grid.footerText(QStringLiteral("数量"))),
                qPrintable(grid.footerText(QStringLiteral("价格"))));

    timedOnce("sort by 名称 (indexed), first screen", [&] {
        grid.sortBy(QStringLiteral("名称"));
        grid.grab();
    });
    timedOnce("sort by 价格 descending, first screen", [&] {
        grid.sortBy(QStringLiteral("价格"), Qt::DescendingOrder);
        grid.grab();
    });
    timedOnce("filter 名称 contains text, first screen", [&] {
        grid.setColumnFilterContains(QStringLiteral("名称"), QStringLiteral("史"));
        grid.grab();
    });
    std::printf("  rows after the filter %d\n", grid.rowCount());
    timedOnce("filter off", [&] {
        grid.clearFilters();
        grid.grab();
    });
    timedOnce("jump to the last row", [&] {
        grid.setCurrentRow(grid.rowCount() - 1);
        grid.grab();
    });
    std::printf("  last row 编号 %s\n",
                qPrintable(grid.currentValue(QStringLiteral("编号")).toString()));
    timedOnce("refresh keeping the current row", [&] {
        grid.refresh();
        grid.grab();
    });

    GridQuery q(all);
    q.loadFieldNames();
    plan("totals", q.totals({QStringLiteral("数量"), QStringLiteral("价格")}));
    plan("first page", q.page(0, 200));
    q.setSort(QStringLiteral("名称"), Qt::AscendingOrder);
    q.setTieBreaker(QStringLiteral("编号"));
    plan("first page sorted by 名称", q.page(0, 200));

    std::printf("first screen: %.0f ms (target < 1000 ms)\n", first);
    return first < 1000 ? 0 : 3;
}
