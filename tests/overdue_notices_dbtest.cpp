// The overdue notices on both databases: one page per reader, the days overdue and the fine
// of each loan, the total, the reader's department and telephone, the library's name and
// telephone; and the days and fine of a loan at a date.
#include "LoanRows.h"
#include "TestDb.h"

#include "circulation/LoanQuery.h"
#include "circulation/OverdueNotices.h"
#include "circulation/ReturnCharges.h"
#include "db/LoginContext.h"

#include <QtTest>

class OverdueNoticesTest : public QObject {
    Q_OBJECT
private slots:
    void daysAndFine_data();
    void daysAndFine();
    void noticePerReader();
    void longNoticeContinues();
};

void OverdueNoticesTest::daysAndFine_data()
{
    QTest::addColumn<QString>("due");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("fine"); // at 0.15 a day
    QTest::newRow("due today") << "2026-04-10" << 0 << "0";
    QTest::newRow("due tomorrow") << "2026-04-11" << -1 << "0";
    QTest::newRow("due yesterday") << "2026-04-09" << 1 << "0.15";
    QTest::newRow("a month") << "2026-03-10" << 31 << "4.65";
    QTest::newRow("noon: half a day to the even") << "2026-04-07 12:00:00" << 2 << "0.3";
    QTest::newRow("noon, odd side") << "2026-04-08 12:00:00" << 2 << "0.3";
    QTest::newRow("evening") << "2026-04-08 18:00:00" << 1 << "0.15";
    QTest::newRow("no due date") << "" << 0 << "0";
}

void OverdueNoticesTest::daysAndFine()
{
    QFETCH(QString, due);
    QFETCH(int, days);
    QFETCH(QString, fine);
    const int d = ReturnCharges::daysOverdueOf(dateTimeFromSql(due), QDate(2026, 4, 10));
    QCOMPARE(d, days);
    QCOMPARE(ReturnCharges::fineFor(d, *Money::parse(QStringLiteral("0.15"))).toString(), fine);
}

void OverdueNoticesTest::noticePerReader()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QDate today(2026, 4, 10);
    // R1: two overdue loans (6 and 3 days); R2: one due today; R3: returned, no notice.
    QVERIFY(insertLoan({"R2", "王五", "B3", "操作系统", "333", "2026-03-11", "2026-04-10", ""}));
    QVERIFY(insertLoan({"R1", "张三", "B2", "数据库原理", "222", "2026-03-05", "2026-04-04", ""}));
    QVERIFY(insertLoan({"R1", "张三", "B5", "离散数学", "555", "2026-03-08", "2026-04-07", ""}));
    QVERIFY(insertLoan(
        {"R3", "李四", "B4", "编译原理", "444", "2026-02-01", "2026-04-01", "2026-04-05"}));
    QVERIFY(Statement(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, 单位部门, 联系电话) "
                                     "values ('R1', '张三', '计算机系', '13800000001')"))
                .run());
    QVERIFY(Statement(QStringLiteral("update 系统设置 set 电话='010-12345678'")).run());
    loginContext().libraryName = QStringLiteral("市图书馆");

    QVector<OverdueNotices::Notice> notices;
    QString error;
    QVERIFY2(OverdueNotices::load(LoanQuery::overdueStatement(today), today,
                                  *Money::parse(QStringLiteral("0.15")), &notices, &error),
             qPrintable(error));
    QCOMPARE(notices.size(), 2);
    const OverdueNotices::Notice &r1 = notices[0];
    QCOMPARE(r1.readerNumber, QStringLiteral("R1"));
    QCOMPARE(r1.items.size(), 2);
    QCOMPARE(r1.items[0].days, 6);
    QCOMPARE(r1.items[0].fine.toString(), QStringLiteral("0.9"));
    QCOMPARE(r1.items[1].days, 3);
    QCOMPARE(r1.total.toString(), QStringLiteral("1.35"));

    OverdueNotices::Library library;
    QVERIFY2(OverdueNotices::readLibrary(&library, &error), qPrintable(error));
    QCOMPARE(library.telephone, QStringLiteral("010-12345678"));
    const ReportModel report = OverdueNotices::report(notices, library, today);
    QCOMPARE(report.pageCount(), 2);
    QCOMPARE(report.texts(0, QStringLiteral("title")), QStringList{"市图书馆 催还通知单"});
    QCOMPARE(report.texts(0, QStringLiteral("reader")).first(),
             QStringLiteral("读者编号: R1        读者姓名: 张三"));
    QCOMPARE(report.texts(0, QStringLiteral("readerContact")).first(),
             QStringLiteral("单位部门: 计算机系        联系电话: 13800000001"));
    QCOMPARE(report.texts(0, QStringLiteral("cell")),
             QStringList({"数据库原理", "222", "2026-04-04", "6", "0.90", "离散数学", "555",
                          "2026-04-07", "3", "0.45"}));
    QCOMPARE(report.texts(0, QStringLiteral("total")), QStringList{"共 2 册, 罚金合计: 1.35 元"});
    QCOMPARE(report.texts(0, QStringLiteral("library")),
             QStringList{"市图书馆    联系电话: 010-12345678"});
    // The reader without a row of his own keeps the name of the loan; due today: no fine yet.
    QCOMPARE(report.texts(1, QStringLiteral("reader")).first(),
             QStringLiteral("读者编号: R2        读者姓名: 王五"));
    QCOMPARE(report.texts(1, QStringLiteral("cell")),
             QStringList({"操作系统", "333", "2026-04-10", "0", "0.00"}));
    QCOMPARE(report.texts(1, QStringLiteral("total")), QStringList{"共 1 册, 罚金合计: 0.00 元"});
}

void OverdueNoticesTest::longNoticeContinues()
{
    // A reader with more loans than a page holds: the list goes on over the next page, and the
    // total comes once, after the last loan, above the page foot, whatever the count.
    for (int count = 20; count <= 60; ++count) {
        OverdueNotices::Notice n;
        n.readerNumber = QStringLiteral("R1");
        for (int i = 0; i < count; ++i) {
            OverdueNotices::Item item;
            item.title = QStringLiteral("书%1").arg(i);
            item.days = 2;
            item.fine = Money::fromYuan(1);
            n.items.append(item);
            n.total += item.fine;
        }
        const ReportModel report = OverdueNotices::report({n}, {}, QDate(2026, 4, 10));
        const int last = report.pageCount() - 1;
        int cells = 0;
        for (int p = 0; p <= last; ++p) {
            cells += report.texts(p, QStringLiteral("cell")).size();
            QCOMPARE(report.texts(p, QStringLiteral("total")).size(), p == last ? 1 : 0);
            const double foot = report.items(p, QStringLiteral("library")).first()->rect.top();
            for (const char *role : {"cell", "total", "request"})
                for (const ReportItem *item : report.items(p, QString::fromUtf8(role)))
                    QVERIFY2(item->rect.bottom() <= foot + 0.01,
                             qPrintable(QStringLiteral("%1 loans, page %2").arg(count).arg(p)));
        }
        QCOMPARE(cells, count * 5);
        QCOMPARE(report.texts(last, QStringLiteral("total")).first(),
                 QStringLiteral("共 %1 册, 罚金合计: %1.00 元").arg(count));
    }
}

QTEST_GUILESS_MAIN(OverdueNoticesTest)
#include "overdue_notices_dbtest.moc"
