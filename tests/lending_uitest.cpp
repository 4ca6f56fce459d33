// The borrowing window, driven offscreen: a reader typed with Enter, items typed with Enter,
// a duplicate chosen, an entry removed, 借出 pressed, the database checked.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ResultGrid.h"
#include "app/WindowRegistry.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BorrowOptUt.h"
#include "circulation/CirculationDesk.h"
#include "db/LoginContext.h"
#include "db/Statement.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

namespace {

void run(const QString &sql, const QVariantList &values = {})
{
    QString error;
    QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
}

void addBook(const QString &number, const QString &barcode)
{
    run(QStringLiteral("insert into 图书 (编号, 条形码, 名称, 数量, 状态, 价格, 借出次数) "
                       "values (?, ?, ?, 2, '正常', 20, 0)"),
        {number, barcode, QStringLiteral("书名") + number});
}

void fixture()
{
    run(QStringLiteral("insert into 读者类别 values ('学生', 14, 3, 0)"));
    run(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, 性别, 状态, 类别, 未还数量, "
                       "累计借阅次数, 卡内金额, 有效期) "
                       "values ('R1', '王小明', '男', '正常', '学生', 0, 0, 50, '2030-01-01')"));
    addBook(QStringLiteral("B1"), QStringLiteral("TB1"));
    addBook(QStringLiteral("D1"), QStringLiteral("DUP"));
    addBook(QStringLiteral("D2"), QStringLiteral("DUP"));
    loginContext().adminName = QStringLiteral("张三");
    loginContext().enterKeySearch = true;
}

void enter(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

QStringList row(QTreeWidget *view, int i)
{
    QStringList cells;
    for (int c = 0; c < view->columnCount(); ++c)
        cells << view->topLevelItem(i)->text(c);
    return cells;
}

} // namespace

class LendingUiTest : public QObject {
    Q_OBJECT
private slots:
    void walkingTheDesk();
    void shownFields_data();
    void shownFields();
    void itemWithoutReader();
    void buttonSearchAndPickers();
    void returnWindowByF6();
};

void LendingUiTest::walkingTheDesk()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fixture();
    // The lookup column is read from the settings when the window is shown.
    run(QStringLiteral("update 系统设置 set 借阅焦点编号=1, 借阅焦点条形码=1"));
    PromptRecorder prompts;
    TBkBorrowFm w;
    QVector<int> offered;
    w.setDuplicateChooser([&offered](const QVector<QSqlRecord> &rows) {
        offered << rows.size();
        return 1;
    });
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(),
             QStringLiteral("借阅- 首先查询确定读者身份,然后确定预借的图书信息.被借物信息出现在下面"
                            "列表后点击借出,完成操作."));
    QCOMPARE(w.lookupColumn(), QStringLiteral("条形码"));
    QCOMPARE(w.countLabel()->text(), QStringLiteral("0"));

    enter(w.readerField(), QStringLiteral("R1"));
    QCOMPARE(w.shownField(QStringLiteral("读者姓名"))->text(), QStringLiteral("王小明"));
    QCOMPARE(w.shownField(QStringLiteral("借阅天数"))->text(), QStringLiteral("14"));
    QVERIFY(w.readerField()->text().isEmpty());
    QVERIFY(w.itemField()->hasFocus());

    enter(w.itemField(), QStringLiteral("TB1"));
    enter(w.itemField(), QStringLiteral("DUP"));
    QCOMPARE(offered, QVector<int>({2}));
    QCOMPARE(w.shownField(QStringLiteral("编号"))->text(), QStringLiteral("D2"));
    enter(w.itemField(), QStringLiteral("TB1")); // queued already: no message
    QVERIFY(prompts.texts().isEmpty());
    QCOMPARE(w.countLabel()->text(), QStringLiteral("2"));
    QCOMPARE(row(w.queueView(), 1), QStringList({"D2", "DUP", "书名D2", "图书", "14", "0", ""}));

    // 取消 asks first; No keeps the entry.
    w.queueView()->setCurrentItem(w.queueView()->topLevelItem(0));
    prompts.answer(false);
    QTest::mouseClick(w.removeButton(), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("您是否要删除\" B1\",\"书名B1\""));
    QCOMPARE(w.queueView()->topLevelItemCount(), 2);

    prompts.clear();
    w.printBox()->setChecked(true); // no printer here: lending goes on without a word
    QTest::mouseClick(w.lendButton(), Qt::LeftButton);
    QCOMPARE(prompts.texts(), QStringList({QStringLiteral("借阅完毕!")}));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 借出记录 where 读者编号='R1'")).toInt(),
             2);
    QCOMPARE(scalar(QStringLiteral("select 未还数量 from 读者库")).toInt(), 2);
    QCOMPARE(scalar(QStringLiteral("select 数量 from 图书 where 编号='D2'")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("select 数量 from 图书 where 编号='D1'")).toInt(), 2);
    // Empty again, ready for the next reader.
    QCOMPARE(w.countLabel()->text(), QStringLiteral("0"));
    QVERIFY(w.shownField(QStringLiteral("读者编号"))->text().isEmpty());
    QVERIFY(w.readerField()->hasFocus());

    // 借出 without a reader says so.
    QTest::mouseClick(w.lendButton(), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("请输入读者编号后按回车!"));
}

void LendingUiTest::shownFields_data()
{
    QTest::addColumn<bool>("rent");
    QTest::addColumn<bool>("readerRent");
    QTest::addColumn<bool>("validity");
    QTest::addColumn<QStringList>("shown"); // of 卡内金额, 有效期, 租金, 物品级别, 级别租金
    QTest::newRow("all off") << false << false << false << QStringList();
    QTest::newRow("rent by level")
        << true << false << false << QStringList({"卡内金额", "物品级别", "级别租金"});
    QTest::newRow("rent by reader, validity")
        << true << true << true << QStringList({"卡内金额", "有效期", "租金"});
    QTest::newRow("reader rent alone") << false << true << false << QStringList();
}

void LendingUiTest::shownFields()
{
    QFETCH(bool, rent);
    QFETCH(bool, readerRent);
    QFETCH(bool, validity);
    QFETCH(QStringList, shown);
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().rentEnabled = rent;
    loginContext().readerRentEnabled = readerRent;
    loginContext().readerValidityEnabled = validity;
    TBkBorrowFm w;
    w.show();
    QStringList visible;
    for (const char *c : {"卡内金额", "有效期", "租金", "物品级别", "级别租金"}) {
        if (w.shownField(QString::fromUtf8(c))->isVisible())
            visible << QString::fromUtf8(c);
    }
    QCOMPARE(visible, shown);
    QVERIFY(w.shownField(QStringLiteral("读者姓名"))->isVisible());
}

void LendingUiTest::itemWithoutReader()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fixture();
    PromptRecorder prompts;
    TBkBorrowFm w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    enter(w.itemField(), QStringLiteral("B1"));
    QCOMPARE(prompts.texts(), QStringList({QStringLiteral("请输入读者编号后按回车!")}));
    QCOMPARE(w.countLabel()->text(), QStringLiteral("0"));
    QVERIFY(w.readerField()->hasFocus());
}

// Without Enter search the button 确定 looks the item up; the pickers' hand-back functions
// and the double clicks that ask for the pickers.
void LendingUiTest::buttonSearchAndPickers()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fixture();
    loginContext().enterKeySearch = false;
    PromptRecorder prompts;
    TBkBorrowFm w;
    w.show();
    QVERIFY(w.itemSearchButton()->isVisible());
    w.lookUpReader(QStringLiteral("R1"));
    enter(w.itemField(), QStringLiteral("B1"));
    QCOMPARE(w.countLabel()->text(), QStringLiteral("0"));
    QTest::mouseClick(w.itemSearchButton(), Qt::LeftButton);
    QCOMPARE(w.countLabel()->text(), QStringLiteral("1"));
    w.setItemKind(QStringLiteral("期刊"));
    w.lookUpItem(QStringLiteral("B1"));
    QCOMPARE(prompts.last(), QStringLiteral("没有找到该期刊的数据,请重新输入."));

    QSignalSpy readerPicker(&w, &TBkBorrowFm::readerPickerRequested);
    QSignalSpy itemPicker(&w, &TBkBorrowFm::itemPickerRequested);
    QTest::mouseDClick(w.readerField(), Qt::LeftButton);
    QTest::mouseDClick(w.itemField(), Qt::LeftButton);
    QCOMPARE(readerPicker.count(), 1);
    QCOMPARE(itemPicker.count(), 1);

    // The pickers hand their choice back through the window's own lookups.
    auto *readers = w.findChild<TBorrowOptRdFm *>();
    auto *items = w.findChild<TBorrowOptBkFm *>();
    QVERIFY(readers && items);
    QPointer<TBorrowOptRdFm> readersGuard(readers);
    delete items;
    w.lookUpReader(QStringLiteral("nobody"));
    QVERIFY(!w.desk().hasReader());
    enter(readers->numberField(), QStringLiteral("R1"));
    readers->grid()->view()->setCurrentIndex(readers->grid()->view()->model()->index(0, 0));
    QTest::mouseClick(readers->chooseButton(), Qt::LeftButton);
    QVERIFY(w.desk().hasReader());
    QTRY_VERIFY(readersGuard.isNull());
    w.setItemKind(QStringLiteral("图书"));
    QTest::mouseDClick(w.itemField(), Qt::LeftButton);
    items = w.findChild<TBorrowOptBkFm *>();
    QVERIFY(items);
    enter(items->numberField(), QStringLiteral("D1"));
    items->grid()->view()->setCurrentIndex(items->grid()->view()->model()->index(0, 0));
    QTest::mouseClick(items->chooseButton(), Qt::LeftButton);
    QCOMPARE(w.itemField()->text(), QStringLiteral("D1"));
    QCOMPARE(w.countLabel()->text(), QStringLiteral("2"));

    // 取消全部 empties the desk.
    QTest::mouseClick(w.removeAllButton(), Qt::LeftButton);
    QCOMPARE(w.countLabel()->text(), QStringLiteral("0"));
    QVERIFY(!w.desk().hasReader());
}

void LendingUiTest::returnWindowByF6()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    WindowRegistry::registerAll();
    QVERIFY(WindowRegistry::find(CirculationDesk::BorrowCommand));
    QWidget *borrow = WindowRegistry::find(CirculationDesk::BorrowCommand)(nullptr);
    QPointer<QWidget> guard(borrow);
    borrow->show();
    // The command gives the open window, never a second one.
    QCOMPARE(WindowRegistry::find(CirculationDesk::BorrowCommand)(nullptr), borrow);
    if (!WindowRegistry::find(CirculationDesk::ReturnCommand)) {
        borrow->close();
        QVERIFY(guard.isNull() || !guard->isVisible());
        delete guard.data();
        QSKIP("the return window is not registered in this build");
    }
    borrow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(borrow));
    QTest::keyClick(borrow, Qt::Key_F6);
    QPointer<QWidget> ret = CirculationDesk::window(CirculationDesk::ReturnCommand);
    QVERIFY(ret);
    QVERIFY(ret->isVisible());
    borrow->close();
    QTRY_VERIFY(ret.isNull() || !ret->isVisible());
    delete guard.data();
}

QTEST_MAIN(LendingUiTest)
#include "lending_uitest.moc"
