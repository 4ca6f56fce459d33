// Finding unreturned loans and returning one: the loan, the item and the reader change
// together or not at all, and a loan is returned only once.
#include "TestDb.h"

#include "circulation/Returning.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

const QDate kToday(2024, 3, 15);
// Marks a date or a typed value that is not there.
constexpr int kNone = -999;
const QString kNotTyped = QStringLiteral("-");

void run(Statement st)
{
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

void addReader(const QString &number, const QString &card, int owing, const QVariant &balance)
{
    Statement st(QStringLiteral(
        "insert into 读者库(读者编号,CardId,读者姓名,状态,未还数量,卡内金额) values("));
    st.value(number).text(",").value(card).text(",").value(QStringLiteral("李四"));
    st.text(",").value(QStringLiteral("正常")).text(",").value(owing).text(",").value(balance);
    run(st.text(")"));
}

void addItem(const QString &table, const QString &number, int quantity)
{
    Statement st(QStringLiteral("insert into ") + table +
                 "(编号,名称,条形码,数量,存放位置) values(");
    st.value(number).text(",").value(QStringLiteral("红楼梦")).text(",");
    st.value(QStringLiteral("TM") + number).text(",").value(quantity).text(",");
    run(st.value(QStringLiteral("三楼A架")).text(")"));
}

QVariant dayOrNull(int offset)
{
    return offset == kNone ? QVariant(QMetaType(QMetaType::QString))
                           : sqlDate(kToday.addDays(offset));
}

// A loan as lending writes it: lent `lent` days from today, due `due` days from today.
qint64 addLoan(const QString &reader, const QString &kind, const QString &item, int lent, int due,
               const QVariant &rentPerDay)
{
    Statement st(QStringLiteral("insert into 借出记录(读者编号,读者姓名,编号,名称,条形码,类别,"
                                "借阅日期,应还日期,租金,借阅经手人,已还,物品状况) values("));
    st.value(reader).text(",").value(QStringLiteral("李四")).text(",").value(item).text(",");
    st.value(QStringLiteral("红楼梦")).text(",").value(QStringLiteral("TM") + item).text(",");
    st.value(kind).text(",").value(dayOrNull(lent)).text(",").value(dayOrNull(due)).text(",");
    st.value(rentPerDay).text(",").value(QStringLiteral("王管理")).text(",");
    st.value(QStringLiteral("否")).text(",").value(QStringLiteral("完好")).text(")");
    QString error;
    if (!st.run(&error))
        qFatal("%s", qPrintable(error));
    return scalar(QStringLiteral("select max(id) from 借出记录")).toLongLong();
}

QSqlRecord loanRow(qint64 id)
{
    QSqlQuery q = Statement(QStringLiteral("select * from 借出记录 where id=")).value(id).exec();
    q.next();
    return q.record();
}

int quantityOf(const QString &table, const QString &number)
{
    return Statement(QStringLiteral("select 数量 from ") + table + " where 编号=")
        .value(number)
        .scalar()
        .toInt();
}

QVariant readerValue(const QString &column, const QString &number)
{
    return Statement(QStringLiteral("select ") + column + " from 读者库 where 读者编号=")
        .value(number)
        .scalar();
}

QString moneyOrEmpty(const QVariant &v)
{
    return v.isNull() ? QString() : Money::fromVariant(v).toString();
}

void settings(bool rentOn, bool fineOn)
{
    LoginContext &ctx = loginContext();
    ctx.adminName = QStringLiteral("赵还书");
    ctx.rentEnabled = rentOn;
    ctx.overdueFineEnabled = fineOn;
    ctx.overdueFinePerDay = Money::fromRaw(1000); // 0.1 a day
}

std::optional<QString> typed(const QString &text)
{
    if (text == kNotTyped)
        return std::nullopt;
    return text;
}

} // namespace

class ReturningTest : public QObject {
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void cardLookup();
    void shelfPlaceAndFocus();
    void returnOne_data();
    void returnOne();
    void refused_data();
    void refused();
    void returnedTwice();
    void errorRollsEverythingBack();
};

void ReturningTest::search_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QStringList>("found"); // 编号 of the loans, in order
    QTest::newRow("by reader") << ""
                               << ""
                               << "R1" << QStringList{"B1", "B2", "Q1"};
    QTest::newRow("by item") << "B2"
                             << ""
                             << "" << QStringList{"B2"};
    QTest::newRow("by barcode") << ""
                                << "TMB1"
                                << "" << QStringList{"B1"};
    QTest::newRow("all three") << "B1"
                               << "TMB1"
                               << "R1" << QStringList{"B1"};
    QTest::newRow("not matching together") << "B1"
                                           << ""
                                           << "R2" << QStringList{};
    // Matched as typed: a quote is text, blanks are not trimmed.
    QTest::newRow("quote") << "B1' or '1'='1"
                           << ""
                           << "" << QStringList{};
    QTest::newRow("blank kept") << ""
                                << ""
                                << "R1 " << QStringList{};
}

void ReturningTest::search()
{
    QFETCH(QString, item);
    QFETCH(QString, barcode);
    QFETCH(QString, reader);
    QFETCH(QStringList, found);
    TestDb t;
    TSGL_FRESH_DB(t);
    addLoan("R1", "图书", "B1", -5, 25, QVariant());
    const qint64 returned = addLoan("R1", "图书", "B3", -5, 25, QVariant());
    run(Statement("update 借出记录 set 已还='是' where id=").value(returned));
    addLoan("R1", "图书", "B2", -4, 26, QVariant());
    addLoan("R2", "图书", "B9", -4, 26, QVariant());
    addLoan("R1", "期刊", "Q1", -3, 27, QVariant());

    const Returning::SearchResult r = Returning::search({item, barcode, reader});
    QVERIFY2(r.ok, qPrintable(r.message));
    QStringList numbers;
    for (const Returning::Loan &l : r.loans)
        numbers << l.itemNumber;
    QCOMPARE(numbers, found);
}

void ReturningTest::cardLookup()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QCOMPARE(Returning::search({}).message, QStringLiteral("请输入搜索条件!"));
    addReader("R1", "C-100", 1, QVariant());
    const Returning::CardLookup found = Returning::readerOfCard("C-100");
    QVERIFY(found.found);
    QCOMPARE(found.readerNumber, QStringLiteral("R1"));
    const Returning::CardLookup missing = Returning::readerOfCard("C-1001");
    QVERIFY(!missing.found);
    QCOMPARE(missing.message, QStringLiteral("找不到该卡号的资料!"));
}

void ReturningTest::shelfPlaceAndFocus()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addItem("期刊", "Q1", 1);
    addLoan("R1", "期刊", "Q1", -1, 20, QVariant());
    addLoan("R1", "图书", "Q1", -1, 20, QVariant());   // no such book
    addLoan("R1", "读者库", "Q1", -1, 20, QVariant()); // not an item table
    const QList<Returning::Loan> loans = Returning::search({"", "", "R1"}).loans;
    QCOMPARE(loans.size(), 3);
    QCOMPARE(Returning::shelfPlace(loans[0]), QStringLiteral("三楼A架"));
    QVERIFY(Returning::shelfPlace(loans[1]).isEmpty());
    QVERIFY(Returning::shelfPlace(loans[2]).isEmpty());

    run(Statement("update 系统设置 set 归还焦点图书编号=0, 归还焦点条形码=0, 归还焦点读者编号=0"));
    QCOMPARE(Returning::focusField(), QString());
    run(Statement("update 系统设置 set 归还焦点条形码=1"));
    QCOMPARE(Returning::focusField(), QStringLiteral("条形码"));
    run(Statement("update 系统设置 set 归还焦点图书编号=1, 归还焦点读者编号=1"));
    QCOMPARE(Returning::focusField(), QStringLiteral("读者编号"));
}

void ReturningTest::returnOne_data()
{
    QTest::addColumn<int>("lent");          // days from today, kNone: no 借阅日期
    QTest::addColumn<int>("due");           // days from today, kNone: no 应还日期
    QTest::addColumn<QVariant>("perDay");   // 租金 of the loan
    QTest::addColumn<QString>("condition"); // damage group's 物品状况, empty: not used
    QTest::addColumn<int>("owing");         // reader's 未还数量 before
    QTest::addColumn<bool>("rentOn");
    QTest::addColumn<bool>("fineOn");
    QTest::addColumn<QString>("period"); // typed 实际租期, kNotTyped: computed
    QTest::addColumn<QString>("rent");   // typed 实际租金, kNotTyped: computed
    QTest::addColumn<int>("wantPeriod");
    QTest::addColumn<QString>("wantRent"); // 实际租金 recorded, empty: null
    QTest::addColumn<QString>("wantFine"); // 罚金 recorded, empty: null
    QTest::addColumn<int>("wantQuantity");
    QTest::addColumn<int>("wantOwing");
    QTest::addColumn<QString>("wantBalance"); // from 100

    const QVariant none;
    QTest::newRow("same day") << 0 << 30 << QVariant("0.3") << "" << 2 << true << true << kNotTyped
                              << kNotTyped << 1 << "0.3"
                              << "0" << 4 << 1 << "99.7";
    QTest::newRow("ten days at 0.5") << -10 << 20 << QVariant("0.5") << "" << 1 << true << true
                                     << kNotTyped << kNotTyped << 10 << "5"
                                     << "0" << 4 << 0 << "95";
    QTest::newRow("overdue one day")
        << -31 << -1 << none << "" << 1 << true << true << kNotTyped << kNotTyped << 31 << "0"
        << "0.1" << 4 << 0 << "99.9";
    QTest::newRow("due today") << -30 << 0 << none << "" << 1 << true << true << kNotTyped
                               << kNotTyped << 30 << "0"
                               << "0" << 4 << 0 << "100";
    QTest::newRow("lost") << -3 << 27 << none << "丢失" << 1 << true << true << kNotTyped
                          << kNotTyped << 3 << "0"
                          << "0" << 3 << 0 << "100";
    QTest::newRow("damaged") << -3 << 27 << none << "破损" << 1 << true << true << kNotTyped
                             << kNotTyped << 3 << "0"
                             << "0" << 4 << 0 << "100";
    QTest::newRow("nothing owed stays 0")
        << -3 << 27 << none << "" << 0 << true << true << kNotTyped << kNotTyped << 3 << "0"
        << "0" << 4 << 0 << "100";
    QTest::newRow("rent on, fine off") << -10 << -2 << QVariant("0.5") << "" << 1 << true << false
                                       << kNotTyped << kNotTyped << 10 << "5"
                                       << "" << 4 << 0 << "95";
    QTest::newRow("fine on, rent off") << -10 << -2 << QVariant("0.5") << "" << 1 << false << true
                                       << kNotTyped << kNotTyped << 10 << ""
                                       << "0.2" << 4 << 0 << "99.8";
    QTest::newRow("both off") << -10 << -2 << QVariant("0.5") << "" << 1 << false << false
                              << kNotTyped << kNotTyped << 10 << ""
                              << "" << 4 << 0 << "100";
    // The operator's values are recorded and charged; the fine stays the computed one.
    QTest::newRow("typed period and rent")
        << -10 << -2 << QVariant("0.5") << "" << 1 << true << true << "３"
        << "2.5" << 3 << "2.5"
        << "0.2" << 4 << 0 << "97.3";
    QTest::newRow("typed rent empty")
        << -10 << 20 << QVariant("0.5") << "" << 1 << true << true << "10"
        << "" << 10 << "0"
        << "0" << 4 << 0 << "100";
    QTest::newRow("typed rent not a number")
        << -10 << 20 << QVariant("0.5") << "" << 1 << true << true << "10"
        << "五元" << 10 << "0"
        << "0" << 4 << 0 << "100";
    QTest::newRow("typed period only")
        << -10 << 20 << QVariant("0.5") << "" << 1 << true << true << "4" << kNotTyped << 4 << "2"
        << "0" << 4 << 0 << "98";
    // Without a lending date the operator's period is used; without a due date no fine.
    QTest::newRow("no dates, period typed") << kNone << kNone << QVariant("0.5") << "" << 1 << true
                                            << true << "2" << kNotTyped << 2 << "1"
                                            << "0" << 4 << 0 << "99";
}

void ReturningTest::returnOne()
{
    QFETCH(int, lent);
    QFETCH(int, due);
    QFETCH(QVariant, perDay);
    QFETCH(QString, condition);
    QFETCH(int, owing);
    QFETCH(bool, rentOn);
    QFETCH(bool, fineOn);
    QFETCH(QString, period);
    QFETCH(QString, rent);
    TestDb t;
    TSGL_FRESH_DB(t);
    settings(rentOn, fineOn);
    addReader("R1", "C1", owing, "100");
    addReader("R2", "C2", 5, "100");
    addItem("图书", "B1", 3);
    addItem("图书", "B2", 3);
    const qint64 id = addLoan("R1", "图书", "B1", lent, due, perDay);
    const qint64 other = addLoan("R2", "图书", "B2", -40, -10, "1");

    Returning::ReturnRequest request;
    request.loanId = id;
    request.rentPeriod = typed(period);
    request.rent = typed(rent);
    if (!condition.isEmpty()) {
        request.damageUsed = true;
        request.condition = condition;
        request.compensation = QStringLiteral("１2.5");
        request.remark = QStringLiteral("封面撕破'");
    }
    const Returning::ReturnOutcome out = Returning::returnLoan(request, kToday);
    QVERIFY2(out.ok, qPrintable(out.message));
    QCOMPARE(out.message, QStringLiteral("归还完毕!"));

    const QSqlRecord loan = loanRow(id);
    QCOMPARE(loan.value("已还").toString(), QStringLiteral("是"));
    QCOMPARE(dateFromSql(loan.value("归还日期")), kToday);
    QCOMPARE(loan.value("归还经手人").toString(), QStringLiteral("赵还书"));
    QTEST(loan.value("实际租期").toInt(), "wantPeriod");
    QTEST(moneyOrEmpty(loan.value("实际租金")), "wantRent");
    QTEST(moneyOrEmpty(loan.value("罚金")), "wantFine");
    if (condition.isEmpty()) {
        QCOMPARE(loan.value("物品状况").toString(), QStringLiteral("完好"));
        QVERIFY(loan.value("赔偿金额").isNull());
    } else {
        QCOMPARE(loan.value("物品状况").toString(), condition);
        QCOMPARE(moneyOrEmpty(loan.value("赔偿金额")), QStringLiteral("12.5"));
        QCOMPARE(loan.value("归还备注").toString(), QStringLiteral("封面撕破'"));
    }
    QTEST(quantityOf("图书", "B1"), "wantQuantity");
    QTEST(readerValue("未还数量", "R1").toInt(), "wantOwing");
    QTEST(moneyOrEmpty(readerValue("卡内金额", "R1")), "wantBalance");

    // Nobody else is touched.
    QCOMPARE(loanRow(other).value("已还").toString(), QStringLiteral("否"));
    QCOMPARE(quantityOf("图书", "B2"), 3);
    QCOMPARE(readerValue("未还数量", "R2").toInt(), 5);
    QCOMPARE(moneyOrEmpty(readerValue("卡内金额", "R2")), QStringLiteral("100"));
}

void ReturningTest::refused_data()
{
    QTest::addColumn<int>("lent");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("compensation");
    QTest::addColumn<QString>("message");
    const QString badPeriod = QStringLiteral("实际租期必须是1或更大的整数(天数)!");
    QTest::newRow("period 0") << -3 << "0"
                              << "" << badPeriod;
    QTest::newRow("period negative") << -3 << "-2"
                                     << "" << badPeriod;
    QTest::newRow("period with decimals") << -3 << "1.5"
                                          << "" << badPeriod;
    QTest::newRow("period letters") << -3 << "abc"
                                    << "" << badPeriod;
    QTest::newRow("period empty") << -3 << ""
                                  << "" << badPeriod;
    QTest::newRow("no lending date, no period")
        << kNone << kNotTyped << ""
        << QStringLiteral("该借阅记录缺少借阅日期或应还日期,无法计算租期,"
                          "请在\"实际租期\"中输入租期(天数)后再归还.");
    QTest::newRow("compensation letters")
        << -3 << kNotTyped << "十元" << QStringLiteral("赔偿金额必须是数字!");
}

void ReturningTest::refused()
{
    QFETCH(int, lent);
    QFETCH(QString, period);
    QFETCH(QString, compensation);
    TestDb t;
    TSGL_FRESH_DB(t);
    settings(true, true);
    addReader("R1", "C1", 1, "100");
    addItem("图书", "B1", 3);
    const qint64 id = addLoan("R1", "图书", "B1", lent, 20, "1");

    Returning::ReturnRequest request;
    request.loanId = id;
    request.rentPeriod = typed(period);
    request.damageUsed = !compensation.isEmpty();
    request.condition = QStringLiteral("破损");
    request.compensation = compensation;
    const Returning::ReturnOutcome out = Returning::returnLoan(request, kToday);
    QVERIFY(!out.ok);
    QTEST(out.message, "message");

    const QSqlRecord loan = loanRow(id);
    QCOMPARE(loan.value("已还").toString(), QStringLiteral("否"));
    QVERIFY(loan.value("归还日期").isNull());
    QCOMPARE(loan.value("物品状况").toString(), QStringLiteral("完好"));
    QCOMPARE(quantityOf("图书", "B1"), 3);
    QCOMPARE(readerValue("未还数量", "R1").toInt(), 1);
    QCOMPARE(moneyOrEmpty(readerValue("卡内金额", "R1")), QStringLiteral("100"));
}

void ReturningTest::returnedTwice()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    settings(true, true);
    addReader("R1", "C1", 2, "100");
    addItem("图书", "B1", 3);
    const qint64 id = addLoan("R1", "图书", "B1", -12, -2, "0.5");
    Returning::ReturnRequest request;
    request.loanId = id;
    QVERIFY(Returning::returnLoan(request, kToday).ok);
    QCOMPARE(moneyOrEmpty(readerValue("卡内金额", "R1")), QStringLiteral("93.8"));

    // The second attempt, a day later (as from another workstation), changes nothing.
    request.rentPeriod = QStringLiteral("20");
    const Returning::ReturnOutcome again = Returning::returnLoan(request, kToday.addDays(1));
    QVERIFY(!again.ok);
    QCOMPARE(again.message, Returning::kAlreadyReturned);
    QVERIFY(!Returning::unreturnedLoan(id));
    const QSqlRecord loan = loanRow(id);
    QCOMPARE(dateFromSql(loan.value("归还日期")), kToday);
    QCOMPARE(loan.value("实际租期").toInt(), 12);
    QCOMPARE(quantityOf("图书", "B1"), 4);
    QCOMPARE(readerValue("未还数量", "R1").toInt(), 1);
    QCOMPARE(moneyOrEmpty(readerValue("卡内金额", "R1")), QStringLiteral("93.8"));
    QVERIFY(Returning::search({"B1", "", ""}).loans.isEmpty());
}

void ReturningTest::errorRollsEverythingBack()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    settings(true, true);
    addItem("图书", "B1", 3);
    const qint64 id = addLoan("R1", "图书", "B1", -3, 20, "1");
    // The reader's update, the last write of the return, fails: its table is gone.
    run(Statement("drop table 读者库"));
    Returning::ReturnRequest request;
    request.loanId = id;
    const Returning::ReturnOutcome out = Returning::returnLoan(request, kToday);
    QVERIFY(!out.ok);
    QVERIFY(!out.message.isEmpty());
    QVERIFY(Returning::unreturnedLoan(id));
    QVERIFY(loanRow(id).value("归还日期").isNull());
    QCOMPARE(quantityOf("图书", "B1"), 3);
}

QTEST_GUILESS_MAIN(ReturningTest)
#include "returning_dbtest.moc"
