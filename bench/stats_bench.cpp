// The statistics and stock-taking windows on a large library, opened read-only: the first
// screen of each, as the librarian waits for it. See bench/README.md.
#include "BenchTiming.h"

#include "Prompt.h"
#include "ResultGrid.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "stats/AdminLuRuStatUt.h"
#include "stats/BkRegUt.h"
#include "stats/ClassStatistics.h"
#include "stats/DataCheckUt.h"
#include "stats/IntakeStatistics.h"
#include "stats/SortSearchUt.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>

namespace {

// The per-administrator window shows its statement in a message; nobody answers it here.
class SilentPrompts : public Prompt::Handler {
public:
    void message(QWidget *, Prompt::Kind, const QString &, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &, Prompt::Answer) override
    {
        return false;
    }
    std::optional<QString> password(QWidget *, const QString &, const QString &, const QString &,
                                    QChar) override
    {
        return std::nullopt;
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &) override { return {}; }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    readRunsOption(args);
    const QString database = args.value(1);
    if (database.isEmpty() || !QFileInfo::exists(database)) {
        std::fprintf(stderr, "usage: stats_bench DATABASE [--runs N]\n");
        return 1;
    }
    // Read-only: these windows only read, and the bench library is never changed.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    QString::fromLatin1(SharedConnection::kName));
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=8000"));
        if (!db.open()) {
            std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
            return 1;
        }
    }
    loginContext().dialect = SqlDialect::Embedded;
    SilentPrompts prompts;
    Prompt::Handler *previous = Prompt::setHandler(&prompts);
    const QDate today = QDate::currentDate();

    Statement st;
    ClassStatistics::statement(QStringLiteral("图书"), &st);
    plan("classification of books", st);
    plan("per administrator, last month",
         IntakeStatistics::perAdministratorStatement(today.addMonths(-1), today.addDays(1)));

    timed("分类统计: open, books by category", [] {
        auto *w = new TSortSearchFM;
        w->show();
        w->grid()->waitForTotals();
        delete w;
    });
    {
        auto *w = new TSortSearchFM;
        w->kindBox()->setCurrentIndex(1);
        timed("分类统计: 统计 periodicals", [w] {
            w->countButton()->click();
            w->grid()->waitForTotals();
        });
        delete w;
    }
    const auto intake = [&](const char *what, const QDate &from) {
        auto *w = new TBkRegFm;
        w->show();
        w->fromDate()->setDate(from);
        w->toDate()->setDate(today.addDays(1));
        int rows = 0;
        timed(what, [w, &rows] {
            w->countButton()->click();
            w->grid()->waitForTotals();
            rows = w->grid()->rowCount();
        });
        std::printf("  %d items, 价格 %s\n", rows,
                    qPrintable(w->grid()->footerText(QStringLiteral("价格"))));
        delete w;
    };
    intake("入库信息统计: books of the last month, with footer", today.addMonths(-1));
    intake("入库信息统计: books of the last year, with footer", today.addYears(-1));
    const auto perAdmin = [&](const char *what, const QDate &from) {
        auto *w = new TAdminLuRuStatFm;
        w->show();
        w->fromDate()->setDate(from);
        w->toDate()->setDate(today.addDays(1));
        timed(what, [w] { w->countButton()->click(); });
        std::printf("  %d administrators\n", w->grid()->rowCount());
        delete w;
    };
    perAdmin("管理员录入量统计: last month", today.addMonths(-1));
    perAdmin("管理员录入量统计: since 2000", QDate(2000, 1, 1));
    timed("数据盘点: open (13 figures)", [] {
        auto *w = new TDataCheckFm;
        w->show();
        delete w;
    });
    {
        auto *w = new TDataCheckFm;
        w->fromDate()->setDate(today.addYears(-1));
        timed("数据盘点: 查询 the last year", [w] { w->queryButton()->click(); });
        delete w;
    }
    Prompt::setHandler(previous);
    return 0;
}
