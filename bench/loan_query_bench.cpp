// Times the loan record query and the overdue list on a large library: the overdue list's
// first screen (rows, count and the sum of 价格) as the window opens, the query window's
// opening over every loan record (its first screen, and the footer's sums that follow), its queries
// by reader, item, barcode and lending month (first screen with the count and the five sums of the
// footer), and the overdue notices for the whole list.
//
//   loan_query_bench DATABASE [--runs N] [--today yyyy-MM-dd]
//
// DATABASE is a library made by generate_bench. The upgrade at its opening adds the index the
// overdue list reads when the library lacks it, so give it a copy (cp /tmp/big.db /tmp/loans.db).
#include "BenchTiming.h"
#include "ResultGrid.h"
#include "circulation/BkJySearchUt.h"
#include "circulation/DueRecordUt.h"
#include "circulation/LoanQuery.h"
#include "circulation/OverdueNotices.h"
#include "db/ConnectionString.h"
#include "db/LoginContext.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    readRunsOption(args);
    QString error;
    const QString database = args.value(1);
    if (database.isEmpty() || !QFileInfo::exists(database) ||
        !SharedConnection::open(ConnectionString::forFile(database), SqlDialect::Embedded,
                                &error)) {
        std::fprintf(stderr,
                     "usage: loan_query_bench DATABASE [--runs N] [--today yyyy-MM-dd]\n%s\n",
                     qPrintable(error));
        return 1;
    }
    const int at = args.indexOf(QStringLiteral("--today"));
    const QDate today =
        at > 0 ? QDate::fromString(args.value(at + 1), Qt::ISODate) : QDate::currentDate();
    loginContext().dialect = SqlDialect::Embedded;
    loginContext().overdueFinePerDay = Money::fromRaw(1000);
    {
        QElapsedTimer t;
        t.start();
        QStringList notes;
        if (!SchemaUpgrade::run(SharedConnection::database(), SqlDialect::Embedded, &notes,
                                &error)) {
            std::fprintf(stderr, "upgrade: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%-52s %8.1f ms\n", "upgrade (adds missing indexes)", t.nsecsElapsed() / 1e6);
    }
    std::printf(
        "loans: %s, open: %s\n",
        qPrintable(Statement(QStringLiteral("select count(*) from 借出记录")).scalar().toString()),
        qPrintable(Statement(QStringLiteral("select count(*) from 借出记录 where 已还='否'"))
                       .scalar()
                       .toString()));

    // The overdue list as the window builds it: its first page, the count and the sum.
    const Statement overdue = LoanQuery::overdueStatement(today);
    plan("overdue list", overdue);
    int overdueRows = 0;
    timed("overdue list: open the window (first screen, footer)", [&] {
        TDueRecordFm w(nullptr, today);
        w.resize(1280, 800);
        w.show();
        w.grab();
        overdueRows = w.grid()->rowCount();
    });
    std::printf("  %d loans overdue on %s\n", overdueRows, qPrintable(today.toString(Qt::ISODate)));

    ResultGrid grid;
    grid.resize(1280, 800);
    grid.setColumns({{QStringLiteral("价格"), QString(), ResultGrid::Format::Money,
                      ResultGrid::Footer::Sum, true},
                     {QStringLiteral("租金"), QString(), ResultGrid::Format::Money,
                      ResultGrid::Footer::SumWhole, true},
                     {QStringLiteral("赔偿金额"), QString(), ResultGrid::Format::Money,
                      ResultGrid::Footer::SumWhole, true},
                     {QStringLiteral("实际租金"), QString(), ResultGrid::Format::Money,
                      ResultGrid::Footer::Sum, true},
                     {QStringLiteral("罚金"), QString(), ResultGrid::Format::Money,
                      ResultGrid::Footer::Sum, true},
                     {QStringLiteral("id"), QString(), ResultGrid::Format::Number,
                      ResultGrid::Footer::Count, true}});
    grid.setKeyField(QStringLiteral("id"));
    grid.setNaturalOrder(QStringLiteral("id"));
    grid.show();
    auto firstScreen = [&grid](const Statement &st) {
        return [&grid, st] {
            QString e;
            if (!grid.setStatement(st, &e))
                std::fprintf(stderr, "%s\n", qPrintable(e));
            grid.waitForTotals(); // these figures include the sums
            grid.grab();
        };
    };

    // A reader with many loans, an item and a barcode lent often, the last full month.
    const QString reader =
        Statement(
            QStringLiteral("select 读者编号 from 借出记录 where id=(select max(id) from 借出记录)"))
            .scalar()
            .toString();
    const QString number =
        Statement(
            QStringLiteral("select 编号 from 借出记录 where id=(select max(id) from 借出记录)"))
            .scalar()
            .toString();
    const QString barcode = Statement(QStringLiteral("select 条形码 from 借出记录 where id=(select "
                                                     "max(id)-7 from 借出记录)"))
                                .scalar()
                                .toString();
    struct Case {
        const char *what;
        LoanQuery::Conditions conditions;
    };
    QVector<Case> cases;
    {
        LoanQuery::Conditions c;
        c.readerNumber = reader;
        cases.append({"query by reader", c});
        c.returnedState = true;
        c.returned = QStringLiteral("否");
        cases.append({"query by reader, 已还 否", c});
    }
    {
        LoanQuery::Conditions c;
        c.number = number;
        cases.append({"query by 编号", c});
    }
    {
        LoanQuery::Conditions c;
        c.barcode = barcode;
        cases.append({"query by 条形码", c});
    }
    {
        LoanQuery::Conditions c;
        c.lentRange = true;
        c.lentFrom = QDate(today.year(), today.month(), 1).addMonths(-1);
        c.lentTo = QDate(today.year(), today.month(), 1).addDays(-1);
        cases.append({"query by 借阅时间, last month", c});
    }
    {
        LoanQuery::Conditions c;
        c.returnedState = true;
        c.returned = QStringLiteral("否");
        cases.append({"query 已还 否 alone", c});
    }
    for (const Case &c : cases) {
        const LoanQuery::Query q = LoanQuery::build(c.conditions);
        grid.setStatement(q.statement);
        std::printf("%s: %d loans\n", c.what, grid.rowCount());
        plan(c.what, q.statement);
        timed("  first screen with count and five sums", firstScreen(q.statement));
    }

    // The window's own opening over every record: the first screen with the count shows at
    // once, the five sums (which read the whole table) follow from a worker thread.
    timed("query window: open, first screen and count", [] {
        TBkJySearchFm w;
        w.resize(1280, 800);
        w.show();
        w.grab();
    });
    timed("query window: open, then the five sums in the footer", [] {
        TBkJySearchFm w;
        w.resize(1280, 800);
        w.show();
        w.grab();
        w.grid()->waitForTotals();
        w.grab();
    });

    timed("overdue notices: read and lay out the whole list", [&] {
        QVector<OverdueNotices::Notice> notices;
        QString e;
        if (!OverdueNotices::load(overdue, today, loginContext().overdueFinePerDay, &notices, &e))
            std::fprintf(stderr, "%s\n", qPrintable(e));
        const ReportModel m = OverdueNotices::report(notices, OverdueNotices::Library(), today);
        static bool told = false;
        if (!told)
            std::printf("  %d notices, %d pages\n", int(notices.size()), m.pageCount());
        told = true;
    });
    return 0;
}
