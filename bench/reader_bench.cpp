// Times reader management on a large library: building the "contains" search index on a
// library made without it (the upgrade at its first opening), opening the window (first
// screen with the count of readers), "contains" searches by name and by number (through the
// index, and with the plain like for comparison), and one registration as the registration
// window writes it: the reader row and its fee row in one transaction.
//
//   reader_bench DATABASE [--runs N]
//   reader_bench --server HOST:PORT:USER [--runs N]
//
// DATABASE is a library made by generate_bench; the upgrade writes the index into it, so
// give it a copy (cp /tmp/big.db /tmp/readers.db). With --server the same runs on the
// PostgreSQL database tsgl_reader_bench of that server, filled with 200,000 readers on the
// first run.
#include "BenchDatabase.h"
#include "BenchTiming.h"
#include "ResultGrid.h"
#include "db/ConnectionString.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Schema.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "demo/LibraryGenerator.h"
#include "grid/GridQuery.h"
#include "readers/RdSearchUt.h"
#include "readers/ReaderRegistration.h"
#include "readers/ReaderSearch.h"
#include "search/ContainsIndex.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

bool prepareServer(const QString &setup, QString *error)
{
    bool fresh = false;
    if (!openServerDatabase(setup, QStringLiteral("tsgl_reader_bench"), &fresh, error))
        return false;
    if (!fresh)
        return true;
    std::printf("generating 200,000 readers into %s on %s\n",
                qPrintable(QStringLiteral("tsgl_reader_bench")), qPrintable(setup));
    LibraryGenerator::Size size;
    size.books = 1000;
    size.readers = 200000;
    size.loans = 20000;
    size.periodicals = 0;
    return Schema::create(SharedConnection::database(), SqlDialect::Server, error) &&
           LibraryGenerator(SharedConnection::database()).generate(size, error) &&
           Statement(QStringLiteral("analyze")).run(error);
}

ReaderSearch::Search search(const QString &column, const QString &text)
{
    ReaderSearch::Conditions c;
    c.choice = column;
    c.value = text;
    return ReaderSearch::build(c);
}

// The same search as the plain like of each database, without the index (on the server the
// column is made an expression, which keeps the planner from the index).
Statement plainLike(const QString &column, const QString &text)
{
    const bool server = SharedConnection::dialect() == SqlDialect::Server;
    Statement st(QStringLiteral("select * from 读者库 where ") +
                 (server ? QStringLiteral("(") + column + QStringLiteral(" || '')") : column) +
                 (server ? QStringLiteral(" ilike ") : QStringLiteral(" like ")));
    st.value(ContainsIndex::likePattern(text)).text(QStringLiteral(" escape '\\' order by 1,2"));
    return st;
}

// One registration through the registration window's own core: the reader and its opening
// fee, in one transaction.
bool registerOne(int n, QString *error)
{
    LoginContext &context = loginContext();
    context.adminName = QStringLiteral("bench");
    context.openingFee = Money::fromRaw(100000);
    ReaderRegistration::ReaderForm form;
    form.texts[QStringLiteral("读者编号")] =
        QStringLiteral("BENCH%1").arg(n, 6, 10, QLatin1Char('0'));
    form.texts[QStringLiteral("读者姓名")] = QStringLiteral("测试读者%1").arg(n);
    form.texts[QStringLiteral("性别")] = ReaderRegistration::defaultSex();
    form.texts[QStringLiteral("类别")] = ReaderRegistration::defaultCategory();
    form.validUntil = ReaderRegistration::defaultValidUntil();
    const ReaderRegistration::Result r = ReaderRegistration::add(form);
    if (!r.ok && error)
        *error = r.message;
    return r.ok;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    readRunsOption(args);
    QString error;
    const QString database = args.value(1);
    if (database == QLatin1String("--server")) {
        if (!prepareServer(args.value(2), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    } else if (database.isEmpty() || !QFileInfo::exists(database) ||
               !SharedConnection::open(ConnectionString::forFile(database), SqlDialect::Embedded,
                                       &error)) {
        std::fprintf(stderr,
                     "usage: reader_bench DATABASE|--server HOST:PORT:USER [--runs N]\n%s\n",
                     qPrintable(error));
        return 1;
    }
    const SqlDialect dialect = SharedConnection::dialect();
    loginContext().dialect = dialect;
    loginContext().qxadddata = loginContext().qxrdxg = loginContext().qxdel = true;
    std::printf(
        "readers: %s\n",
        qPrintable(Statement(QStringLiteral("select count(*) from 读者库")).scalar().toString()));

    {
        QElapsedTimer t;
        t.start();
        QStringList notes;
        if (!SchemaUpgrade::run(SharedConnection::database(), dialect, &notes, &error)) {
            std::fprintf(stderr, "upgrade: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%-52s %8.1f ms\n", "upgrade (builds the index when missing)",
                    t.nsecsElapsed() / 1e6);
        for (const QString &n : notes)
            std::printf("  note: %s\n", qPrintable(n));
    }

    double opening = timed("open reader management (first screen, count)", [] {
        TRdSearchFm w;
        w.show();
        w.grab();
    });

    ResultGrid grid;
    grid.resize(1280, 800);
    grid.setKeyField(QStringLiteral("读者编号"));
    grid.show();
    auto firstScreen = [&](const Statement &st) {
        return [&grid, st] {
            QString e;
            if (!grid.setStatement(st, &e))
                std::fprintf(stderr, "%s\n", qPrintable(e));
            grid.grab();
        };
    };
    // Texts taken from the library itself: a name of three characters or more, part of one,
    // one character, digits of numbers.
    const QString longName =
        Statement(QStringLiteral("select 读者姓名 from 读者库 where length(读者姓名)>=4 order by "
                                 "读者编号 desc limit 1"))
            .scalar()
            .toString();
    const QString nameOf3 = longName.right(3);
    const QString nameOf2 = longName.left(2);
    struct Case {
        const char *what;
        QString column;
        QString text;
    };
    const QVector<Case> cases = {
        {"name, 3 characters", QStringLiteral("读者姓名"), nameOf3},
        {"name, whole", QStringLiteral("读者姓名"), longName},
        {"name, 2 characters (like alone)", QStringLiteral("读者姓名"), nameOf2},
        {"name, 1 character (like alone)", QStringLiteral("读者姓名"), longName.left(1)},
        {"number, 5 digits", QStringLiteral("读者编号"), QStringLiteral("12345")},
        {"number, 3 digits (most readers)", QStringLiteral("读者编号"), QStringLiteral("000")},
    };
    double nameSearch = 0;
    for (const Case &c : cases) {
        const ReaderSearch::Search s = search(c.column, c.text);
        grid.setStatement(s.statement);
        std::printf("模糊 %s “%s”: %d readers\n", c.what, qPrintable(c.text), grid.rowCount());
        const double ms = timed("  first screen with count", firstScreen(s.statement));
        if (c.text == nameOf3)
            nameSearch = ms;
        if (s.statement.sql().contains(QStringLiteral(" match ")) || dialect == SqlDialect::Server)
            timed("  plain like (server: ilike), no index",
                  firstScreen(plainLike(c.column, c.text)));
    }
    {
        TRdSearchFm w;
        w.show();
        w.columnBox()->setEditText(QStringLiteral("读者姓名"));
        timed("window: 查询 by name, 3 characters", [&] {
            w.valueEdit()->setText(nameOf3);
            w.search();
            w.grab();
        });
    }

    int n = 0;
    const int before = Statement(QStringLiteral("select count(*) from 读者库")).scalar().toInt();
    const double registration =
        timed("registration (ReaderRegistration::add): reader row and fee row", [&] {
            if (!registerOne(++n, &error))
                std::fprintf(stderr, "%s\n", qPrintable(error));
        });
    // The benchmark leaves the library as it found it.
    Statement(QStringLiteral("delete from 收入 where 管理员='bench'")).run();
    Statement(QStringLiteral("delete from 读者库 where 读者编号 like 'BENCH%'")).run();
    if (Statement(QStringLiteral("select count(*) from 读者库")).scalar().toInt() != before)
        std::fprintf(stderr, "the registered readers were not all removed\n");

    GridQuery q(search(QStringLiteral("读者姓名"), nameOf3).statement);
    q.loadFieldNames();
    plan("first page of the name search", q.page(0, 200));
    plan("count of the name search", q.totals({}));
    GridQuery opening2(ReaderSearch::openingStatement());
    opening2.loadFieldNames();
    plan("first page of the opening", opening2.page(0, 200));

    std::printf("opening %.0f ms, name search %.0f ms (target < 100 ms), registration %.1f ms\n",
                opening, nameSearch, registration);
    return nameSearch < 100 ? 0 : 3;
}
