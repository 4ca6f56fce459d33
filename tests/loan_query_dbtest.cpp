// The loan record query and the overdue list on both databases: each condition with both
// bounds of a date range included, the messages that refuse a query, the overdue list (a loan
// due today in, returned loans and loans not yet due out) and the printed lists.
#include "LoanRows.h"
#include "TestDb.h"

#include "circulation/LoanQuery.h"
#include "print/ReportModel.h"

#include <QtTest>

namespace {

const QDate kToday(2026, 4, 10);

// 1 returned late on the last day of a range, 2 overdue, 3 due today, 4 due tomorrow,
// 5 returned, overdue by its date.
bool insertLoans()
{
    return insertLoan({"R1", "张三", "B1", "数据库", "111", "2026-03-01", "2026-03-31",
                       "2026-03-10 15:30:00", "10", "1.5", "2"}) &&
           insertLoan(
               {"R1", "张三", "B2", "数据库原理", "222", "2026-03-05", "2026-04-04", "", "20.5"}) &&
           insertLoan(
               {"R2", "O'Brien", "B1", "数据库", "111", "2026-03-10 09:00:00", "2026-04-10", ""}) &&
           insertLoan({"R2", "O'Brien", "B3", "操作系统", "333", "2026-03-11", "2026-04-11", ""}) &&
           insertLoan({"R3", "李四", "B4", "编译原理", "444", "2026-02-01", "2026-04-01",
                       "2026-04-05", "30", "", "4.5"});
}

} // namespace

class LoanQueryTest : public QObject {
    Q_OBJECT
private slots:
    void conditions_data();
    void conditions();
    void refusedConditions_data();
    void refusedConditions();
    void typedValuesMatchLiterally();
    void overdueList();
    void reports();
};

void LoanQueryTest::conditions_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("ids");
    // field: a text field, "lent"/"returned" with "from..to", "state" with the choice.
    QTest::newRow("编号") << "编号"
                          << "B1" << QStringList{"1", "3"};
    QTest::newRow("名称 exactly") << "名称"
                                  << "数据库" << QStringList{"1", "3"};
    QTest::newRow("名称 part finds nothing") << "名称"
                                             << "数据" << QStringList{};
    QTest::newRow("条形码") << "条形码"
                            << "222" << QStringList{"2"};
    QTest::newRow("读者编号") << "读者编号"
                              << "R1" << QStringList{"1", "2"};
    QTest::newRow("读者姓名 with a quote") << "读者姓名"
                                           << "O'Brien" << QStringList{"3", "4"};
    QTest::newRow("借阅时间 both bounds") << "lent"
                                          << "2026-03-05..2026-03-10" << QStringList{"2", "3"};
    QTest::newRow("借阅时间 one day, with a time") << "lent"
                                                   << "2026-03-10..2026-03-10" << QStringList{"3"};
    QTest::newRow("归还时间 last day with a time") << "returned"
                                                   << "2026-03-01..2026-03-10" << QStringList{"1"};
    QTest::newRow("归还时间 first day") << "returned"
                                        << "2026-04-05..2026-04-30" << QStringList{"5"};
    QTest::newRow("归还时间 before any") << "returned"
                                         << "2026-03-11..2026-04-04" << QStringList{};
    QTest::newRow("已还 否") << "state"
                             << "否" << QStringList{"2", "3", "4"};
    QTest::newRow("已还 是") << "state"
                             << "是" << QStringList{"1", "5"};
    QTest::newRow("读者编号 and 已还") << "读者编号+state"
                                       << "R1|否" << QStringList{"2"};
}

void LoanQueryTest::conditions()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QStringList, ids);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertLoans());

    LoanQuery::Conditions c;
    const QStringList range = value.split(QStringLiteral(".."));
    const QDate from = QDate::fromString(range.value(0), Qt::ISODate);
    const QDate to = QDate::fromString(range.value(1), Qt::ISODate);
    if (field == QStringLiteral("lent")) {
        c.lentRange = true;
        c.lentFrom = from;
        c.lentTo = to;
    } else if (field == QStringLiteral("returned")) {
        c.returnedRange = true;
        c.returnedFrom = from;
        c.returnedTo = to;
    } else if (field == QStringLiteral("state")) {
        c.returnedState = true;
        c.returned = value;
    } else if (field == QStringLiteral("读者编号+state")) {
        c.readerNumber = value.section(QLatin1Char('|'), 0, 0);
        c.returnedState = true;
        c.returned = value.section(QLatin1Char('|'), 1);
    } else {
        QString *slot = field == QStringLiteral("编号")       ? &c.number
                        : field == QStringLiteral("名称")     ? &c.title
                        : field == QStringLiteral("条形码")   ? &c.barcode
                        : field == QStringLiteral("读者编号") ? &c.readerNumber
                                                              : &c.readerName;
        *slot = value;
    }
    const LoanQuery::Query q = LoanQuery::build(c);
    QVERIFY2(q.ok, qPrintable(q.message));
    QStringList found = loanIds(q.statement);
    std::sort(found.begin(), found.end());
    QCOMPARE(found, ids);
}

void LoanQueryTest::refusedConditions_data()
{
    QTest::addColumn<int>("lentDays");     // to minus from; no range when < -99
    QTest::addColumn<int>("returnedDays"); // likewise
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing set") << -100 << -100 << "请设置查询条件.";
    QTest::newRow("借阅时间 backwards") << -1 << -100 << "借阅时间条件不符合正常逻辑!";
    QTest::newRow("归还时间 backwards") << -100 << -1 << "归还时间条件不符合正常逻辑!";
    QTest::newRow("借阅时间 checked first") << -1 << -1 << "借阅时间条件不符合正常逻辑!";
    QTest::newRow("one day is a range") << 0 << 0 << "";
}

void LoanQueryTest::refusedConditions()
{
    QFETCH(int, lentDays);
    QFETCH(int, returnedDays);
    QFETCH(QString, message);
    LoanQuery::Conditions c;
    c.lentRange = lentDays > -100;
    c.lentFrom = kToday;
    c.lentTo = kToday.addDays(lentDays);
    c.returnedRange = returnedDays > -100;
    c.returnedFrom = kToday;
    c.returnedTo = kToday.addDays(returnedDays);
    const LoanQuery::Query q = LoanQuery::build(c);
    QCOMPARE(q.ok, message.isEmpty());
    QCOMPARE(q.message, message);
}

void LoanQueryTest::typedValuesMatchLiterally()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertLoans());
    // Quotes, wildcards and statement text are values, never part of the statement.
    for (const QString &typed : {QStringLiteral("' or '1'='1"), QStringLiteral("%"),
                                 QStringLiteral("R_"), QStringLiteral("R1' --")}) {
        LoanQuery::Conditions c;
        c.readerNumber = typed;
        QCOMPARE(loanIds(LoanQuery::build(c).statement), QStringList{});
    }
}

void LoanQueryTest::overdueList()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertLoans());
    // Due today: listed. Due tomorrow, or returned: not.
    QCOMPARE(loanIds(LoanQuery::overdueStatement(kToday)), QStringList({"2", "3"}));
    QCOMPARE(loanIds(LoanQuery::overdueStatement(kToday.addDays(1))), QStringList({"2", "3", "4"}));
    QCOMPARE(loanIds(LoanQuery::overdueStatement(QDate(2026, 4, 3))), QStringList{});
    // The first list of the query window holds every record.
    QCOMPARE(loanIds(LoanQuery::allStatement()).size(), 5);
}

void LoanQueryTest::reports()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertLoans());
    const QDateTime printedAt(QDate(2026, 4, 10), QTime(8, 30));
    ReportModel report;
    QString error;
    QVERIFY2(LoanQuery::queryReport(LoanQuery::allStatement(), printedAt, &report, &error),
             qPrintable(error));
    QCOMPARE(report.pageCount(), 1);
    QCOMPARE(report.texts(0, QStringLiteral("columnTitle")),
             QStringList(
                 {"顺序号", "读者编号", "读者姓名", "编号", "名称", "类别", "借阅日期", "已还"}));
    QCOMPARE(report.texts(0, QStringLiteral("cell")).mid(0, 8),
             QStringList({"1", "R1", "张三", "B1", "数据库", "图书", "2026-03-01", "是"}));
    // Sums over the whole result: 价格 10+20.5+10+10+30, 实际租金 1.5, 赔偿金额 2+4.5.
    QCOMPARE(report.texts(0, QStringLiteral("totals")),
             QStringList{" 价格合计:80.50  实际租金合计: 1.50  赔偿金额合计: 6.50"});
    QVERIFY(
        report.texts(0, QStringLiteral("pageFooter")).first().contains(QStringLiteral("08:30")));

    QVERIFY2(
        LoanQuery::overdueReport(LoanQuery::overdueStatement(kToday), printedAt, &report, &error),
        qPrintable(error));
    QCOMPARE(report.texts(0, QStringLiteral("cell")).size(), 2 * 8);
    QCOMPARE(report.texts(0, QStringLiteral("cell")).value(8), QStringLiteral("3"));
    QVERIFY(report.texts(0, QStringLiteral("totals")).isEmpty());
}

QTEST_GUILESS_MAIN(LoanQueryTest)
#include "loan_query_dbtest.moc"
