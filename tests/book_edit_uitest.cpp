// The book edit window and the stock window, driven offscreen.
#include "FakePrograms.h"
#include "PromptRecorder.h"
#include "TestDb.h"

#include "catalogue/BkEditUt.h"
#include "catalogue/StockModifyUt.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

void click(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (b->text() == text && b->window() == w) {
            QVERIFY2(b->isEnabled(), qPrintable(text + QStringLiteral(" is disabled")));
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}

void type(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void run(const QString &sql)
{
    QString error;
    QVERIFY2(Statement(sql).run(&error), qPrintable(error + QStringLiteral("\n") + sql));
}

void addBook(const QString &number, const QString &classification, int zch)
{
    Statement st(QStringLiteral(
        "insert into 图书(编号,条形码,名称,数量,价格,页数,zch,分类号,索书号,物品级别,来源,"
        "捐赠人,图片地址,绝对地址,py,状态,出版社,a1) values("));
    st.value(number).text(",").value(QStringLiteral("9787500512345")).text(",");
    st.value(QStringLiteral("红楼梦")).text(",").value(5).text(",").value(QStringLiteral("12.5"));
    st.text(",").value(300).text(",").value(zch).text(",").value(classification).text(",");
    st.value(classification + QStringLiteral("/") + QString::number(zch)).text(",");
    st.value(QStringLiteral("普通")).text(",").value(QStringLiteral("捐赠")).text(",");
    st.value(QStringLiteral("张三")).text(",").value(QStringLiteral("/书/红楼梦.pdf")).text(",");
    st.value(QStringLiteral("/书/红楼梦.pdf")).text(",").value(QStringLiteral("HLM")).text(",");
    st.value(QStringLiteral("正常")).text(",").value(QStringLiteral("人民文学出版社")).text(",");
    st.value(QStringLiteral("内部")).text(")");
    QString error;
    QVERIFY2(st.run(&error), qPrintable(error));
}

QSqlRecord book(const QString &number)
{
    Statement st(QStringLiteral("select * from 图书 where 编号="));
    st.value(number);
    QSqlQuery q = st.exec();
    return q.next() ? q.record() : QSqlRecord();
}

// The messages shown, without the file dialogs.
QStringList messages(const PromptRecorder &prompts)
{
    QStringList out;
    for (const PromptRecorder::Entry &e : prompts.entries()) {
        if (e.kind != Prompt::Kind::OpenFile)
            out << e.text;
    }
    return out;
}

int logRows()
{
    return scalar(QStringLiteral("select count(*) from 管理员日志")).toInt();
}

// Runs act on the modal dialog that the next call opens, once it is on the screen.
void whenShown(std::function<void(QWidget *)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible() ||
            dialog->objectName() != QStringLiteral("TStockModifyFm")) {
            QTimer::singleShot(10, *poll);
            return;
        }
        act(dialog);
        *poll = nullptr;
    };
    QTimer::singleShot(0, *poll);
}

} // namespace

class BookEditUiTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsTheRow();
    void editAndSave();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void publisherAndCallNumberOnEnter();
    void permissions_data();
    void permissions();
    void badNumberKeepsWindowOpen();
    void stockWindow();
    void stockWindowCancel();
    void stockFromEditWindow();
    void runDocument();

private:
    TestDb m_db;
    std::unique_ptr<PromptRecorder> m_prompts;
};

void BookEditUiTest::init()
{
    TSGL_FRESH_DB(m_db);
    loginContext().adminName = QStringLiteral("管理员甲");
    loginContext().qxbkxg = true;
    loginContext().qxModifyStock = true;
    loginContext().customListLabel1 = QStringLiteral("密级");
    run(QStringLiteral("insert into 物品级别(名称) values('珍本')"));
    run(QStringLiteral("insert into a1(名称) values('内部')"));
    addBook(QStringLiteral("B1"), QStringLiteral("I242"), 4);
    m_prompts = std::make_unique<PromptRecorder>();
}

void BookEditUiTest::cleanup()
{
    m_prompts.reset();
}

void BookEditUiTest::showsTheRow()
{
    TBkEditFm w(book("B1"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("图书编辑"));
    QCOMPARE(w.textField("名称")->toPlainText(), QStringLiteral("红楼梦"));
    QCOMPARE(w.lineField("编号")->text(), QStringLiteral("B1"));
    QCOMPARE(w.lineField("价格")->text(), QStringLiteral("12.5"));
    QCOMPARE(w.quantityField()->text(), QStringLiteral("5"));
    QVERIFY(w.quantityField()->isReadOnly());
    QCOMPARE(w.pinyinField()->text(), QStringLiteral("HLM"));
    QCOMPARE(w.choiceField("a1")->currentText(), QStringLiteral("内部"));
    QCOMPARE(w.caption("a1")->text(), QStringLiteral("密级"));
    QCOMPARE(w.choiceField("物品级别")->count(), 2);
    QCOMPARE(w.choiceField("状态")->itemText(1), QStringLiteral("不外借"));
    QCOMPARE(w.choiceField("来源")->itemText(1), QStringLiteral("捐赠"));
    QVERIFY(w.donorCaption()->isVisible());
    QCOMPARE(w.lineField("捐赠人")->text(), QStringLiteral("张三"));
    QCOMPARE(w.lineField("绝对地址")->text(), QStringLiteral("/书/红楼梦.pdf"));
    QVERIFY(m_prompts->texts().isEmpty());
}

// Typed changes, a bought book (the donor goes), a new document chosen by a click into its
// field, the level emptied; 保存 writes them, "普通" for the level, and closes the window.
void BookEditUiTest::editAndSave()
{
    QPointer<TBkEditFm> w = new TBkEditFm(book("B1"));
    QSignalSpy saved(w.data(), &TBkEditFm::saved);
    w->show();
    w->textField("名称")->setPlainText(QStringLiteral("西游记"));
    QCOMPARE(w->pinyinField()->text(), QStringLiteral("XYJ"));
    type(w->lineField("作者"), QStringLiteral("吴承恩"));
    type(w->lineField("出版时间"), QStringLiteral("1980年"));
    w->choiceField("来源")->setCurrentText(QStringLiteral("购买"));
    QVERIFY(!w->donorCaption()->isVisible());
    QVERIFY(!w->lineField("捐赠人")->isVisible());
    QVERIFY(w->lineField("捐赠人")->text().isEmpty());
    w->choiceField("物品级别")->setCurrentText(QString());
    m_prompts->answerOpenFile(QStringLiteral("/新/西游记.pdf"));
    QTest::mouseClick(w->lineField("绝对地址"), Qt::LeftButton);
    QCOMPARE(w->lineField("绝对地址")->text(), QStringLiteral("/新/西游记.pdf"));
    click(w, QStringLiteral("保存"));

    QCOMPARE(messages(*m_prompts), QStringList());
    QCOMPARE(saved.count(), 1);
    QTRY_VERIFY(w.isNull()); // closed and gone
    const QSqlRecord row = book("B1");
    QCOMPARE(row.value("名称").toString(), QStringLiteral("西游记"));
    QCOMPARE(row.value("py").toString(), QStringLiteral("XYJ"));
    QCOMPARE(row.value("作者").toString(), QStringLiteral("吴承恩"));
    QCOMPARE(row.value("来源").toString(), QStringLiteral("购买"));
    QCOMPARE(row.value("捐赠人").toString(), QString());
    QCOMPARE(row.value("物品级别").toString(), QStringLiteral("普通"));
    QCOMPARE(row.value("绝对地址").toString(), QStringLiteral("/新/西游记.pdf"));
    QCOMPARE(row.value("图片地址").toString(), QStringLiteral("/书/红楼梦.pdf"));
    QCOMPARE(row.value("数量").toInt(), 5);
}

void BookEditUiTest::cancelWritesNothing_data()
{
    QTest::addColumn<bool>("byFrame");
    QTest::newRow("取消") << false;
    QTest::newRow("window frame") << true;
}

void BookEditUiTest::cancelWritesNothing()
{
    QFETCH(bool, byFrame);
    QPointer<TBkEditFm> w = new TBkEditFm(book("B1"));
    QSignalSpy saved(w.data(), &TBkEditFm::saved);
    w->show();
    w->textField("名称")->setPlainText(QStringLiteral("西游记"));
    type(w->lineField("价格"), QStringLiteral("99"));
    w->choiceField("来源")->setCurrentText(QStringLiteral("购买"));
    if (byFrame)
        w->close();
    else
        click(w, QStringLiteral("取消"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(saved.count(), 0);
    const QSqlRecord row = book("B1");
    QCOMPARE(row.value("名称").toString(), QStringLiteral("红楼梦"));
    QCOMPARE(Money::fromVariant(row.value("价格")), *Money::parse(QStringLiteral("12.5")));
    QCOMPARE(row.value("捐赠人").toString(), QStringLiteral("张三"));
}

// Enter in 条形码 finds the publisher by the ISBN prefix; Enter in 分类号 gives the next
// number of the classification, the book's own number counting. Enter saves nothing.
void BookEditUiTest::publisherAndCallNumberOnEnter()
{
    run(QStringLiteral("insert into 出版社名(出版社名,ISBN) values('作家出版社','7-5063')"));
    addBook(QStringLiteral("K1"), QStringLiteral("K81"), 3);
    addBook(QStringLiteral("K2"), QStringLiteral("K81"), 5);
    TBkEditFm w(book("B1"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy saved(&w, &TBkEditFm::saved);
    w.show();

    type(w.lineField("条形码"), QStringLiteral("9787506312345"));
    QTest::keyClick(w.lineField("条形码"), Qt::Key_Return);
    QCOMPARE(w.lineField("isbn")->text(), QStringLiteral("7-5063"));
    QCOMPARE(w.choiceField("出版社")->currentText(), QStringLiteral("作家出版社"));

    QTest::keyClick(w.lineField("分类号"), Qt::Key_Return); // unchanged I242, own zch 4
    QCOMPARE(w.lineField("索书号")->text(), QStringLiteral("I242/5"));
    QCOMPARE(w.lineField("zch")->text(), QStringLiteral("5"));
    type(w.lineField("分类号"), QStringLiteral("K81"));
    QTest::keyClick(w.lineField("分类号"), Qt::Key_Return);
    QCOMPARE(w.lineField("索书号")->text(), QStringLiteral("K81/6"));
    QCOMPARE(w.lineField("zch")->text(), QStringLiteral("6"));

    QVERIFY(w.isVisible());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(book("B1").value("分类号").toString(), QStringLiteral("I242"));
    QCOMPARE(m_prompts->texts(), QStringList());

    click(&w, QStringLiteral("保存"));
    const QSqlRecord row = book("B1");
    QCOMPARE(row.value("索书号").toString(), QStringLiteral("K81/6"));
    QCOMPARE(row.value("zch").toInt(), 6);
    QCOMPARE(row.value("isbn").toString(), QStringLiteral("7-5063"));
    QCOMPARE(row.value("出版社").toString(), QStringLiteral("作家出版社"));
}

void BookEditUiTest::permissions_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("保存 without qxbkxg") << "保存";
    QTest::newRow("修改 without qxModifyStock") << "修改";
}

// "没有权限!", nothing written, the edit window still open with what was typed.
void BookEditUiTest::permissions()
{
    QFETCH(QString, button);
    if (button == QStringLiteral("保存"))
        loginContext().qxbkxg = false;
    else
        loginContext().qxModifyStock = false;
    TBkEditFm w(book("B1"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    w.textField("名称")->setPlainText(QStringLiteral("西游记"));
    click(&w, button);
    QCOMPARE(m_prompts->texts(), QStringList{QStringLiteral("没有权限!")});
    QVERIFY(w.isVisible());
    QVERIFY(!QApplication::activeModalWidget() ||
            QApplication::activeModalWidget()->objectName() != QStringLiteral("TStockModifyFm"));
    QCOMPARE(w.textField("名称")->toPlainText(), QStringLiteral("西游记"));
    QCOMPARE(book("B1").value("名称").toString(), QStringLiteral("红楼梦"));
    QCOMPARE(logRows(), 0);
}

void BookEditUiTest::badNumberKeepsWindowOpen()
{
    TBkEditFm w(book("B1"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    type(w.lineField("页数"), QStringLiteral("三百"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(m_prompts->texts(), QStringList{QStringLiteral("页数必须是整数!")});
    QVERIFY(w.isVisible());
    QCOMPARE(book("B1").value("页数").toInt(), 300);
}

// "填写数量!" and a fraction keep the window open and write nothing; a whole number is
// written with its log entry and closes the window.
void BookEditUiTest::stockWindow()
{
    QPointer<TStockModifyFm> w = new TStockModifyFm(book("B1"));
    QSignalSpy saved(w.data(), &TStockModifyFm::saved);
    w->show();
    QCOMPARE(w->windowTitle(), QStringLiteral("销售库存修改"));
    QCOMPARE(w->quantityField()->text(), QStringLiteral("5"));
    QTest::mouseClick(w->quantityField(), Qt::LeftButton);
    QTRY_COMPARE(w->quantityField()->selectedText(), QStringLiteral("5"));

    type(w->quantityField(), QString());
    click(w, QStringLiteral("确定"));
    type(w->quantityField(), QStringLiteral("2.5"));
    click(w, QStringLiteral("确定"));
    QCOMPARE(m_prompts->texts(),
             (QStringList{QStringLiteral("填写数量!"), QStringLiteral("数量必须是整数!")}));
    QVERIFY(w->isVisible());
    QCOMPARE(book("B1").value("数量").toInt(), 5);
    QCOMPARE(logRows(), 0);

    type(w->quantityField(), QStringLiteral("3"));
    click(w, QStringLiteral("确定"));
    QCOMPARE(saved.count(), 1);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(book("B1").value("数量").toInt(), 3);
    QSqlQuery q = Statement(QStringLiteral("select 事件, 管理员, 说明 from 管理员日志")).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("修改库存"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("管理员甲"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("条形码:9787500512345"));
    QVERIFY(!q.next());
}

void BookEditUiTest::stockWindowCancel()
{
    for (bool byFrame : {false, true}) {
        QPointer<TStockModifyFm> w = new TStockModifyFm(book("B1"));
        w->show();
        type(w->quantityField(), QStringLiteral("9"));
        if (byFrame)
            w->close();
        else
            click(w, QStringLiteral("取消"));
        QTRY_VERIFY(w.isNull());
    }
    QCOMPARE(book("B1").value("数量").toInt(), 5);
    QCOMPARE(logRows(), 0);
}

// 修改 opens the stock window modally; its count shows in the edit window afterwards, and
// what was typed there stays to be saved.
void BookEditUiTest::stockFromEditWindow()
{
    TBkEditFm w(book("B1"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy saved(&w, &TBkEditFm::saved);
    w.show();
    w.textField("名称")->setPlainText(QStringLiteral("西游记"));
    bool acted = false;
    whenShown([&acted](QWidget *stock) {
        auto *field = stock->findChild<QLineEdit *>(QStringLiteral("数量"));
        type(field, QStringLiteral("2"));
        click(stock, QStringLiteral("确定"));
        acted = true;
    });
    click(&w, QStringLiteral("修改"));
    QVERIFY(acted);
    QCOMPARE(m_prompts->texts(), QStringList());
    QCOMPARE(w.quantityField()->text(), QStringLiteral("2"));
    QCOMPARE(book("B1").value("数量").toInt(), 2);
    QCOMPARE(book("B1").value("名称").toString(), QStringLiteral("红楼梦"));
    QCOMPARE(logRows(), 1);
    QCOMPARE(w.textField("名称")->toPlainText(), QStringLiteral("西游记"));

    click(&w, QStringLiteral("保存"));
    QCOMPARE(m_prompts->texts(), QStringList());
    QCOMPARE(saved.count(), 2);
    QCOMPARE(book("B1").value("名称").toString(), QStringLiteral("西游记"));
    QCOMPARE(book("B1").value("数量").toInt(), 2);
}

// "Run": no document, a missing file and no program each get their message; an existing
// file goes to the desktop's opener.
void BookEditUiTest::runDocument()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("红楼梦.pdf"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("%PDF-1.4\n");
    f.close();
    FakePrograms programs(dir.filePath(QStringLiteral("path")));

    TBkEditFm w(book("B1"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    click(&w, QStringLiteral("Run")); // /书/红楼梦.pdf is not there
    QCOMPARE(m_prompts->last(), QStringLiteral("电子文档不存在: /书/红楼梦.pdf"));
    w.lineField("绝对地址")->setText(QStringLiteral("n"));
    click(&w, QStringLiteral("Run"));
    QCOMPARE(m_prompts->last(), QStringLiteral("这本书没有电子文档。"));
    w.lineField("绝对地址")->setText(file);
    click(&w, QStringLiteral("Run"));
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("没有可以打开电子文档的程序")),
             qPrintable(m_prompts->last()));

    programs.add({QStringLiteral("xdg-open")});
    m_prompts->clear();
    click(&w, QStringLiteral("Run"));
    QCOMPARE(m_prompts->texts(), QStringList());
    QTRY_COMPARE(programs.ranWith(QStringLiteral("xdg-open")), file);
}

QTEST_MAIN(BookEditUiTest)
#include "book_edit_uitest.moc"
