// The pickers driven offscreen: a search typed with Enter, a double click or 选择 hands the
// chosen value to the callback while the picker is still open, then it closes; the duplicate
// picker closes on one click and tells the row chosen.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ResultGrid.h"
#include "circulation/BorrowOptUt.h"
#include "db/Statement.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

namespace {

void run(const QString &sql, const QVariantList &values)
{
    QString error;
    QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
}

void addReader(const QString &number, const QString &name, const QString &py)
{
    run(QStringLiteral("insert into 读者库(读者编号,读者姓名,py,状态) values(?,?,?,'正常')"),
        {number, name, py});
}

void addItem(const QString &table, const QString &number, const QString &name,
             const QString &barcode)
{
    run(QStringLiteral("insert into ") + table +
            QStringLiteral("(编号,名称,条形码,分类,数量) values(?,?,?,'文学',1)"),
        {number, name, barcode});
}

void enter(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void doubleClickRow(ResultGrid *grid, int row)
{
    QTableView *view = grid->view();
    const QRect cell = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

// What a picker handed over, and whether it was still open then.
struct Handed {
    QStringList values;
    bool openAtCall = false;
};

} // namespace

class PickersUiTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readerDoubleClick();
    void emptyGridHandsEmptyText();
    void itemPicker_data();
    void itemPicker();
    void unknownKindIsSaid();
    void duplicatePicker_data();
    void duplicatePicker();

private:
    std::unique_ptr<TestDb> m_db;
};

void PickersUiTest::init()
{
    m_db = std::make_unique<TestDb>();
    TSGL_FRESH_DB(*m_db);
    addReader(QStringLiteral("R001"), QStringLiteral("张三"), QStringLiteral("zs"));
    addReader(QStringLiteral("R002"), QStringLiteral("李四"), QStringLiteral("ls"));
    addReader(QStringLiteral("R003"), QStringLiteral("张小花"), QStringLiteral("zxh"));
}

void PickersUiTest::readerDoubleClick()
{
    Handed handed;
    QPointer<TBorrowOptRdFm> picker;
    picker = new TBorrowOptRdFm([&](const QString &number) {
        handed.values << number;
        handed.openAtCall = picker && picker->isVisible();
    });
    picker->show();
    QVERIFY(QTest::qWaitForWindowExposed(picker));
    // Left by choosing or 返回 only.
    QVERIFY(!(picker->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(picker->windowTitle(), QStringLiteral("选择"));
    QCOMPARE(picker->grid()->rowCount(), 3);

    enter(picker->nameField(), QStringLiteral("张"));
    QCOMPARE(picker->grid()->rowCount(), 2);
    doubleClickRow(picker->grid(), 1);
    QCOMPARE(handed.values, QStringList{QStringLiteral("R003")});
    QVERIFY(handed.openAtCall);
    QTRY_VERIFY(picker.isNull());
}

void PickersUiTest::emptyGridHandsEmptyText()
{
    PromptRecorder prompts;
    QStringList handed;
    QPointer<TBorrowOptRdFm> picker =
        new TBorrowOptRdFm([&](const QString &number) { handed << number; });
    picker->show();
    enter(picker->numberField(), QStringLiteral("%"));
    QCOMPARE(picker->grid()->rowCount(), 0);
    QTest::mouseClick(picker->chooseButton(), Qt::LeftButton);
    QCOMPARE(handed, QStringList{QString()});
    QTRY_VERIFY(picker.isNull());
    QVERIFY(prompts.entries().isEmpty());
}

void PickersUiTest::itemPicker_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("byBarcode");
    QTest::addColumn<QString>("value");
    QTest::newRow("book by number") << "图书" << false << "B2";
    QTest::newRow("book by barcode") << "图书" << true << "692";
    QTest::newRow("periodical by number") << "期刊" << false << "Q2";
}

void PickersUiTest::itemPicker()
{
    QFETCH(QString, kind);
    QFETCH(bool, byBarcode);
    QFETCH(QString, value);
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("红楼梦"),
            QStringLiteral("691"));
    addItem(QStringLiteral("图书"), QStringLiteral("B2"), QStringLiteral("水浒传"),
            QStringLiteral("692"));
    addItem(QStringLiteral("期刊"), QStringLiteral("Q1"), QStringLiteral("读者"),
            QStringLiteral("n"));
    addItem(QStringLiteral("期刊"), QStringLiteral("Q2"), QStringLiteral("故事会"),
            QStringLiteral("n"));
    QStringList handed;
    QPointer<TBorrowOptBkFm> picker =
        new TBorrowOptBkFm(kind, byBarcode, [&](const QString &v) { handed << v; });
    picker->show();
    QCOMPARE(picker->grid()->rowCount(), 2);
    picker->grid()->setCurrentRow(1);
    QTest::mouseClick(picker->chooseButton(), Qt::LeftButton);
    QCOMPARE(handed, QStringList{value});
    QTRY_VERIFY(picker.isNull());
}

void PickersUiTest::unknownKindIsSaid()
{
    PromptRecorder prompts;
    QStringList handed;
    QPointer<TBorrowOptBkFm> picker =
        new TBorrowOptBkFm(QStringLiteral("读者库"), false, [&](const QString &v) { handed << v; });
    picker->show();
    QTRY_COMPARE(prompts.entries().size(), 1);
    QVERIFY(prompts.last().contains(QStringLiteral("读者库")));
    QCOMPARE(picker->grid()->rowCount(), 0);
    enter(picker->nameField(), QStringLiteral("张"));
    QCOMPARE(prompts.entries().size(), 2);
    QCOMPARE(picker->grid()->rowCount(), 0);
    picker->close();
}

void PickersUiTest::duplicatePicker_data()
{
    QTest::addColumn<int>("clicked"); // -1: closed by its close box
    QTest::addColumn<int>("chosen");
    QTest::newRow("second row clicked") << 1 << 1;
    QTest::newRow("first row clicked") << 0 << 0;
    QTest::newRow("closed unchosen") << -1 << 0;
}

void PickersUiTest::duplicatePicker()
{
    QFETCH(int, clicked);
    QFETCH(int, chosen);
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("红楼梦"),
            QStringLiteral("690"));
    addItem(QStringLiteral("图书"), QStringLiteral("B2"), QStringLiteral("红楼梦续"),
            QStringLiteral("690"));
    QVector<QSqlRecord> rows;
    QSqlQuery q =
        Statement(QStringLiteral("select * from 图书 where 条形码='690' order by 编号")).exec();
    while (q.next())
        rows << q.record();
    QCOMPARE(rows.size(), 2);

    TBorrowOptBarCodeFm picker(rows);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QCOMPARE(picker.table()->item(1, 0)->text(), QStringLiteral("B2"));
    QCOMPARE(picker.chosenRow(), 0);
    if (clicked >= 0) {
        QTableWidget *t = picker.table();
        const QRect cell = t->visualItemRect(t->item(clicked, 1));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell.center());
    } else {
        picker.close();
    }
    QVERIFY(!picker.isVisible());
    QCOMPARE(picker.chosenRow(), chosen);
}

QTEST_MAIN(PickersUiTest)
#include "pickers_uitest.moc"
