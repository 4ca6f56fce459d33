// Renewal: the unreturned loan of a reader and an item is found by bound values, and its due
// date alone is moved, as a bare date, only while the loan is still out.
#include "TestDb.h"

#include "circulation/Renewal.h"
#include "db/Statement.h"

#include <QDate>
#include <QSqlQuery>
#include <QtTest>

namespace {

qint64 addLoan(const QString &reader, const QString &item, const QString &returned,
               const QDate &due)
{
    Statement st(QStringLiteral("insert into 借出记录(读者编号,编号,名称,已还,借阅日期,应还日期,"
                                "租金) values("));
    st.value(reader)
        .text(",")
        .value(item)
        .text(",'书',")
        .value(returned)
        .text(",")
        .value(sqlDate(due.addDays(-30)))
        .text(",")
        .value(sqlDate(due))
        .text(",0.5)");
    QString error;
    if (!st.run(&error))
        qWarning() << error;
    return scalar(QStringLiteral("select max(id) from 借出记录")).toLongLong();
}

QVariant dueOf(qint64 id)
{
    Statement st(QStringLiteral("select 应还日期 from 借出记录 where id="));
    st.value(id);
    return st.scalar();
}

} // namespace

class RenewalTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void notFound_data();
    void notFound();
    void renewsToAPastDateAsDateOnly();
    void firstOfTwoLoansIsRenewed();
    void returnedMeanwhileIsLeftAlone();

private:
    std::unique_ptr<TestDb> m_db;
};

void RenewalTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
}

void RenewalTest::notFound_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("shown");
    QTest::newRow("returned loan")
        << "R1"
        << "B1"
        << "select * from 借出记录 where 读者编号='R1' and 编号='B1' and 已还='否' order by id";
    QTest::newRow("quote typed")
        << "R1' or '1'='1"
        << "B1"
        << "select * from 借出记录 where 读者编号='R1'' or ''1''=''1' and 编号='B1' and "
           "已还='否' order by id";
    QTest::newRow("other reader") << "R2"
                                  << "B2"
                                  << "select * from 借出记录 where 读者编号='R2' and "
                                     "编号='B2' and 已还='否' order by id";
}

void RenewalTest::notFound()
{
    QFETCH(QString, reader);
    QFETCH(QString, item);
    QFETCH(QString, shown);
    addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("是"), QDate(2026, 1, 1));
    addLoan(QStringLiteral("R1"), QStringLiteral("B2"), QStringLiteral("否"), QDate(2026, 1, 1));
    const Renewal::Found f = Renewal::find(reader, item);
    QVERIFY(f.error.isEmpty());
    QVERIFY(!f.found);
    QCOMPARE(f.statementText, shown);
}

void RenewalTest::renewsToAPastDateAsDateOnly()
{
    const qint64 id = addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("否"),
                              QDate(2026, 3, 1));
    const Renewal::Found f = Renewal::find(QStringLiteral("R1"), QStringLiteral("B1"));
    QVERIFY(f.found);
    QCOMPARE(f.loanId, id);
    QCOMPARE(f.dueDate, QDate(2026, 3, 1));

    const QDate past(2020, 2, 29);
    const Renewal::Result r = Renewal::renew(f.loanId, past);
    QVERIFY2(r.ok, qPrintable(r.message));
    // Stored as a bare date: midnight on the server, the date text in the embedded database.
    const QVariant due = dueOf(id);
    QCOMPARE(dateTimeFromSql(due), past.startOfDay());
    if (m_db->dialect() != SqlDialect::Server)
        QCOMPARE(due.toString(), QStringLiteral("2020-02-29"));
    // Nothing else changed.
    QCOMPARE(scalar(QStringLiteral("select 已还 from 借出记录")).toString(), QStringLiteral("否"));
    QCOMPARE(scalar(QStringLiteral("select 租金 from 借出记录")).toDouble(), 0.5);
}

void RenewalTest::firstOfTwoLoansIsRenewed()
{
    const qint64 first = addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("否"),
                                 QDate(2026, 3, 1));
    const qint64 second = addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("否"),
                                  QDate(2026, 3, 5));
    // An update moves the first row to the end of the server's heap: the order still holds.
    Statement touch(QStringLiteral("update 借出记录 set 租金=1 where id="));
    QVERIFY(touch.value(first).run());

    const Renewal::Found f = Renewal::find(QStringLiteral("R1"), QStringLiteral("B1"));
    QVERIFY(f.found);
    QCOMPARE(f.loanId, first);
    QVERIFY(Renewal::renew(f.loanId, QDate(2026, 4, 1)).ok);
    QCOMPARE(dateFromSql(dueOf(first)), QDate(2026, 4, 1));
    QCOMPARE(dateFromSql(dueOf(second)), QDate(2026, 3, 5));
}

void RenewalTest::returnedMeanwhileIsLeftAlone()
{
    const qint64 id = addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("否"),
                              QDate(2026, 3, 1));
    const Renewal::Found f = Renewal::find(QStringLiteral("R1"), QStringLiteral("B1"));
    QVERIFY(f.found);
    // Another workstation returns it before 续借 is pressed.
    Statement back(QStringLiteral("update 借出记录 set 已还='是' where id="));
    QVERIFY(back.value(id).run());

    const Renewal::Result r = Renewal::renew(f.loanId, QDate(2026, 4, 1));
    QVERIFY(!r.ok);
    QCOMPARE(r.message, Renewal::kReturnedMeanwhile);
    QCOMPARE(dateFromSql(dueOf(id)), QDate(2026, 3, 1));
    QCOMPARE(Renewal::renew(f.loanId, QDate()).message, Renewal::kNoDate);
}

QTEST_GUILESS_MAIN(RenewalTest)
#include "renewal_dbtest.moc"
