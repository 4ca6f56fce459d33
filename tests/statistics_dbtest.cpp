// Classification and intake statistics on a small catalogue: the statements, their figures on
// both databases, the refused choices and periods, and the printed lists.
#include "StatsFixture.h"
#include "TestDb.h"

#include "db/Money.h"
#include "db/Statement.h"
#include "print/ReportModel.h"
#include "stats/ClassStatistics.h"
#include "stats/IntakeStatistics.h"
#include "stats/ItemKind.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

// Rows of a grouped statement keyed by their first column, in any order the database gives.
QMap<QString, QStringList> groups(const Statement &st)
{
    QMap<QString, QStringList> rows;
    QSqlQuery q = st.exec();
    if (!q.isActive())
        qWarning("%s", qPrintable(Statement::lastError(q)));
    while (q.next())
        rows.insert(q.value(0).toString(), {QString::number(q.value(1).toLongLong()),
                                            Money::fromVariant(q.value(2)).toFixed2()});
    return rows;
}

QStringList column(const Statement &st, const QString &field)
{
    QStringList values;
    QSqlQuery q = st.exec();
    while (q.next())
        values << q.value(field).toString();
    values.sort();
    return values;
}

} // namespace

class StatisticsDbTest : public QObject {
    Q_OBJECT
private slots:
    void classification();
    void kindRefused_data();
    void kindRefused();
    void intakePeriod_data();
    void intakePeriod();
    void intakeReversedPeriod();
    void perAdministrator();
    void reports();
};

void StatisticsDbTest::classification()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertCatalogue());
    Statement st;
    QString error;
    QVERIFY2(ClassStatistics::statement(QStringLiteral("图书"), &st, &error), qPrintable(error));
    QMap<QString, QStringList> expected;
    // Copies on the shelf and their value: a category whose every copy is lent shows 0 and 0.
    expected.insert(QStringLiteral("文学"), {"7", "61.00"});
    expected.insert(QStringLiteral("历史"), {"0", "0.00"});
    expected.insert(QString(), {"1", "5.00"});
    QCOMPARE(groups(st), expected);

    QVERIFY2(ClassStatistics::statement(QStringLiteral("期刊"), &st, &error), qPrintable(error));
    expected.clear();
    expected.insert(QStringLiteral("期刊类"), {"3", "12.00"});
    QCOMPARE(groups(st), expected);
}

void StatisticsDbTest::kindRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("another table") << QStringLiteral("读者库");
    QTest::newRow("unknown") << QStringLiteral("杂志");
    QTest::newRow("text after the name") << QStringLiteral("图书 where 1=0 --");
    QTest::newRow("empty") << QString();
}

// A kind that is not a catalogue table names no table in SQL text and gives a message.
void StatisticsDbTest::kindRefused()
{
    QFETCH(QString, kind);
    QString error;
    QVERIFY(ItemKind::checkedTable(kind, &error).isEmpty());
    QVERIFY(error.contains(QStringLiteral("统计范围")));
    Statement st(QStringLiteral("unchanged"));
    error.clear();
    QVERIFY(!ClassStatistics::statement(kind, &st, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(st.sql(), QStringLiteral("unchanged"));
    error.clear();
    QVERIFY(!IntakeStatistics::itemsStatement(kind, QDate(2026, 1, 1), QDate(2026, 12, 1), &st,
                                              &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(st.sql(), QStringLiteral("unchanged"));
}

void StatisticsDbTest::intakePeriod_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("numbers");
    // B1 on the "from" day is in; B4 during the "to" day is out.
    QTest::newRow("books") << QStringLiteral("图书") << QDate(2026, 3, 1) << QDate(2026, 3, 5)
                           << QStringList{"B1", "B2", "B3"};
    QTest::newRow("to the next day") << QStringLiteral("图书") << QDate(2026, 3, 1)
                                     << QDate(2026, 3, 6) << QStringList{"B1", "B2", "B3", "B4"};
    // Registered at 00:00 of the "to" day: the bound itself.
    QTest::newRow("one day") << QStringLiteral("图书") << QDate(2026, 3, 3) << QDate(2026, 3, 3)
                             << QStringList{"B3"};
    QTest::newRow("periodicals") << QStringLiteral("期刊") << QDate(2026, 3, 1) << QDate(2026, 3, 5)
                                 << QStringList{"P1"};
}

void StatisticsDbTest::intakePeriod()
{
    QFETCH(QString, kind);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, numbers);
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertCatalogue());
    Statement st;
    QString error;
    QVERIFY2(IntakeStatistics::itemsStatement(kind, from, to, &st, &error), qPrintable(error));
    QCOMPARE(column(st, QStringLiteral("编号")), numbers);
    // Every column of the item table comes along (the list hides most of them).
    QSqlQuery q = st.exec();
    QVERIFY(q.next());
    QVERIFY(q.record().indexOf(QStringLiteral("存放位置")) >= 0);
    QVERIFY(q.record().indexOf(QStringLiteral("登记人")) >= 0);
}

void StatisticsDbTest::intakeReversedPeriod()
{
    Statement st(QStringLiteral("unchanged"));
    QString error;
    QVERIFY(!IntakeStatistics::itemsStatement(QStringLiteral("图书"), QDate(2026, 3, 5),
                                              QDate(2026, 3, 4), &st, &error));
    QCOMPARE(error, QStringLiteral("时间前后逻辑错误!"));
    QCOMPARE(st.sql(), QStringLiteral("unchanged"));
}

void StatisticsDbTest::perAdministrator()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertCatalogue());
    const Statement st =
        IntakeStatistics::perAdministratorStatement(QDate(2026, 2, 1), QDate(2026, 3, 10));
    // One row a catalogue record: B5 with 5 copies counts once, its price once. P1 is a
    // periodical and not counted.
    QMap<QString, QStringList> expected;
    expected.insert(QStringLiteral("王"), {"3", "38.50"});
    expected.insert(QStringLiteral("李"), {"2", "35.00"});
    QCOMPARE(groups(st), expected);
    // The text shown to the user carries the dates as literals.
    QCOMPARE(st.displayText(),
             QStringLiteral("SELECT 登记人, count(编号) AS 记录数, sum(价格) AS 总价格 FROM 图书 "
                            "where 入库时间>='2026-02-01' and 入库时间<='2026-03-10' "
                            "GROUP BY 登记人"));
}

void StatisticsDbTest::reports()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertCatalogue());
    const QDateTime at(QDate(2026, 3, 9), QTime(14, 30));
    ReportModel report;
    QString error;

    Statement st;
    QVERIFY(ClassStatistics::statement(QStringLiteral("图书"), &st, &error));
    QVERIFY2(ClassStatistics::buildReport(st, QStringLiteral("图书"), at, &report, &error),
             qPrintable(error));
    QCOMPARE(report.texts(0, QStringLiteral("columnTitle")), (QStringList{"分类", "数量", "金额"}));
    QVERIFY(report.texts(0, QStringLiteral("cell")).contains(QStringLiteral("61.00")));
    QVERIFY(report.texts(0, QStringLiteral("pageFooter")).join(' ').contains("2026-03-09"));

    QVERIFY(IntakeStatistics::itemsStatement(QStringLiteral("图书"), QDate(2026, 3, 1),
                                             QDate(2026, 3, 2), &st, &error));
    QVERIFY2(IntakeStatistics::buildItemsReport(st, QStringLiteral("图书"), at, &report, &error),
             qPrintable(error));
    QCOMPARE(report.texts(0, QStringLiteral("columnTitle")),
             (QStringList{"图书编号", "条形码", "书名", "类别", "存放位置", "数量 "}));
    QCOMPARE(report.texts(0, QStringLiteral("cell")),
             (QStringList{"B1", "BC-B1", "书名B1", "文学", "一楼", "2"}));
    const QString foot = report.texts(0, QStringLiteral("pageFooter")).join(' ');
    QVERIFY2(foot.contains(QStringLiteral("2026-03-09 14:30")), qPrintable(foot));

    QVERIFY(IntakeStatistics::itemsStatement(QStringLiteral("期刊"), QDate(2026, 3, 1),
                                             QDate(2026, 3, 5), &st, &error));
    QVERIFY(IntakeStatistics::buildItemsReport(st, QStringLiteral("期刊"), at, &report, &error));
    QCOMPARE(report.texts(0, QStringLiteral("columnTitle")),
             (QStringList{"编号", "条形码", "名称", "类别", "存放位置", "数量 "}));

    QVERIFY2(IntakeStatistics::buildPerAdministratorReport(
                 IntakeStatistics::perAdministratorStatement(QDate(2026, 3, 3), QDate(2026, 3, 4)),
                 at, &report, &error),
             qPrintable(error));
    QCOMPARE(report.texts(0, QStringLiteral("columnTitle")),
             (QStringList{"登记人", "记录数", "总价格"}));
    QCOMPARE(report.texts(0, QStringLiteral("cell")), (QStringList{"李", "1", "30.00"}));
}

QTEST_MAIN(StatisticsDbTest)
#include "statistics_dbtest.moc"
