// The return window driven offscreen: searched, loans returned one by one, prompts read.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ResultGrid.h"
#include "app/WindowRegistry.h"
#include "circulation/BkReturnUt.h"
#include "circulation/CirculationDesk.h"
#include "circulation/ReturnWindows.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QDate kToday = QDate::currentDate();

void run(Statement st)
{
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

void addLoan(const QString &kind, const QString &item, const QVariant &lent, const QVariant &due,
             const QVariant &rentPerDay)
{
    Statement st(
        QStringLiteral("insert into 借出记录(读者编号,读者姓名,编号,名称,条形码,类别,"
                       "借阅日期,应还日期,租金,借阅经手人,已还,物品状况) values('R1','李四',"));
    st.value(item).text(",").value(QStringLiteral("书名") + item).text(",");
    st.value(QStringLiteral("TM") + item).text(",").value(kind).text(",").value(lent);
    st.text(",").value(due).text(",").value(rentPerDay).text(",'王管理','否','完好')");
    run(st);
}

QVariant day(int offset)
{
    return sqlDate(kToday.addDays(offset));
}

// Reader R1 (card C1) with three loans out: B1 ten days overdue, B2 and the periodical Q1.
void library()
{
    LoginContext &ctx = loginContext();
    ctx.adminName = QStringLiteral("赵还书");
    ctx.rentEnabled = true;
    ctx.overdueFineEnabled = true;
    ctx.overdueFinePerDay = Money::fromRaw(1000);
    run(Statement("insert into 读者库(读者编号,CardId,读者姓名,状态,未还数量,卡内金额) "
                  "values('R1','C1','李四','正常',3,100)"));
    for (const char *table : {"图书", "期刊"})
        run(Statement(QStringLiteral("insert into ") + QString::fromUtf8(table) +
                      "(编号,名称,数量,存放位置) values(" +
                      (QString::fromUtf8(table) == QStringLiteral("图书") ? "'B1'" : "'Q1'") +
                      ",'书',2,'三楼A架')"));
    run(Statement("insert into 图书(编号,名称,数量,存放位置) values('B2','书',0,'二楼')"));
    addLoan("图书", "B1", day(-40), day(-10), "0.5");
    addLoan("图书", "B2", day(-5), day(25), "0.5");
    addLoan("期刊", "Q1", day(-3), day(27), QVariant());
}

void enter(QLineEdit *field)
{
    QTest::keyClick(field, Qt::Key_Return);
}

QString loanState(const QString &item)
{
    return Statement("select 已还 from 借出记录 where 编号=").value(item).scalar().toString();
}

int quantityOf(const QString &table, const QString &item)
{
    return Statement(QStringLiteral("select 数量 from ") + table + " where 编号=")
        .value(item)
        .scalar()
        .toInt();
}

} // namespace

class ReturningWindowTest : public QObject {
    Q_OBJECT
private slots:
    void returnsOneByOne();
    void cardSearch();
    void refusedInput();
    void damageGroup();
    void loanWithoutDates();
    void oneWindowFromTheMainWindow();
    void borrowingWindowByF5();
};

void ReturningWindowTest::returnsOneByOne()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    library();
    PromptRecorder prompts;
    TBkReturnFm w;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("归还操作"));

    w.readerField()->setText(QStringLiteral("R1"));
    enter(w.readerField());
    QCOMPARE(w.grid()->rowCount(), 3);
    QCOMPARE(w.countLabel()->text(), QStringLiteral("当前数量: 3"));
    QCOMPARE(w.currentItemField()->text(), QStringLiteral("B1"));
    QCOMPARE(w.rentPeriodField()->text(), QStringLiteral("40"));
    QCOMPARE(w.rentField()->text(), QStringLiteral("20"));
    QCOMPARE(w.daysOverdueField()->text(), QStringLiteral("10"));
    QCOMPARE(w.fineField()->text(), QStringLiteral("1"));
    QCOMPARE(w.shelfField()->text(), QStringLiteral("三楼A架"));
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("超期罚金是:1 元.")});

    const QStringList order = {"B2", "Q1"};
    for (int left = 2; left >= 0; --left) {
        prompts.clear();
        QTest::mouseClick(w.returnButton(), Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("归还完毕!")});
        QCOMPARE(w.grid()->rowCount(), left);
        QCOMPARE(w.countLabel()->text(), QStringLiteral("当前数量: %1").arg(left));
        if (left > 0) {
            QCOMPARE(w.currentItemField()->text(), order[2 - left]);
            QCOMPARE(w.daysOverdueField()->text(),
                     left == 2 ? QStringLiteral("-25") : QStringLiteral("-27"));
        }
    }
    QVERIFY(w.currentItemField()->text().isEmpty());
    QVERIFY(w.rentPeriodField()->text().isEmpty());
    QVERIFY(w.fineField()->text().isEmpty());
    for (const QString &item : {"B1", "B2", "Q1"})
        QCOMPARE(loanState(item), QStringLiteral("是"));
    QCOMPARE(quantityOf("图书", "B2"), 1);
    QCOMPARE(quantityOf("期刊", "Q1"), 3);
    QCOMPARE(scalar("select 未还数量 from 读者库").toInt(), 0);
    // 20 + 1 for B1, 2.5 for B2, no rent for Q1.
    QCOMPARE(Money::fromVariant(scalar("select 卡内金额 from 读者库")).toString(),
             QStringLiteral("76.5"));

    // A search with no condition.
    prompts.clear();
    w.readerField()->clear();
    QTest::mouseClick(w.searchButton(), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("请输入搜索条件!"));
}

void ReturningWindowTest::cardSearch()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    library();
    PromptRecorder prompts;
    TBkReturnFm w;
    w.show();
    w.cardField()->setText(QStringLiteral("C9"));
    enter(w.cardField());
    QCOMPARE(prompts.last(), QStringLiteral("找不到该卡号的资料!"));
    QCOMPARE(w.grid()->rowCount(), 0);

    w.cardField()->setText(QStringLiteral("C1"));
    enter(w.cardField());
    QCOMPARE(w.readerField()->text(), QStringLiteral("R1"));
    QVERIFY(w.cardField()->text().isEmpty());
    QCOMPARE(w.grid()->rowCount(), 3);

    // 取消 empties the list; 归还 then does nothing.
    QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
    QCOMPARE(w.grid()->rowCount(), 0);
    QVERIFY(w.readerField()->text().isEmpty());
    QCOMPARE(w.countLabel()->text(), QStringLiteral("当前数量: 0"));
    prompts.clear();
    QTest::mouseClick(w.returnButton(), Qt::LeftButton);
    QVERIFY(prompts.texts().isEmpty());
    QCOMPARE(loanState("B1"), QStringLiteral("否"));
}

void ReturningWindowTest::refusedInput()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    library();
    PromptRecorder prompts;
    TBkReturnFm w;
    w.show();
    w.itemField()->setText(QStringLiteral("B2"));
    enter(w.itemField());
    QCOMPARE(w.grid()->rowCount(), 1);
    QVERIFY(prompts.texts().isEmpty()); // not overdue: no fine message

    for (const QString &period : {QString(), QStringLiteral("0")}) {
        w.rentPeriodField()->setText(period);
        QTest::mouseClick(w.returnButton(), Qt::LeftButton);
        QCOMPARE(prompts.last(), Returning::kBadRentPeriod);
        QCOMPARE(loanState("B2"), QStringLiteral("否"));
    }
    // A changed period takes the rent along; full-width digits count.
    w.rentPeriodField()->clear();
    QTest::sendKeyEvent(QTest::Click, w.rentPeriodField(), Qt::Key_unknown, QStringLiteral("３"),
                        Qt::NoModifier);
    QCOMPARE(w.rentPeriodField()->text(), QStringLiteral("3"));
    QCOMPARE(w.rentField()->text(), QStringLiteral("1.5"));
    QTest::mouseClick(w.returnButton(), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("归还完毕!"));
    QCOMPARE(scalar("select 实际租期 from 借出记录 where 编号='B2'").toInt(), 3);
    QCOMPARE(Money::fromVariant(scalar("select 卡内金额 from 读者库")).toString(),
             QStringLiteral("98.5"));
}

void ReturningWindowTest::damageGroup()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    library();
    PromptRecorder prompts;
    TBkReturnFm w;
    w.show();
    QVERIFY(!w.damageBox()->isChecked());
    QVERIFY(!w.damageGroup()->isVisible());
    w.damageBox()->setChecked(true);
    QVERIFY(w.damageGroup()->isVisible());

    w.itemField()->setText(QStringLiteral("Q1"));
    enter(w.itemField());
    QCOMPARE(w.conditionBox()->currentText(), QStringLiteral("完好"));
    w.conditionBox()->setCurrentText(QStringLiteral("丢失"));
    w.compensationField()->setText(QStringLiteral("30"));
    QTest::mouseClick(w.returnButton(), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("归还完毕!"));
    QCOMPARE(quantityOf("期刊", "Q1"), 2); // a lost copy stays off the shelf
    QCOMPARE(scalar("select 物品状况 from 借出记录 where 编号='Q1'").toString(),
             QStringLiteral("丢失"));
    QCOMPARE(Money::fromVariant(scalar("select 赔偿金额 from 借出记录 where 编号='Q1'")),
             Money::fromYuan(30));

    w.damageBox()->setChecked(false);
    QVERIFY(!w.damageGroup()->isVisible());
}

void ReturningWindowTest::loanWithoutDates()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    library();
    run(Statement("update 借出记录 set 借阅日期=null where 编号='B2'"));
    PromptRecorder prompts;
    TBkReturnFm w;
    w.show();
    w.barcodeField()->setText(QStringLiteral("TMB2"));
    enter(w.barcodeField());
    QCOMPARE(w.grid()->rowCount(), 1);
    QVERIFY(w.rentPeriodField()->text().isEmpty());
    QVERIFY(w.rentField()->text().isEmpty());
    QVERIFY(w.daysOverdueField()->text().isEmpty());
    QVERIFY(w.fineField()->text().isEmpty());
    QVERIFY(prompts.texts().isEmpty());

    QTest::mouseClick(w.returnButton(), Qt::LeftButton);
    QCOMPARE(prompts.last(), Returning::kRentPeriodNeeded);
    QCOMPARE(loanState("B2"), QStringLiteral("否"));
    QTest::keyClicks(w.rentPeriodField(), QStringLiteral("2"));
    QCOMPARE(w.rentField()->text(), QStringLiteral("1"));
    QTest::mouseClick(w.returnButton(), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("归还完毕!"));
    QCOMPARE(loanState("B2"), QStringLiteral("是"));
}

void ReturningWindowTest::oneWindowFromTheMainWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    library();
    PromptRecorder prompts;
    WindowRegistry::registerAll();
    const WindowRegistry::Factory factory = WindowRegistry::find(QStringLiteral("归    还"));
    QVERIFY(factory);
    QWidget *first = factory(nullptr);
    QVERIFY(qobject_cast<TBkReturnFm *>(first));
    QCOMPARE(factory(nullptr), first);
    first->close();
    delete first;
    QWidget *second = factory(nullptr);
    QVERIFY(second);
    delete second;
}

void ReturningWindowTest::borrowingWindowByF5()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    library();
    PromptRecorder prompts;
    WindowRegistry::registerAll();
    // Until the borrowing window is built into this program, a stand-in takes its command.
    if (!WindowRegistry::find(CirculationDesk::BorrowCommand))
        WindowRegistry::add(CirculationDesk::BorrowCommand,
                            [](QWidget *parent) -> QWidget * { return new QDialog(parent); });
    auto *w = new TBkReturnFm;
    w->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<TBkReturnFm> returning(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w) || w->isVisible());
    QTest::keyClick(w, Qt::Key_F5);
    QPointer<QWidget> borrowing = CirculationDesk::window(CirculationDesk::BorrowCommand);
    QVERIFY(borrowing);
    QVERIFY(borrowing->isVisible());
    // F5 again brings up the same window, not a second one.
    QTest::keyClick(w, Qt::Key_F5);
    QCOMPARE(CirculationDesk::window(CirculationDesk::BorrowCommand), borrowing.data());

    // Closing the return window closes both.
    w->close();
    QTRY_VERIFY(!returning);
    QTRY_VERIFY(!borrowing || !borrowing->isVisible());
    QVERIFY(!CirculationDesk::window(CirculationDesk::ReturnCommand));
    QVERIFY(!CirculationDesk::window(CirculationDesk::BorrowCommand));
}

QTEST_MAIN(ReturningWindowTest)
#include "returning_uitest.moc"
