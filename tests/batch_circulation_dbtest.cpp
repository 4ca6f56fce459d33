// Which loan a return or renewal from a circulation file means when no window shows a list:
// the item's only unreturned loan, or the named reader's when copies are out to several.
#include "TestDb.h"

#include "circulation/BatchCirculation.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

const QDateTime Now(QDate(2026, 3, 11), QTime(10, 0));

void exec(const QString &sql, const QVariantList &values = {})
{
    QString error;
    QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
}

void addLoan(const QString &reader, const QString &kind, const QString &item,
             const QString &returned)
{
    exec(QStringLiteral(
             "insert into 借出记录 (读者编号, 读者姓名, 编号, 条形码, 名称, 类别, 借阅日期, "
             "应还日期, 已还, 租金) values (?, ?, ?, ?, '书', ?, '2026-03-01', "
             "'2026-03-31', ?, 0)"),
         {reader, reader, item, item + QStringLiteral("-bc"), kind, returned});
}

// "读者编号 已还 应还日期" of every loan, oldest first.
QStringList loans()
{
    QStringList out;
    QSqlQuery q = Statement(QStringLiteral("select 读者编号, 编号, 已还, 应还日期 from 借出记录 "
                                           "order by id"))
                      .exec();
    while (q.next())
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                        dateFromSql(q.value(3)).toString(Qt::ISODate));
    return out;
}

} // namespace

class BatchCirculationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void chosenLoan_data();
    void chosenLoan();

private:
    TestDb m_db;
};

void BatchCirculationTest::init()
{
    TSGL_FRESH_DB(m_db);
    loginContext().adminName = QStringLiteral("值班员");
    exec(QStringLiteral(
        "insert into 读者库 (读者编号, 读者姓名, CardId, 状态, 未还数量, 卡内金额) "
        "values ('R1', '甲', 'C1', '正常', 1, 0), ('R2', '乙', 'C2', '正常', 2, 0)"));
    // B1: copies out to R1 and R2; B2: one loan of R2, an older one returned; P1 a periodical
    // whose number is also a book's loan number.
    exec(QStringLiteral(
        "insert into 图书 (编号, 条形码, 名称, 数量) values ('B1', 'B1-bc', '书', 0), "
        "('B2', 'B2-bc', '书', 0)"));
    exec(QStringLiteral(
        "insert into 期刊 (编号, 条形码, 名称, 数量) values ('P1', 'P1-bc', '刊', 0)"));
    addLoan(QStringLiteral("R1"), QStringLiteral("图书"), QStringLiteral("B1"),
            QStringLiteral("否"));
    addLoan(QStringLiteral("R2"), QStringLiteral("图书"), QStringLiteral("B1"),
            QStringLiteral("否"));
    addLoan(QStringLiteral("R1"), QStringLiteral("图书"), QStringLiteral("B2"),
            QStringLiteral("是"));
    addLoan(QStringLiteral("R2"), QStringLiteral("图书"), QStringLiteral("B2"),
            QStringLiteral("否"));
    addLoan(QStringLiteral("R2"), QStringLiteral("图书"), QStringLiteral("P1"),
            QStringLiteral("否"));
}

void BatchCirculationTest::chosenLoan_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("changed"); // the loans afterwards; empty: unchanged
    const QStringList before = {"R1 B1 否 2026-03-31", "R2 B1 否 2026-03-31", "R1 B2 是 2026-03-31",
                                "R2 B2 否 2026-03-31", "R2 P1 否 2026-03-31"};
    auto with = [&before](int row, const QString &loan) {
        QStringList l = before;
        l[row] = loan;
        return l;
    };
    QTest::newRow("renew the one loan still out")
        << "renew\tB2-bc\t2026-04-30"
        << "续借 图书 B2" << with(3, "R2 B2 否 2026-04-30");
    QTest::newRow("renew: copies out to two readers")
        << "renew\tB1\t2026-04-30"
        << "有 2 笔未还借阅记录,请在行末加上读者编号" << QStringList();
    QTest::newRow("renew the named reader's copy, by card")
        << "renew\tB1\t2026-04-30\tC2"
        << "续借 图书 B1" << with(1, "R2 B1 否 2026-04-30");
    QTest::newRow("renew: a reader without a loan of it")
        << "renew\tB2\t2026-04-30\tR1"
        << "没有找到图书 B2 的未还借阅记录" << QStringList();
    QTest::newRow("return: copies out to two readers") << "return\tB1-bc"
                                                       << "有 2 笔未还借阅记录" << QStringList();
    QTest::newRow("return the named reader's copy")
        << "return\tB1-bc\tR1"
        << "归还 图书 B1" << with(0, "R1 B1 是 2026-03-31");
    // The loan of P1 was recorded as a book; the periodical P1 has none.
    QTest::newRow("return: the loan is of the other kind")
        << "return\tP1"
        << "没有找到期刊 P1 的未还借阅记录" << QStringList();
    QTest::newRow("return: no such reader") << "return\tB1\tR9"
                                            << "没有该编号/卡号的读者资料" << QStringList();
}

void BatchCirculationTest::chosenLoan()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    QFETCH(QStringList, changed);
    const QStringList before = loans();
    BatchLine::Line parsed;
    QString why;
    QCOMPARE(BatchLine::parse(line, &parsed, &why), BatchLine::Parse::Line);
    const BatchCirculation::Outcome outcome = BatchCirculation::run(parsed, Now);
    QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
    QCOMPARE(outcome.ok, !changed.isEmpty());
    QCOMPARE(loans(), changed.isEmpty() ? before : changed);
}

QTEST_GUILESS_MAIN(BatchCirculationTest)
#include "batch_circulation_dbtest.moc"
