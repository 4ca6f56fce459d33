#include "TestDb.h"

#include "circulation/Lending.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "print/ReceiptWriter.h"
#include "text/Gbk.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTextStream>
#include <QThread>

namespace {

const QDateTime kNow(QDate(2024, 5, 6), QTime(10, 30, 0));

void addReader(const QString &number, const QString &card, const QString &state,
               const QString &category, const QDate &validUntil = QDate(2030, 1, 1),
               int unreturned = 0)
{
    Statement st(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, CardId, 状态, 类别, "
                                "有效期, 未还数量, 累计借阅次数) values (?,?,?,?,?,?,?,?)"),
                 {number, QStringLiteral("读者") + number, card, state, category,
                  sqlDate(validUntil), unreturned, 7});
    QVERIFY(st.run());
}

struct Item {
    QString number;
    int copies = 2;
    QString state = QStringLiteral("正常");
    QVariant level;       // 物品级别
    QVariant reservedFor; // 预定状况
    QVariant reservedUntil;
    QString table = QStringLiteral("图书");
    QString barcode;
};

void addItem(const Item &i)
{
    const QString barcode = i.barcode.isEmpty() ? QStringLiteral("T") + i.number : i.barcode;
    Statement st(
        QStringLiteral("insert into %1 (编号, 条形码, 名称, 数量, 状态, 物品级别, "
                       "预定状况, 预定到期时间, 价格, 借出次数) "
                       "values (?,?,?,?,?,?,?,?,?,?)")
            .arg(i.table),
        {i.number, barcode, QStringLiteral("书名") + i.number, i.copies, i.state,
         i.level.isValid() ? i.level : QVariant(QMetaType(QMetaType::QString)),
         i.reservedFor.isValid() ? i.reservedFor : QVariant(QMetaType(QMetaType::QString)),
         i.reservedUntil.isValid() ? i.reservedUntil : QVariant(QMetaType(QMetaType::QString)),
         Money::fromDouble(12.5).toSql(), 3});
    QVERIFY(st.run());
}

void addOpenLoan(const QString &reader, const QString &level)
{
    QVERIFY(Statement(QStringLiteral("insert into 借出记录 (读者编号, 编号, 类别, 物品级别, 已还) "
                                     "values (?, 'OLD', '期刊', ?, '否')"),
                      {reader, level})
                .run());
}

// The fixture every test starts from: category 学生 (14 days, 3 loans, rent 0.5), level 珍本
// (rent 1.5, two at a time), reader R1 (card C1) of 学生.
void baseRows()
{
    QVERIFY(Statement(QStringLiteral("insert into 读者类别 values ('学生', 14, 3, ?)"),
                      {Money::fromDouble(0.5).toSql()})
                .run());
    QVERIFY(Statement(QStringLiteral("insert into 物品级别 values ('珍本', ?, 2)"),
                      {Money::fromDouble(1.5).toSql()})
                .run());
    addReader(QStringLiteral("R1"), QStringLiteral("C1"), QStringLiteral("正常"),
              QStringLiteral("学生"));
    loginContext().adminName = QStringLiteral("张三");
    loginContext().libraryName = QStringLiteral("第一图书馆");
}

QString one(const QString &sql)
{
    return scalar(sql).toString();
}

// Looks the item up and queues its first row.
LendingDesk::QueueOutcome queue(LendingDesk &desk, const QString &typed,
                                const QString &kind = QStringLiteral("图书"),
                                const QString &column = QStringLiteral("编号"))
{
    const LendingDesk::LookupOutcome found = desk.lookUpItems(kind, column, typed, kNow);
    if (!found.ok) {
        LendingDesk::QueueOutcome refused;
        refused.status = LendingDesk::QueueOutcome::Refused;
        refused.message = found.message;
        return refused;
    }
    return desk.queueItem(kind, found.rows.first());
}

// A child process: accepts its reader, queues the book, waits for the common start moment
// and lends. Prints 1 when it lent the book, 0 when it was refused for want of a copy.
int raceForLastCopy()
{
    const SqlDialect dialect = qEnvironmentVariable("TSGL_RACE_DIALECT") == QLatin1String("pg")
                                   ? SqlDialect::Server
                                   : SqlDialect::Embedded;
    QString error;
    if (!SharedConnection::open(qEnvironmentVariable("TSGL_RACE_CONNECTION"), dialect, &error)) {
        QTextStream(stderr) << error << '\n';
        return 2;
    }
    loginContext().dialect = dialect;
    LendingDesk desk;
    if (desk.acceptReader(qEnvironmentVariable("TSGL_RACE_READER"), kNow.date()).status !=
            LendingDesk::ReaderOutcome::Accepted ||
        queue(desk, QStringLiteral("LAST")).status != LendingDesk::QueueOutcome::Queued) {
        QTextStream(stderr) << "could not queue\n";
        return 3;
    }
    const qint64 start = qEnvironmentVariable("TSGL_RACE_START").toLongLong();
    while (QDateTime::currentMSecsSinceEpoch() < start)
        QThread::usleep(200);
    const LendingDesk::LendOutcome out = desk.lend(kNow, false);
    if (out.status != LendingDesk::LendOutcome::Lent) {
        QTextStream(stderr) << out.message << '\n';
        return 4;
    }
    if (!out.refusals.isEmpty() && !out.refusals.first().endsWith(QStringLiteral("数量不足."))) {
        QTextStream(stderr) << out.refusals.join(QLatin1Char('\n')) << '\n';
        return 5;
    }
    QTextStream(stdout) << out.lent.size();
    return 0;
}

} // namespace

class LendingTest : public QObject {
    Q_OBJECT
private slots:
    void readerLookup_data();
    void readerLookup();
    void itemRefusals_data();
    void itemRefusals();
    void levelLimitCountsLoansAndQueue();
    void loanLimitNotice();
    void lendingThreeItems();
    void copyGoneBeforeLending();
    void receiptBytes();
    void reservations();
    void twoProcessesLendTheLastCopy();
};

void LendingTest::readerLookup_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("current"); // the current reader afterwards

    using R = LendingDesk::ReaderOutcome;
    QTest::newRow("number") << " R1 " << int(R::Accepted) << ""
                            << "R1";
    QTest::newRow("card number") << "C1" << int(R::Accepted) << ""
                                 << "R1";
    QTest::newRow("number before card") << "C2" << int(R::Accepted) << ""
                                        << "C2";
    QTest::newRow("quote matched literally")
        << "R1' or '1'='1" << int(R::NotFound) << "没有该编号/卡号的读者资料,请检查输入的是否正确!"
        << "";
    QTest::newRow("lost card")
        << "R2" << int(R::Refused)
        << "该用户状态是\"挂失\",所以不能使用,只有状态为\"正常\"的用户才可用!"
        << "";
    QTest::newRow("valid until yesterday")
        << "R3" << int(R::Refused) << "该读者有效期是: 2024-05-05 ,已经超期,不能借阅."
        << "";
    QTest::newRow("valid until today") << "R4" << int(R::Accepted) << ""
                                       << "R4";
    QTest::newRow("category missing")
        << "R5" << int(R::CategoryProblem)
        << "读者类别中没有该读者类别,请先去读者类别中设置好对应的类别及其参数"
        << "R5";
    QTest::newRow("loan days empty")
        << "R6" << int(R::CategoryProblem)
        << "读者类别“空天数”的借阅天数没有填写,请先去读者类别中设置好对应的参数"
        << "R6";
}

void LendingTest::readerLookup()
{
    QFETCH(QString, typed);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QString, current);
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    loginContext().readerValidityEnabled = true;
    const QDate today = kNow.date();
    addReader(QStringLiteral("R2"), QString(), QStringLiteral("挂失"), QStringLiteral("学生"));
    addReader(QStringLiteral("R3"), QString(), QStringLiteral("正常"), QStringLiteral("学生"),
              today.addDays(-1));
    addReader(QStringLiteral("R4"), QString(), QStringLiteral("正常"), QStringLiteral("学生"),
              today);
    addReader(QStringLiteral("R5"), QString(), QStringLiteral("正常"), QStringLiteral("无此类"));
    // C2 is one reader's number and another reader's card number.
    addReader(QStringLiteral("R0"), QStringLiteral("C2"), QStringLiteral("正常"),
              QStringLiteral("学生"));
    addReader(QStringLiteral("C2"), QString(), QStringLiteral("正常"), QStringLiteral("学生"));
    QVERIFY(
        Statement(QStringLiteral("insert into 读者类别 values ('空天数', null, 3, null)")).run());
    addReader(QStringLiteral("R6"), QString(), QStringLiteral("正常"), QStringLiteral("空天数"));

    LendingDesk desk;
    // A reader accepted before: a refused one drops him.
    QCOMPARE(desk.acceptReader(QStringLiteral("R1"), today).status,
             LendingDesk::ReaderOutcome::Accepted);
    const LendingDesk::ReaderOutcome out = desk.acceptReader(typed, today);
    QCOMPARE(int(out.status), status);
    QCOMPARE(out.message, message);
    if (status == LendingDesk::ReaderOutcome::NotFound)
        current = QStringLiteral("R1"); // a reader not found leaves the desk as it was
    QCOMPARE(desk.readerNumber(), current);
    if (status == LendingDesk::ReaderOutcome::Accepted) {
        QCOMPARE(desk.loanDays(), QStringLiteral("14"));
        QCOMPARE(desk.loanLimit(), QStringLiteral("3"));
        QCOMPARE(desk.categoryRent(), QStringLiteral("0.5"));
    }
    if (status == LendingDesk::ReaderOutcome::CategoryProblem) {
        // Nothing is queued or lent for him.
        addItem({QStringLiteral("B1")});
        QCOMPARE(queue(desk, QStringLiteral("B1")).message, message);
        QVERIFY(desk.queue().isEmpty());
        QCOMPARE(desk.lend(kNow, false).status, LendingDesk::LendOutcome::NothingQueued);
    }
}

void LendingTest::itemRefusals_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("message");

    QTest::newRow("not found") << "NONE"
                               << "图书"
                               << "编号"
                               << "没有找到该图书的数据,请重新输入.";
    QTest::newRow("periodical not found") << "B1"
                                          << "期刊"
                                          << "编号"
                                          << "没有找到该期刊的数据,请重新输入.";
    QTest::newRow("quote matched literally") << "B1' or '1'='1"
                                             << "图书"
                                             << "编号"
                                             << "没有找到该图书的数据,请重新输入.";
    QTest::newRow("no copy") << "B0"
                             << "图书"
                             << "编号"
                             << "数量不足.";
    QTest::newRow("not for loan") << "BX"
                                  << "图书"
                                  << "编号"
                                  << "该资料不外借,请与图书馆管理员联系!";
    QTest::newRow("reserved for another") << "BR"
                                          << "图书"
                                          << "编号"
                                          << "该图书已经被读者编号为: (R9) 的读者预定了，您不能借.";
    QTest::newRow("reserved with empty text")
        << "BE"
        << "图书"
        << "编号"
        << "该图书已经被读者编号为: () 的读者预定了，您不能借.";
    QTest::newRow("level limit by loans")
        << "TBL"
        << "图书"
        << "条形码"
        << "已经超出物品级别中规定的（ 珍本 ）的物品级别的可借数量，不能再借了!";
    QTest::newRow("unknown column") << "B1"
                                    << "图书"
                                    << "名称"
                                    << "只能按“编号”或“条形码”查找,不能按“名称”";
    QTest::newRow("unknown kind") << "B1"
                                  << "读者库"
                                  << "编号"
                                  << "物品类别只能是“图书”或“期刊”,不能是“读者库”";
}

void LendingTest::itemRefusals()
{
    QFETCH(QString, typed);
    QFETCH(QString, kind);
    QFETCH(QString, column);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    loginContext().reservationEnabled = true;
    addItem({QStringLiteral("B1")});
    addItem({QStringLiteral("B0"), 0});
    addItem({QStringLiteral("BX"), 2, QStringLiteral("不外借")});
    addItem({QStringLiteral("BR"),
             2,
             QStringLiteral("正常"),
             {},
             QStringLiteral("R9"),
             sqlDateTime(kNow.addDays(1))});
    addItem({QStringLiteral("BE"), 2, QStringLiteral("正常"), {}, QString(QLatin1String(""))});
    addItem({QStringLiteral("BL"), 2, QStringLiteral("正常"), QStringLiteral("珍本")});
    addOpenLoan(QStringLiteral("R1"), QStringLiteral("珍本"));
    addOpenLoan(QStringLiteral("R1"), QStringLiteral("珍本"));

    LendingDesk desk;
    // Without a reader nothing is looked up.
    QCOMPARE(desk.lookUpItems(kind, column, typed, kNow).message,
             QStringLiteral("请输入读者编号后按回车!"));
    QCOMPARE(desk.acceptReader(QStringLiteral("R1"), kNow.date()).status,
             LendingDesk::ReaderOutcome::Accepted);
    const LendingDesk::QueueOutcome out = queue(desk, typed, kind, column);
    QCOMPARE(out.status, LendingDesk::QueueOutcome::Refused);
    QCOMPARE(out.message, message);
    QVERIFY(desk.queue().isEmpty());
}

void LendingTest::levelLimitCountsLoansAndQueue()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    addItem({QStringLiteral("L1"), 2, QStringLiteral("正常"), QStringLiteral("珍本")});
    addItem({QStringLiteral("L2"), 2, QStringLiteral("正常"), QStringLiteral("珍本")});
    addItem({QStringLiteral("P1"), 2, QStringLiteral("正常"), {}, {}, {}, QStringLiteral("期刊")});
    addItem({QStringLiteral("N1")});
    addOpenLoan(QStringLiteral("R1"), QStringLiteral("珍本")); // a periodical counts too

    LendingDesk desk;
    desk.acceptReader(QStringLiteral("R1"), kNow.date());
    QCOMPARE(queue(desk, QStringLiteral("L1")).status, LendingDesk::QueueOutcome::Queued);
    QCOMPARE(desk.itemLevelRent(), QStringLiteral("1.5"));
    // Queued already: no message, queued once.
    const LendingDesk::QueueOutcome again = queue(desk, QStringLiteral("L1"));
    QCOMPARE(again.status, LendingDesk::QueueOutcome::AlreadyQueued);
    QVERIFY(again.message.isEmpty());
    // One loan and one queued entry of the level.
    const LendingDesk::QueueOutcome refused = queue(desk, QStringLiteral("L2"));
    QCOMPARE(refused.status, LendingDesk::QueueOutcome::Refused);
    QVERIFY(refused.message.contains(QStringLiteral("（ 珍本 ）")));
    // An item without a level is never limited by level; a periodical of the same 编号 as a
    // queued book is queued already.
    QCOMPARE(queue(desk, QStringLiteral("N1")).status, LendingDesk::QueueOutcome::Queued);
    QVERIFY(Statement(QStringLiteral("update 期刊 set 编号='L1' where 编号='P1'")).run());
    QCOMPARE(queue(desk, QStringLiteral("L1"), QStringLiteral("期刊")).status,
             LendingDesk::QueueOutcome::AlreadyQueued);
    QCOMPARE(desk.queue().size(), 2);
    // Removing asks about the entry by number and name.
    QCOMPARE(desk.removeQuestion(0), QStringLiteral("您是否要删除\" L1\",\"书名L1\""));
    desk.removeEntry(0);
    QCOMPARE(desk.queue().size(), 1);
    QCOMPARE(queue(desk, QStringLiteral("L2")).status, LendingDesk::QueueOutcome::Queued);
}

void LendingTest::loanLimitNotice()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    loginContext().loanLimitEnabled = true;
    addReader(QStringLiteral("R7"), QString(), QStringLiteral("正常"), QStringLiteral("学生"),
              QDate(2030, 1, 1), 2);
    for (const char *n : {"A1", "A2"})
        addItem({QString::fromUtf8(n)});
    LendingDesk desk;
    desk.acceptReader(QStringLiteral("R7"), kNow.date());
    const LendingDesk::QueueOutcome first = queue(desk, QStringLiteral("A1"));
    QVERIFY(!first.loanLimitNotice);
    QVERIFY(first.message.isEmpty());
    const LendingDesk::QueueOutcome second = queue(desk, QStringLiteral("A2"));
    QCOMPARE(second.status, LendingDesk::QueueOutcome::Queued);
    QVERIFY(second.loanLimitNotice);
    QCOMPARE(second.message, QStringLiteral("提示:该读者超过借阅数量!"));
    // A notice only: both are lent.
    QCOMPARE(desk.lend(kNow, false).lent.size(), 2);
    QCOMPARE(scalar(QStringLiteral("select 未还数量 from 读者库 where 读者编号='R7'")).toInt(), 4);
}

void LendingTest::lendingThreeItems()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    loginContext().rentEnabled = true; // item-level rent (0 without a level): reader rent off
    addItem({QStringLiteral("B1"), 1, QStringLiteral("正常"), QStringLiteral("珍本"),
             QStringLiteral("R9")}); // reserved, but reservations are off
    addItem({QStringLiteral("B2")});
    addItem({QStringLiteral("B'3")});
    addItem({QStringLiteral("P1"), 3, QStringLiteral("正常"), {}, {}, {}, QStringLiteral("期刊")});

    LendingDesk desk;
    desk.acceptReader(QStringLiteral("C1"), kNow.date());
    QCOMPARE(queue(desk, QStringLiteral("B1")).status, LendingDesk::QueueOutcome::Queued);
    QCOMPARE(queue(desk, QStringLiteral("TB'3"), QStringLiteral("图书"), QStringLiteral("条形码"))
                 .status,
             LendingDesk::QueueOutcome::Queued);
    QCOMPARE(queue(desk, QStringLiteral("P1"), QStringLiteral("期刊")).status,
             LendingDesk::QueueOutcome::Queued);
    QCOMPARE(desk.queue().at(0).fields(),
             QStringList({"B1", "TB1", "书名B1", "图书", "14", "1.5", "珍本"}));
    QCOMPARE(desk.queue().at(2).fields(),
             QStringList({"P1", "TP1", "书名P1", "期刊", "14", "0", ""}));

    const LendingDesk::LendOutcome out = desk.lend(kNow, true);
    QVERIFY2(out.status == LendingDesk::LendOutcome::Lent, qPrintable(out.message));
    QCOMPARE(out.message, QStringLiteral("借阅完毕!"));
    QVERIFY(out.refusals.isEmpty());
    QCOMPARE(out.lent.size(), 3);
    QVERIFY(!out.receipt.isEmpty());
    // The desk is empty, ready for the next reader.
    QVERIFY(!desk.hasReader());
    QVERIFY(desk.queue().isEmpty());

    QSqlQuery q(SharedConnection::database());
    QVERIFY(q.exec(QStringLiteral(
        "select 读者编号, 读者姓名, 编号, 名称, 条形码, 类别, 物品级别, 价格, 租金, 借阅日期, "
        "应还日期, 借阅经手人, 已还, 物品状况, 归还日期, cardId from 借出记录 order by id")));
    QStringList rows;
    while (q.next()) {
        QStringList f;
        for (int i = 0; i < 7; ++i)
            f << q.value(i).toString();
        f << Money::fromVariant(q.value(7)).toString() << Money::fromVariant(q.value(8)).toString()
          << dateTimeFromSql(q.value(9)).toString(Qt::ISODate)
          << dateTimeFromSql(q.value(10)).toString(Qt::ISODate);
        for (int i = 11; i < 14; ++i)
            f << q.value(i).toString();
        QVERIFY(q.value(14).isNull());
        QVERIFY(q.value(15).isNull());
        rows << f.join(QLatin1Char('|'));
    }
    QCOMPARE(rows, QStringList({
                       "R1|读者R1|B1|书名B1|TB1|图书|珍本|12.5|1.5|2024-05-06T00:00:00|"
                       "2024-05-20T00:00:00|张三|否|完好",
                       "R1|读者R1|B'3|书名B'3|TB'3|图书||12.5|0|2024-05-06T00:00:00|"
                       "2024-05-20T00:00:00|张三|否|完好",
                       "R1|读者R1|P1|书名P1|TP1|期刊||12.5|0|2024-05-06T00:00:00|"
                       "2024-05-20T00:00:00|张三|否|完好",
                   }));
    QCOMPARE(one(QStringLiteral("select 未还数量 || '/' || 累计借阅次数 from 读者库 where "
                                "读者编号='R1'")),
             QStringLiteral("3/10"));
    QCOMPARE(one(QStringLiteral("select 数量 || '/' || 借出次数 || '/' || coalesce(预定状况,'-') "
                                "from 图书 where 编号='B1'")),
             QStringLiteral("0/4/-"));
    QCOMPARE(one(QStringLiteral("select 数量 || '/' || 借出次数 from 图书 where 编号='B''3'")),
             QStringLiteral("1/4"));
    QCOMPARE(one(QStringLiteral("select 数量 || '/' || 借出次数 from 期刊 where 编号='P1'")),
             QStringLiteral("2/4"));
}

// Another workstation lends the last copy between queueing and lending: that entry is
// refused with the copy message, the other entries are lent.
void LendingTest::copyGoneBeforeLending()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    addItem({QStringLiteral("B1")});
    addItem({QStringLiteral("B2"), 1});
    addItem({QStringLiteral("B3")});
    LendingDesk desk;
    desk.acceptReader(QStringLiteral("R1"), kNow.date());
    for (const char *n : {"B1", "B2", "B3"})
        QCOMPARE(queue(desk, QString::fromUtf8(n)).status, LendingDesk::QueueOutcome::Queued);
    QVERIFY(Statement(QStringLiteral("update 图书 set 数量=0 where 编号='B2'")).run());

    const LendingDesk::LendOutcome out = desk.lend(kNow, true);
    QVERIFY2(out.status == LendingDesk::LendOutcome::Lent, qPrintable(out.message));
    QCOMPARE(out.lent.size(), 2);
    QCOMPARE(out.refusals, QStringList({"B2 \"书名B2\": 数量不足."}));
    QCOMPARE(out.refusalMessage(), QStringLiteral("以下物品没有借出:\nB2 \"书名B2\": 数量不足."));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 借出记录 where 编号='B2'")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("select 数量 from 图书 where 编号='B2'")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("select 未还数量 from 读者库 where 读者编号='R1'")).toInt(), 2);
    // The receipt numbers the lent items only.
    QVERIFY(out.receipt.contains(Gbk::encode(QStringLiteral("2:书名B3"))));
}

void LendingTest::receiptBytes()
{
    const QByteArray bytes = LendingDesk::receipt(
        QStringLiteral("第一图书馆"), {QStringLiteral("红楼梦"), QStringLiteral("Qt 6")},
        QDateTime(QDate(2024, 5, 6), QTime(9, 8, 7)), QStringLiteral("张三"));
    QByteArray expected = " \r\n" + Gbk::encode(QStringLiteral("第一图书馆")) + "\r\n" +
                          Gbk::encode(QStringLiteral("1:红楼梦")) + "\r\n2:Qt 6\r\n" +
                          Gbk::encode(QStringLiteral("打印时间:24-05-06 09:08:07")) + "\r\n" +
                          Gbk::encode(QStringLiteral("管理员: 张三")) + "\r\n" +
                          QByteArray("\x0B\x1B\x4A\x8C", 4);
    QCOMPARE(bytes, expected);
    QCOMPARE(Gbk::encode(QStringLiteral("第")).size(), 2);
}

void LendingTest::reservations()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    loginContext().reservationEnabled = true;
    addReader(QStringLiteral("R8"), QString(), QStringLiteral("正常"), QStringLiteral("学生"));
    const QVariant past = sqlDateTime(kNow.addSecs(-1));
    const QVariant future = sqlDateTime(kNow.addSecs(60));
    addItem({QStringLiteral("OLD"), 2, QStringLiteral("正常"), {}, QStringLiteral("R8"), past});
    addItem({QStringLiteral("MINE"), 2, QStringLiteral("正常"), {}, QStringLiteral("R1"), future});
    addItem({QStringLiteral("HIS"), 2, QStringLiteral("正常"), {}, QStringLiteral("R8"), future});
    addItem({QStringLiteral("QK"),
             2,
             QStringLiteral("正常"),
             {},
             QStringLiteral("R8"),
             past,
             QStringLiteral("期刊")});

    LendingDesk desk;
    desk.acceptReader(QStringLiteral("R1"), kNow.date());
    // Any lookup lapses the book reservations past their time; a periodical's stays.
    QVERIFY(!desk.lookUpItems(QStringLiteral("图书"), QStringLiteral("编号"),
                              QStringLiteral("NONE"), kNow)
                 .ok);
    QVERIFY(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='OLD'")).isNull());
    QVERIFY(scalar(QStringLiteral("select 预定到期时间 from 图书 where 编号='OLD'")).isNull());
    QCOMPARE(one(QStringLiteral("select 预定状况 from 图书 where 编号='HIS'")),
             QStringLiteral("R8"));
    QCOMPARE(one(QStringLiteral("select 预定状况 from 期刊 where 编号='QK'")),
             QStringLiteral("R8"));

    QCOMPARE(queue(desk, QStringLiteral("OLD")).status, LendingDesk::QueueOutcome::Queued);
    QCOMPARE(queue(desk, QStringLiteral("MINE")).status, LendingDesk::QueueOutcome::Queued);
    QCOMPARE(queue(desk, QStringLiteral("HIS")).status, LendingDesk::QueueOutcome::Refused);
    // The periodical's reservation is honoured although its time has passed.
    QCOMPARE(queue(desk, QStringLiteral("QK"), QStringLiteral("期刊")).status,
             LendingDesk::QueueOutcome::Refused);
    QCOMPARE(desk.lend(kNow, false).lent.size(), 2);
    // Lending consumes the reservation of the holder.
    QVERIFY(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='MINE'")).isNull());
    QVERIFY(scalar(QStringLiteral("select 预定到期时间 from 图书 where 编号='MINE'")).isNull());

    // With reservations off nothing lapses and nothing is honoured, but lending clears it.
    loginContext().reservationEnabled = false;
    desk.acceptReader(QStringLiteral("R1"), kNow.date());
    QCOMPARE(queue(desk, QStringLiteral("QK"), QStringLiteral("期刊")).status,
             LendingDesk::QueueOutcome::Queued);
    QCOMPARE(desk.lend(kNow, false).lent.size(), 1);
    QVERIFY(scalar(QStringLiteral("select 预定状况 from 期刊 where 编号='QK'")).isNull());
}

// Two workstations lend the last copy at the same moment: one loan, no copy below 0.
void LendingTest::twoProcessesLendTheLastCopy()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    baseRows();
    addReader(QStringLiteral("R2"), QString(), QStringLiteral("正常"), QStringLiteral("学生"));
    addItem({QStringLiteral("LAST"), 1});
    SharedConnection::close(); // the file is shared with the children only
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TSGL_RACE_CONNECTION"), t.connectionString());
    env.insert(QStringLiteral("TSGL_RACE_DIALECT"),
               t.dialect() == SqlDialect::Server ? QStringLiteral("pg") : QStringLiteral("sqlite"));
    env.insert(QStringLiteral("TSGL_RACE_START"),
               QString::number(QDateTime::currentMSecsSinceEpoch() + 1500));
    QProcess racers[2];
    const QString readers[2] = {QStringLiteral("R1"), QStringLiteral("R2")};
    for (int i = 0; i < 2; ++i) {
        env.insert(QStringLiteral("TSGL_RACE_READER"), readers[i]);
        racers[i].setProcessEnvironment(env);
        racers[i].start(QCoreApplication::applicationFilePath(), {});
    }
    int lent = 0;
    for (QProcess &p : racers) {
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        lent += p.readAllStandardOutput().toInt();
    }
    QString error;
    QVERIFY2(SharedConnection::open(t.connectionString(), t.dialect(), &error), qPrintable(error));
    QCOMPARE(lent, 1);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 借出记录")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("select 数量 from 图书 where 编号='LAST'")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("select sum(未还数量) from 读者库")).toInt(), 1);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TSGL_RACE_CONNECTION"))
        return raceForLastCopy();
    LendingTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "lending_dbtest.moc"
