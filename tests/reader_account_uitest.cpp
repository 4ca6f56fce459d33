// The state window and the top-up window, driven offscreen: typed, Enter pressed, buttons
// clicked, prompts answered, the database checked.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "DecimalValidator.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "readers/ChangeRdStateUt.h"
#include "readers/RdChongZhiUt.h"
#include "readers/ReaderAccount.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

void addReader(const QString &number, const QString &name, const QVariant &balance)
{
    Statement st(
        QStringLiteral("insert into 读者库(读者编号,读者姓名,性别,状态,卡内金额) values("));
    st.value(number)
        .text(QStringLiteral(","))
        .value(name)
        .text(QStringLiteral(",'女','正常',"))
        .value(balance)
        .text(QStringLiteral(")"));
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

// The reader's row as reader management hands it over.
QSqlRecord readerRow(const QString &number)
{
    Statement st(QStringLiteral("select * from 读者库 where 读者编号="));
    st.value(number);
    QSqlQuery q = st.exec();
    return q.next() ? q.record() : QSqlRecord();
}

QString stateOf(const QString &number)
{
    Statement st(QStringLiteral("select 状态 from 读者库 where 读者编号="));
    st.value(number);
    return st.scalar().toString();
}

Money balanceOf(const QString &number)
{
    Statement st(QStringLiteral("select 卡内金额 from 读者库 where 读者编号="));
    st.value(number);
    return Money::fromVariant(st.scalar());
}

int rowsIn(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

QAbstractButton *button(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

void click(QWidget *w, const QString &text)
{
    QAbstractButton *b = button(w, text);
    QVERIFY2(b, qPrintable(QStringLiteral("no button ") + text));
    QTest::mouseClick(b, Qt::LeftButton);
}

// Key by key, as the keyboard (or an input method sending key events) delivers them.
void type(QWidget *edit, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    type(edit, text);
}

// A Chinese input method hands over its text in one commit.
void commit(QLineEdit *edit, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(edit, &event);
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

} // namespace

class ReaderAccountUiTest : public QObject {
    Q_OBJECT
private slots:
    void stateWindowShowsReader();
    void stateTypedAndEnter();
    void stateChosenAndClicked();
    void stateCancelWritesNothing();
    void stateFailureKeepsWindowOpen();
    void amountKeys_data();
    void amountKeys();
    void topUpWindowOpens();
    void topUpTypedAndEnter();
    void refundClicked();
    void zeroAmountRefused_data();
    void zeroAmountRefused();
    void lookupOfAnotherReader();
    void unknownReader();
    void openedWithUnknownNumber();
    void clicksSelectAndChooseDefault();
    void returnClosesWithoutWriting();
};

void ReaderAccountUiTest::stateWindowShowsReader()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    TChangeRdStateFm w(readerRow(QStringLiteral("1001")));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("更改状态"));
    QStringList shown;
    for (QLineEdit *e : w.findChildren<QLineEdit *>()) {
        if (e->isReadOnly())
            shown << e->text();
    }
    QCOMPARE(shown, (QStringList{"1001", "李四", "女"}));
    QVERIFY(w.stateBox()->isEditable());
    QCOMPARE(w.stateBox()->currentText(), QStringLiteral("正常"));
    QCOMPARE(w.stateBox()->count(), 2);
    QCOMPARE(w.stateBox()->itemText(0), QStringLiteral("正常"));
    QCOMPARE(w.stateBox()->itemText(1), QStringLiteral("停用"));
    QVERIFY(w.remarkField()->text().isEmpty());
}

// A state typed over the drop-down, a remark, Enter: stored as typed, with its log entry.
void ReaderAccountUiTest::stateTypedAndEnter()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("王管理");
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    PromptRecorder prompts;
    QPointer<TChangeRdStateFm> w = new TChangeRdStateFm(readerRow(QStringLiteral("1001")));
    QSignalSpy saved(w.data(), &TChangeRdStateFm::saved);
    showActive(w);
    retype(w->stateBox()->lineEdit(), QStringLiteral("挂失"));
    w->remarkField()->setFocus();
    type(w->remarkField(), QStringLiteral("丢卡"));
    QTest::keyClick(w->remarkField(), Qt::Key_Return);
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join(QLatin1Char('|'))));
    QCOMPARE(saved.count(), 1);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(stateOf(QStringLiteral("1001")), QStringLiteral("挂失"));
    QCOMPARE(scalar(QStringLiteral("select 说明 from 管理员日志")).toString(),
             QStringLiteral("读者编号:1001,姓名:李四,状态改为:[挂失],丢卡"));
    QCOMPARE(scalar(QStringLiteral("select 管理员 from 管理员日志")).toString(),
             QStringLiteral("王管理"));
}

void ReaderAccountUiTest::stateChosenAndClicked()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    PromptRecorder prompts;
    TChangeRdStateFm w(readerRow(QStringLiteral("1001")));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy saved(&w, &TChangeRdStateFm::saved);
    showActive(&w);
    QTest::keyClick(w.stateBox(), Qt::Key_Down);
    QCOMPARE(w.stateBox()->currentText(), QStringLiteral("停用"));
    click(&w, QStringLiteral("保存"));
    QVERIFY(prompts.entries().isEmpty());
    QCOMPARE(saved.count(), 1);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(stateOf(QStringLiteral("1001")), QStringLiteral("停用"));
    QCOMPARE(scalar(QStringLiteral("select 说明 from 管理员日志")).toString(),
             QStringLiteral("读者编号:1001,姓名:李四,状态改为:[停用],"));
}

void ReaderAccountUiTest::stateCancelWritesNothing()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    PromptRecorder prompts;
    QPointer<TChangeRdStateFm> w = new TChangeRdStateFm(readerRow(QStringLiteral("1001")));
    QSignalSpy saved(w.data(), &TChangeRdStateFm::saved);
    showActive(w);
    w->stateBox()->setCurrentIndex(1);
    type(w->remarkField(), QStringLiteral("x"));
    click(w, QStringLiteral("取消"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(saved.count(), 0);
    QVERIFY(prompts.entries().isEmpty());
    QCOMPARE(stateOf(QStringLiteral("1001")), QStringLiteral("正常"));
    QCOMPARE(rowsIn(QStringLiteral("管理员日志")), 0);
}

// The log cannot be written: the user reads why, the state stays, the window stays open.
void ReaderAccountUiTest::stateFailureKeepsWindowOpen()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    PromptRecorder prompts;
    TChangeRdStateFm w(readerRow(QStringLiteral("1001")));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy saved(&w, &TChangeRdStateFm::saved);
    showActive(&w);
    QVERIFY(Statement(QStringLiteral("drop table 管理员日志")).run());
    w.stateBox()->setCurrentIndex(1);
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.entries().size(), 1);
    QVERIFY(!prompts.last().isEmpty());
    QCOMPARE(saved.count(), 0);
    QVERIFY(w.isVisible());
    QCOMPARE(stateOf(QStringLiteral("1001")), QStringLiteral("正常"));
    // An empty state is refused with a message of its own.
    prompts.clear();
    retype(w.stateBox()->lineEdit(), QString());
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kEmptyState});
}

void ReaderAccountUiTest::amountKeys_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("becomes");
    QTest::newRow("digits and point") << "12.50" << true << "12.50";
    QTest::newRow("two points") << "1.2.3" << true << "1.2.3";
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("full width") << "１２．５" << true << "12.5";
    QTest::newRow("ideographic full stop") << "３。５" << true << "3.5";
    QTest::newRow("letter") << "1a" << false << "";
    QTest::newRow("minus") << "-1" << false << "";
    QTest::newRow("comma") << "1,5" << false << "";
    QTest::newRow("blank") << "1 " << false << "";
    QTest::newRow("hanzi") << "十" << false << "";
}

void ReaderAccountUiTest::amountKeys()
{
    QFETCH(QString, input);
    QFETCH(bool, accepted);
    QFETCH(QString, becomes);
    DecimalValidator v;
    QString text = input;
    int pos = text.size();
    const QValidator::State state = v.validate(text, pos);
    QCOMPARE(state == QValidator::Acceptable, accepted);
    QCOMPARE(state == QValidator::Invalid, !accepted);
    if (accepted) {
        QCOMPARE(text, becomes);
        QCOMPARE(pos, input.size());
    }
}

void ReaderAccountUiTest::topUpWindowOpens()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3.5"));
    PromptRecorder prompts;
    TRdChongZhiFm w(QStringLiteral("1001"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    showActive(&w);
    QCOMPARE(w.windowTitle(), QStringLiteral("卡内充值"));
    QCOMPARE(w.lookupField()->text(), QStringLiteral("1001"));
    QCOMPARE(w.shownReader(), QStringLiteral("1001"));
    QStringList shown;
    for (QLineEdit *e : w.findChildren<QLineEdit *>()) {
        if (e->isReadOnly())
            shown << e->text();
    }
    QCOMPARE(shown, (QStringList{"1001", "李四", "女", "3.50"}));
    QCOMPARE(w.amountField()->text(), QStringLiteral("0"));
    QVERIFY(!w.refundBox()->isChecked());
    QVERIFY(w.remarkField()->text().isEmpty());
    // Ready for the amount: Enter there tops up.
    QCOMPARE(QApplication::focusWidget(), w.amountField());
    QVERIFY(w.topUpButton()->isDefault());
    QVERIFY(!w.okButton()->isDefault());
    QVERIFY(prompts.entries().isEmpty());
}

// Keys that are not part of an amount are ignored; full-width digits count; Enter tops up.
void ReaderAccountUiTest::topUpTypedAndEnter()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("王管理");
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QVariant());
    PromptRecorder prompts;
    QPointer<TRdChongZhiFm> w = new TRdChongZhiFm(QStringLiteral("1001"));
    QSignalSpy toppedUp(w.data(), &TRdChongZhiFm::toppedUp);
    showActive(w);
    QLineEdit *amount = w->amountField();
    retype(amount, QStringLiteral("1a2-+ "));
    QCOMPARE(amount->text(), QStringLiteral("12"));
    QTest::keyClick(amount, Qt::Key_Backspace);
    commit(amount, QStringLiteral("０．５"));
    QCOMPARE(amount->text(), QStringLiteral("10.5"));
    type(amount, QStringLiteral("５"));
    QCOMPARE(amount->text(), QStringLiteral("10.55"));
    w->remarkField()->setText(QStringLiteral("现金"));
    QTest::keyClick(amount, Qt::Key_Return);
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kToppedUp});
    QCOMPARE(toppedUp.count(), 1);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromRaw(105500));
    QSqlQuery q =
        Statement(QStringLiteral("select 项目, 读者编号, 读者姓名, 金额, 管理员, 备注 from 收入"))
            .exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("充值"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("1001"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("李四"));
    QCOMPARE(Money::fromVariant(q.value(3)), Money::fromRaw(105500));
    QCOMPARE(q.value(4).toString(), QStringLiteral("王管理"));
    QCOMPARE(q.value(5).toString(), QStringLiteral("现金"));
    QVERIFY(!q.next());
}

// A refund of 5 on a balance of 3 leaves -2, and the income row says -5.
void ReaderAccountUiTest::refundClicked()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    PromptRecorder prompts;
    QPointer<TRdChongZhiFm> w = new TRdChongZhiFm(QStringLiteral("1001"));
    QSignalSpy toppedUp(w.data(), &TRdChongZhiFm::toppedUp);
    showActive(w);
    retype(w->amountField(), QStringLiteral("5"));
    QTest::mouseClick(w->refundBox(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(6, w->refundBox()->height() / 2));
    QVERIFY(w->refundBox()->isChecked());
    click(w, QStringLiteral("确定"));
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kToppedUp});
    QCOMPARE(toppedUp.count(), 1);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(-2));
    QCOMPARE(Money::fromVariant(scalar(QStringLiteral("select 金额 from 收入"))),
             Money::fromYuan(-5));
}

void ReaderAccountUiTest::zeroAmountRefused_data()
{
    QTest::addColumn<QString>("amount");
    QTest::newRow("0") << "0";
    QTest::newRow("1.2.3") << "1.2.3";
    QTest::newRow("empty") << "";
    QTest::newRow("point") << ".";
}

void ReaderAccountUiTest::zeroAmountRefused()
{
    QFETCH(QString, amount);
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    PromptRecorder prompts;
    TRdChongZhiFm w(QStringLiteral("1001"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy toppedUp(&w, &TRdChongZhiFm::toppedUp);
    showActive(&w);
    retype(w.amountField(), amount);
    QCOMPARE(w.amountField()->text(), amount);
    QTest::keyClick(w.amountField(), Qt::Key_Return);
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kZeroAmount});
    QVERIFY(w.isVisible());
    QCOMPARE(toppedUp.count(), 0);
    // Selected, so the next keys replace it.
    QCOMPARE(w.amountField()->selectedText(), amount);
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(3));
    QCOMPARE(rowsIn(QStringLiteral("收入")), 0);
}

// Another number typed with Enter in the lookup box: that reader is shown and topped up; the
// Enter of the lookup does not top up the one shown before.
void ReaderAccountUiTest::lookupOfAnotherReader()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    addReader(QStringLiteral("1002"), QStringLiteral("张三"), QStringLiteral("1"));
    PromptRecorder prompts;
    QPointer<TRdChongZhiFm> w = new TRdChongZhiFm(QStringLiteral("1001"));
    showActive(w);
    retype(w->amountField(), QStringLiteral("5"));
    QTest::mouseClick(w->lookupField(), Qt::LeftButton);
    retype(w->lookupField(), QStringLiteral("1002"));
    // Typing over the number hides the reader shown until the new one is looked up.
    QVERIFY(w->shownReader().isEmpty());
    QTest::keyClick(w->lookupField(), Qt::Key_Return);
    QVERIFY(prompts.entries().isEmpty());
    QCOMPARE(w->shownReader(), QStringLiteral("1002"));
    QCOMPARE(w->balanceField()->text(), QStringLiteral("1.00"));
    QCOMPARE(QApplication::focusWidget(), w->amountField());
    QCOMPARE(rowsIn(QStringLiteral("收入")), 0);
    click(w, QStringLiteral("确定"));
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kToppedUp});
    QTRY_VERIFY(w.isNull());
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(3));
    QCOMPARE(balanceOf(QStringLiteral("1002")), Money::fromYuan(6));
}

void ReaderAccountUiTest::unknownReader()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    PromptRecorder prompts;
    TRdChongZhiFm w(QStringLiteral("1001"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    showActive(&w);
    retype(w.lookupField(), QStringLiteral("9999"));
    click(&w, QStringLiteral("ok"));
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kNotFound});
    QVERIFY(w.shownReader().isEmpty());
    QVERIFY(w.balanceField()->text().isEmpty());
    // Nobody shown: 确定 books nothing.
    prompts.clear();
    retype(w.amountField(), QStringLiteral("5"));
    click(&w, QStringLiteral("确定"));
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kNotFound});
    QVERIFY(w.isVisible());
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(3));
    QCOMPARE(rowsIn(QStringLiteral("收入")), 0);
}

// The reader was deleted meanwhile at another workstation: said once the window is up.
void ReaderAccountUiTest::openedWithUnknownNumber()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TRdChongZhiFm w(QStringLiteral("1001"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(prompts.entries().isEmpty());
    showActive(&w);
    QTRY_COMPARE(prompts.texts(), QStringList{ReaderAccount::kNotFound});
    QCOMPARE(QApplication::focusWidget(), w.lookupField());
}

void ReaderAccountUiTest::clicksSelectAndChooseDefault()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    PromptRecorder prompts;
    TRdChongZhiFm w(QStringLiteral("1001"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    showActive(&w);
    QTest::mouseClick(w.lookupField(), Qt::LeftButton);
    QTRY_COMPARE(w.lookupField()->selectedText(), QStringLiteral("1001"));
    QVERIFY(w.okButton()->isDefault());
    QVERIFY(!w.topUpButton()->isDefault());
    retype(w.amountField(), QStringLiteral("25"));
    QTest::mouseClick(w.amountField(), Qt::LeftButton);
    QTRY_COMPARE(w.amountField()->selectedText(), QStringLiteral("25"));
    QVERIFY(w.topUpButton()->isDefault());
    QVERIFY(!w.okButton()->isDefault());
    // Enter in the remark does what the default button does.
    QTest::mouseClick(w.remarkField(), Qt::LeftButton);
    QTest::keyClick(w.remarkField(), Qt::Key_Return);
    QCOMPARE(prompts.texts(), QStringList{ReaderAccount::kToppedUp});
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(28));
}

void ReaderAccountUiTest::returnClosesWithoutWriting()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    addReader(QStringLiteral("1001"), QStringLiteral("李四"), QStringLiteral("3"));
    PromptRecorder prompts;
    QPointer<TRdChongZhiFm> w = new TRdChongZhiFm(QStringLiteral("1001"));
    QSignalSpy toppedUp(w.data(), &TRdChongZhiFm::toppedUp);
    showActive(w);
    retype(w->amountField(), QStringLiteral("5"));
    click(w, QStringLiteral("返回"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(toppedUp.count(), 0);
    QVERIFY(prompts.entries().isEmpty());
    QCOMPARE(balanceOf(QStringLiteral("1001")), Money::fromYuan(3));
    QCOMPARE(rowsIn(QStringLiteral("收入")), 0);
}

QTEST_MAIN(ReaderAccountUiTest)
#include "reader_account_uitest.moc"
