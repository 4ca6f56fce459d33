// Times book intake on a large library: the start-up upgrade (a no-op once done), reading the
// window's lists, the call number of a classification, the publisher of a barcode, and one
// save as the intake window writes it: a single book, and three copies each with its own
// call number and transaction.
//
//   book_intake_bench DATABASE [--runs N]
//
// DATABASE is a library made by generate_bench; the saves add rows to it, so give it a copy
// (cp /tmp/big.db /tmp/intake.db).
#include "BenchTiming.h"
#include "catalogue/BookIntake.h"
#include "catalogue/CallNumber.h"
#include "catalogue/PublisherLookup.h"
#include "db/ConnectionString.h"
#include "db/LoginContext.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

BookIntake::BookForm form(const QString &classification)
{
    BookIntake::BookForm f;
    f.texts = BookIntake::initialTexts();
    f.texts[QStringLiteral("名称")] = QStringLiteral("基准测试图书");
    f.texts[QStringLiteral("条形码")] = QStringLiteral("9787020002207");
    f.texts[QStringLiteral("分类号")] = classification;
    f.published = QDate(2020, 5, 1);
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    readRunsOption(args);
    QString error;
    const QString database = args.value(1);
    if (database.isEmpty() || !QFileInfo::exists(database) ||
        !SharedConnection::open(ConnectionString::forFile(database), SqlDialect::Embedded,
                                &error)) {
        std::fprintf(stderr, "usage: book_intake_bench DATABASE [--runs N]\n%s\n",
                     qPrintable(error));
        return 1;
    }
    loginContext().dialect = SqlDialect::Embedded;
    loginContext().adminName = QStringLiteral("bench");
    std::printf(
        "books: %s\n",
        qPrintable(Statement(QStringLiteral("select count(*) from 图书")).scalar().toString()));

    timed("start-up upgrade (nothing left to do)", [&] {
        QStringList notes;
        if (!SchemaUpgrade::run(SharedConnection::database(), SqlDialect::Embedded, &notes, &error))
            std::fprintf(stderr, "upgrade: %s\n", qPrintable(error));
    });
    timed("the window's lists", [] { BookIntake::loadPickLists(); });

    // The most used classification: the most rows to find the highest 种次号 among.
    const QString classification =
        Statement(QStringLiteral("select 分类号 from 图书 where 分类号 is not null group by 分类号 "
                                 "order by count(*) desc limit 1"))
            .scalar()
            .toString();
    std::printf("classification %s: %s books\n", qPrintable(classification),
                qPrintable(Statement(QStringLiteral("select count(*) from 图书 where 分类号=?"),
                                     {classification})
                               .scalar()
                               .toString()));
    timed("call number (Enter in 分类号)", [&] { CallNumber::next(classification); });
    plan("the highest zch",
         Statement(QStringLiteral("select max(zch) from 图书 where 分类号=?"), {classification}));
    timed("publisher of a barcode (Enter in 条形码)",
          [] { PublisherLookup::find(QStringLiteral("9787999912345")); });
    timed("duplicate barcode test",
          [] { BookIntake::barcodeTaken(QStringLiteral("9787020002207")); });

    // Numbers of this run only, so that the bench can run again on the same copy.
    const QString run = QString::number(QDateTime::currentMSecsSinceEpoch());
    int n = 0;
    timed("save one book", [&] {
        const QString number = QStringLiteral("BENCH-%1-%2").arg(run).arg(++n);
        const BookIntake::Result r = BookIntake::add(form(classification), number);
        if (!r.ok)
            std::fprintf(stderr, "%s\n", qPrintable(r.message));
    });
    timed("save three copies", [&] {
        BookIntake::BookForm f = form(classification);
        f.texts[QStringLiteral("编号")] = QStringLiteral("BENCHC-%1-%2").arg(run).arg(++n);
        for (const BookIntake::Result &r : BookIntake::addCopies(f, 3, QStringLiteral(".")))
            if (!r.ok)
                std::fprintf(stderr, "%s\n", qPrintable(r.message));
    });
    return 0;
}
