// Reader management, driven offscreen: the list it opens with, the searches, the buttons and
// their permissions, deletion, the reports, the export, the windows it opens and the main
// window's commands that open it.
#include "PromptRecorder.h"
#include "ReportRecorder.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "MainUt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "demo/LibraryGenerator.h"
#include "import/XlsxReader.h"
#include "readers/ChangeRdStateUt.h"
#include "readers/RdAddUt.h"
#include "readers/RdChongZhiUt.h"
#include "readers/RdEditPicUt.h"
#include "readers/RdEditUt.h"
#include "readers/RdSearchUt.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

void allow(bool all = true)
{
    LoginContext &c = loginContext();
    c.adminName = QStringLiteral("管理员甲");
    c.libraryName = QStringLiteral("市图书馆");
    c.qxadddata = all;
    c.qxrdxg = all;
    c.qxdel = all;
    c.qxrd = true;
}

bool insertReader(const QString &number, const QString &name, const QString &registered,
                  const QVariant &cardId = QVariant())
{
    Statement st(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, 登记日期, CardId, 类别, "
                                "性别, 状态) values ("));
    st.value(number).text(QStringLiteral(",")).value(name).text(QStringLiteral(","));
    st.value(registered).text(QStringLiteral(","));
    st.value(cardId.isValid() ? cardId : QVariant(QMetaType(QMetaType::QString)));
    st.text(QStringLiteral(", '普通', '男', '正常')"));
    return st.run();
}

void click(TRdSearchFm *w, const QString &text)
{
    QToolButton *b = w->button(text);
    QVERIFY2(b, qPrintable(text));
    QVERIFY2(b->isEnabled(), qPrintable(text + QStringLiteral(" is disabled")));
    QTest::mouseClick(b, Qt::LeftButton);
}

void typeValue(TRdSearchFm *w, const QString &text)
{
    w->valueEdit()->setFocus();
    w->valueEdit()->selectAll();
    QTest::keyClick(w->valueEdit(), Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w->valueEdit(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
}

QStringList shownNumbers(ResultGrid *grid)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->value(r, QStringLiteral("读者编号")).toString();
    return out;
}

int rowOf(ResultGrid *grid, const QString &number)
{
    return shownNumbers(grid).indexOf(number);
}

int readerCount()
{
    return scalar(QStringLiteral("select count(*) from 读者库")).toInt();
}

template <typename Window> QPointer<Window> openedWindow(TRdSearchFm *w)
{
    const QList<Window *> all = w->findChildren<Window *>();
    return all.isEmpty() ? nullptr : all.last();
}

} // namespace

class ReaderSearchUiTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithEveryReaderInOrder();
    void columnsAsTheSettingsSay();
    void searchesByEachCondition();
    void emptyOrWrongConditionsAreTold();
    void showAllAndRefresh();
    void buttonsFollowPermissions_data();
    void buttonsFollowPermissions();
    void deleteAsksAndKeepsReadersWithLoans();
    void reportsAndExport();
    void longReportsAskFirst();
    void opensTheReaderWindows();
    void mainWindowCommands();
};

void ReaderSearchUiTest::opensWithEveryReaderInOrder()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QString error;
    QVERIFY2(LibraryGenerator::fillDemo(t.db(), &error), qPrintable(error));
    allow();
    TRdSearchFm w;
    QCOMPARE(w.windowTitle(), QStringLiteral("读者管理"));
    QVERIFY(w.windowState() & Qt::WindowMaximized);
    ResultGrid *grid = w.grid();
    QCOMPARE(grid->rowCount(), readerCount());
    QCOMPARE(grid->footerText(QStringLiteral("读者编号")), QString::number(readerCount()));
    QStringList numbers = shownNumbers(grid);
    QStringList sorted = numbers;
    sorted.sort();
    QCOMPARE(numbers, sorted);
    QCOMPARE(grid->currentRow(), 0);

    // The condition group as it starts.
    QCOMPARE(w.columnBox()->currentText(), QStringLiteral("读者编号"));
    QCOMPARE(w.columnBox()->count(), 13);
    QCOMPARE(w.columnBox()->itemText(2), QStringLiteral("读者卡号"));
    QVERIFY(w.valueEdit()->text().isEmpty());
    QVERIFY(w.containsButton()->isChecked());
    QVERIFY(!w.dateBox()->isChecked());
    QVERIFY(!w.fromEdit()->isEnabled() && !w.toEdit()->isEnabled());
    const QDate today = QDate::currentDate();
    QCOMPARE(w.fromEdit()->date(), QDate(today.year(), today.month(), 1));
    QCOMPARE(w.toEdit()->date(), today.addDays(1));
    w.dateBox()->setChecked(true);
    QVERIFY(w.fromEdit()->isEnabled() && w.toEdit()->isEnabled());

    // A click on a column title sorts the lines.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int nameColumn = 1;
    QTest::mouseClick(
        grid->view()->horizontalHeader()->viewport(), Qt::LeftButton, {},
        QPoint(grid->view()->horizontalHeader()->sectionViewportPosition(nameColumn) + 5, 5));
    QStringList names;
    for (int r = 0; r < grid->rowCount(); ++r)
        names << grid->value(r, QStringLiteral("读者姓名")).toString();
    QVERIFY(names.first() <= names.last());
    QVERIFY(grid->currentStatement().sql().contains(QStringLiteral("order by t.\"读者姓名\"")));
}

void ReaderSearchUiTest::columnsAsTheSettingsSay()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
    allow();
    loginContext().showClass = false;
    loginContext().showFaculty = true;
    TRdSearchFm w;
    QStringList captions;
    for (const ResultGrid::Column &c : w.grid()->visibleColumns())
        captions << c.caption;
    QCOMPARE(captions,
             QStringList({"读者编号", "读者姓名", "性别", "类别", "部门", "院系", "累计借阅次数",
                          "未还数量", "登记日期", "有效期", "状态", "登记人", "pic"}));
    // Hidden columns stay readable.
    QCOMPARE(w.grid()->currentRecord().count(), Schema::findTable("读者库")->columns.size());
    QCOMPARE(w.grid()->displayText(0, QStringLiteral("登记日期")), QStringLiteral("2024-03-01"));
}

void ReaderSearchUiTest::searchesByEachCondition()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    const QDate today = QDate::currentDate();
    const QString thisMonth = QDate(today.year(), today.month(), 1).toString("yyyy-MM-dd");
    QVERIFY(insertReader("R1", "张三丰", "2019-05-01 10:00:00", "CARD-1"));
    QVERIFY(insertReader("R2", "李四", thisMonth + QStringLiteral(" 08:00:00"), "CARD-2"));
    QVERIFY(insertReader("R3", "张无忌", thisMonth + QStringLiteral(" 09:00:00")));
    QVERIFY(insertReader("R4", "100%满意", "2019-05-01 10:00:00"));
    allow();
    TRdSearchFm w;
    PromptRecorder prompts;
    ResultGrid *grid = w.grid();

    // 模糊 by name, Enter in the value box.
    w.columnBox()->setEditText(QStringLiteral("读者姓名"));
    typeValue(&w, QStringLiteral(" 张 "));
    QTest::keyClick(w.valueEdit(), Qt::Key_Return);
    QCOMPARE(shownNumbers(grid), QStringList({"R1", "R3"}));
    QCOMPARE(w.valueEdit()->text(), QStringLiteral("张"));
    QCOMPARE(grid->footerText(QStringLiteral("读者编号")), QStringLiteral("2"));
    typeValue(&w, QStringLiteral("张三丰"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(grid), QStringList{"R1"});
    // A percent sign is a character like any other.
    typeValue(&w, QStringLiteral("0%"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(grid), QStringList{"R4"});

    // 精确 by number: nobody has it.
    w.columnBox()->setEditText(QStringLiteral("读者编号"));
    w.exactButton()->click();
    typeValue(&w, QStringLiteral("R"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(grid->rowCount(), 0);
    QCOMPARE(grid->footerText(QStringLiteral("读者编号")), QStringLiteral("0"));
    typeValue(&w, QStringLiteral("R2"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(grid), QStringList{"R2"});

    // 读者卡号: the reader of the card, and the box ready for the next card.
    w.columnBox()->setCurrentIndex(2);
    QCOMPARE(w.columnBox()->currentText(), QStringLiteral("读者卡号"));
    typeValue(&w, QStringLiteral("CARD-1"));
    QTest::keyClick(w.valueEdit(), Qt::Key_Return);
    QCOMPARE(shownNumbers(grid), QStringList{"R1"});
    QVERIFY(w.valueEdit()->text().isEmpty());

    // The registration dates alone: this month's readers, by the button in the group.
    w.dateBox()->setChecked(true);
    QTest::mouseClick(w.groupSearchButton(), Qt::LeftButton);
    QStringList inRange = shownNumbers(grid);
    inRange.sort();
    QCOMPARE(inRange, QStringList({"R2", "R3"}));
    // The dates with a name.
    w.columnBox()->setEditText(QStringLiteral("读者姓名"));
    w.containsButton()->click();
    typeValue(&w, QStringLiteral("张"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(grid), QStringList{"R3"});
    // A range that ends before the readers came.
    w.fromEdit()->setDate(QDate(2019, 5, 1));
    w.toEdit()->setDate(QDate(2019, 5, 1));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(grid->rowCount(), 0);
    w.toEdit()->setDate(QDate(2019, 5, 2));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(grid), QStringList{"R1"});
    QVERIFY(prompts.entries().isEmpty());
}

void ReaderSearchUiTest::emptyOrWrongConditionsAreTold()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
    QVERIFY(insertReader("R2", "李四", "2024-03-01 10:00:00"));
    allow();
    TRdSearchFm w;
    PromptRecorder prompts;
    typeValue(&w, QStringLiteral("   "));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(prompts.texts(), QStringList{"请填写好查询条件!"});
    QCOMPARE(w.grid()->rowCount(), 2); // the list stays
    QVERIFY(w.valueEdit()->text().isEmpty());

    prompts.clear();
    w.columnBox()->setEditText(QStringLiteral("读者姓名;delete from 读者库"));
    typeValue(&w, QStringLiteral("张"));
    QTest::keyClick(w.valueEdit(), Qt::Key_Return);
    QCOMPARE(prompts.texts(), QStringList{"读者库中没有可以查询的“读者姓名;delete from 读者库”, "
                                          "请从列表中选择要查询的项目!"});
    QCOMPARE(w.grid()->rowCount(), 2);
    QCOMPARE(readerCount(), 2);
}

void ReaderSearchUiTest::showAllAndRefresh()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("R2", "李四", "2024-03-01 10:00:00"));
    QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
    allow();
    TRdSearchFm w;
    QVERIFY(w.grid()->currentStatement().sql().contains(QStringLiteral("order by 1,2")));
    click(&w, QStringLiteral("显示全部"));
    QCOMPARE(w.grid()->rowCount(), 2);
    QVERIFY(!w.grid()->currentStatement().sql().contains(QStringLiteral("order by")));
    // 刷新 runs the last statement again (显示全部's), showing rows written meanwhile.
    QVERIFY(insertReader("R0", "王五", "2024-03-01 10:00:00"));
    click(&w, QStringLiteral("刷新"));
    QCOMPARE(w.grid()->rowCount(), 3);
    QVERIFY(!w.grid()->currentStatement().sql().contains(QStringLiteral("order by")));
}

void ReaderSearchUiTest::buttonsFollowPermissions_data()
{
    QTest::addColumn<bool>("addData");
    QTest::addColumn<bool>("editReaders");
    QTest::addColumn<bool>("deleteData");
    QTest::addColumn<bool>("readers");
    QTest::newRow("everything") << true << true << true << true;
    QTest::newRow("nothing") << false << false << false << true;
    QTest::newRow("add only") << true << false << false << true;
    QTest::newRow("edit only") << false << true << false << true;
    QTest::newRow("delete only") << false << false << true << true;
    QTest::newRow("empty table") << true << true << true << false;
}

void ReaderSearchUiTest::buttonsFollowPermissions()
{
    QFETCH(bool, addData);
    QFETCH(bool, editReaders);
    QFETCH(bool, deleteData);
    QFETCH(bool, readers);
    TestDb t;
    TSGL_FRESH_DB(t);
    if (readers)
        QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
    allow(false);
    loginContext().qxadddata = addData;
    loginContext().qxrdxg = editReaders;
    loginContext().qxdel = deleteData;
    TRdSearchFm w;
    QCOMPARE(w.button(QStringLiteral("添加"))->isEnabled(), addData);
    QCOMPARE(w.button(QStringLiteral("编辑"))->isEnabled(), editReaders);
    QCOMPARE(w.button(QStringLiteral("删除"))->isEnabled(), deleteData);
    QCOMPARE(w.button(QStringLiteral("充值"))->isEnabled(), readers);
    for (const char *always :
         {"查询", "修改状态", "刷新", "显示全部", "打印报表", "借阅证", "转EXCEL", "照片", "退出"})
        QVERIFY2(w.button(QString::fromUtf8(always))->isEnabled(), always);
    // 充值 stays as the opening found the table.
    if (!readers) {
        QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
        click(&w, QStringLiteral("刷新"));
        QCOMPARE(w.grid()->rowCount(), 1);
        QVERIFY(!w.button(QStringLiteral("充值"))->isEnabled());
    }
}

void ReaderSearchUiTest::deleteAsksAndKeepsReadersWithLoans()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
    QVERIFY(insertReader("R2", "李四", "2024-03-01 10:00:00"));
    QVERIFY(insertReader("R3", "王五", "2024-03-01 10:00:00"));
    QVERIFY(Statement(QStringLiteral("insert into 借出记录 (读者编号, 读者姓名, 编号, 已还) values "
                                     "('R2', '李四', 'B1', '否')"))
                .run());
    allow();
    TRdSearchFm w;
    PromptRecorder prompts;
    ResultGrid *grid = w.grid();

    // No: nothing happens.
    grid->setCurrentRow(rowOf(grid, "R1"));
    prompts.answer(false);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.entries().size(), 1);
    QCOMPARE(prompts.entries()[0].kind, Prompt::Kind::Question);
    QCOMPARE(prompts.entries()[0].text, QStringLiteral("您是否要删除\" 张三\""));
    QCOMPARE(prompts.entries()[0].defaultAnswer, Prompt::Answer::No);
    QCOMPARE(readerCount(), 3);

    // A reader who holds a book stays.
    prompts.clear();
    grid->setCurrentRow(rowOf(grid, "R2"));
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.texts(),
             QStringList({"您是否要删除\" 李四\"",
                          "读者“李四”(读者编号 R2) 还有 1 件借出的物品没有归还, 不能删除! "
                          "请先归还."}));
    QCOMPARE(readerCount(), 3);
    QCOMPARE(shownNumbers(grid), QStringList({"R1", "R2", "R3"}));

    // Yes: the row is gone; the line goes to the next reader.
    prompts.clear();
    grid->setCurrentRow(rowOf(grid, "R1"));
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.texts(), QStringList{"您是否要删除\" 张三\""});
    QCOMPARE(readerCount(), 2);
    QCOMPARE(shownNumbers(grid), QStringList({"R2", "R3"}));
    QCOMPARE(grid->footerText(QStringLiteral("读者编号")), QStringLiteral("2"));
    QCOMPARE(grid->currentValue(QStringLiteral("读者编号")).toString(), QStringLiteral("R2"));

    // Nobody chosen: the user is told.
    prompts.clear();
    w.columnBox()->setEditText(QStringLiteral("读者编号"));
    typeValue(&w, QStringLiteral("nobody"));
    click(&w, QStringLiteral("查询"));
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.texts(), QStringList{"请先在列表中选择一位读者!"});
}

void ReaderSearchUiTest::reportsAndExport()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("R2", "李四", "2024-03-01 10:00:00"));
    QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
    QVERIFY(insertReader("X1", "王五", "2024-03-01 10:00:00"));
    QVERIFY(
        Statement(QStringLiteral("update 系统设置 set 借阅证背面文字='本证限本人使用.'")).run());
    allow();
    TRdSearchFm w;
    ReportRecorder reports;
    PromptRecorder prompts;
    // The reports and the export take the lines as shown: searched and sorted.
    typeValue(&w, QStringLiteral("R"));
    click(&w, QStringLiteral("查询"));
    QVERIFY(w.grid()->sortBy(QStringLiteral("读者编号"), Qt::DescendingOrder));

    click(&w, QStringLiteral("打印报表"));
    QCOMPARE(reports.models().size(), 1);
    const ReportModel list = reports.last();
    QCOMPARE(list.texts(0, "columnTitle"),
             QStringList({"编号", "姓名", "性别", "单位部门", "借阅次数", "未还数量"}));
    QStringList cells = list.texts(0, "cell");
    QCOMPARE(cells.value(0), QStringLiteral("R2"));
    QCOMPARE(cells.value(6), QStringLiteral("R1"));
    QCOMPARE(cells.size(), 12);

    reports.clear();
    click(&w, QStringLiteral("借阅证"));
    QCOMPARE(reports.models().size(), 2);
    const ReportModel front = reports.models()[0];
    const ReportModel back = reports.models()[1];
    QCOMPARE(front.pageCount(), 2);
    QCOMPARE(front.texts(0, "heading"), QStringList{"市图书馆"});
    QCOMPARE(front.texts(0, "name"), QStringList{"姓名:李四"});
    QCOMPARE(front.items(0, "barcode").first()->barcode.text(), QStringLiteral("R2"));
    QCOMPARE(front.items(1, "barcode").first()->barcode.text(), QStringLiteral("R1"));
    QCOMPARE(back.pageCount(), 2);
    QCOMPARE(back.texts(1, "backText"), QStringList{"本证限本人使用."});

    // The reports print: each one written as a PDF.
    QTemporaryDir dir;
    for (const ReportModel &m : {list, front, back}) {
        ReportPreviewDialog preview(m);
        const QString path = dir.filePath(m.title + QStringLiteral(".pdf"));
        QString error;
        QVERIFY2(preview.exportPdf(path, &error), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
    }

    // The sheet: every column of the lines shown, names in row 1.
    QStringList opened;
    const ExcelExport::Opener previous = ExcelExport::setOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    click(&w, QStringLiteral("转EXCEL"));
    ExcelExport::setOpener(previous);
    QCOMPARE(opened.size(), 1);
    SheetData sheet;
    QString error;
    QVERIFY2(XlsxReader::read(opened.first(), &sheet, &error), qPrintable(error));
    QFile::remove(opened.first());
    QCOMPARE(sheet.rowCount(), 3);
    const Schema::Table *readers = Schema::findTable(QStringLiteral("读者库"));
    QCOMPARE(sheet.columnCount, readers->columns.size());
    for (int c = 0; c < readers->columns.size(); ++c)
        QCOMPARE(sheet.cell(0, c).toString(), readers->columns[c].name);
    QCOMPARE(sheet.cell(1, 0).toString(), QStringLiteral("R2"));
    QCOMPARE(sheet.cell(2, 1).toString(), QStringLiteral("张三"));
    QVERIFY(prompts.entries().isEmpty());
}

void ReaderSearchUiTest::longReportsAskFirst()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral(
                          "with recursive n(i) as (select 1 union all select i+1 from n where "
                          "i<5001) insert into 读者库 (读者编号, 读者姓名) select 'N'||i, '读者' "
                          "from n"))
                .run());
    allow();
    TRdSearchFm w;
    ReportRecorder reports;
    PromptRecorder prompts;
    // The list of 5,001 readers is short enough; their cards are not.
    click(&w, QStringLiteral("打印报表"));
    QCOMPARE(reports.models().size(), 1);
    QVERIFY(prompts.entries().isEmpty());
    prompts.answer(false);
    click(&w, QStringLiteral("借阅证"));
    QCOMPARE(prompts.texts(),
             QStringList{"借阅证约有 10002 页, 生成和预览需要一些时间. 是否继续?"});
    QCOMPARE(prompts.entries().first().defaultAnswer, Prompt::Answer::Yes);
    QCOMPARE(reports.models().size(), 1);
    prompts.answer(true);
    click(&w, QStringLiteral("借阅证"));
    QCOMPARE(reports.models().size(), 3);
    QCOMPARE(reports.last().pageCount(), 5001);
}

void ReaderSearchUiTest::opensTheReaderWindows()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (int i = 1; i <= 5; ++i)
        QVERIFY(insertReader(QStringLiteral("R%1").arg(i), QStringLiteral("读者%1").arg(i),
                             "2024-03-01 10:00:00"));
    QVERIFY(Statement(QStringLiteral("update 读者库 set pic=? where 读者编号='R3'"),
                      {QByteArray("BM-photo")})
                .run());
    allow();
    TRdSearchFm w;
    w.show();
    PromptRecorder prompts;
    ResultGrid *grid = w.grid();
    grid->setCurrentRow(rowOf(grid, "R3"));

    // Each window works on the reader of the current line, modal over this one.
    click(&w, QStringLiteral("编辑"));
    QPointer<TRdEditFm> edit = openedWindow<TRdEditFm>(&w);
    QVERIFY(edit && edit->isVisible());
    QCOMPARE(edit->windowModality(), Qt::ApplicationModal);
    // The editing window changed the name; its signal brings the change into the list,
    // the line stays on the reader even though a new reader now comes before him.
    QVERIFY(
        Statement(QStringLiteral("update 读者库 set 读者姓名='改过的' where 读者编号='R3'")).run());
    QVERIFY(insertReader("R0", "新来的", "2024-03-01 10:00:00"));
    emit edit->saved();
    QCOMPARE(grid->currentValue(QStringLiteral("读者编号")).toString(), QStringLiteral("R3"));
    QCOMPARE(grid->currentValue(QStringLiteral("读者姓名")).toString(), QStringLiteral("改过的"));
    QCOMPARE(grid->rowCount(), 6);
    edit->close();
    QTRY_VERIFY(!edit);

    click(&w, QStringLiteral("修改状态"));
    QPointer<TChangeRdStateFm> state = openedWindow<TChangeRdStateFm>(&w);
    QVERIFY(state && state->isVisible());
    QVERIFY(Statement(QStringLiteral("update 读者库 set 状态='停用' where 读者编号='R3'")).run());
    emit state->saved();
    QCOMPARE(grid->currentValue(QStringLiteral("状态")).toString(), QStringLiteral("停用"));
    state->close();
    QTRY_VERIFY(!state);

    click(&w, QStringLiteral("充值"));
    QPointer<TRdChongZhiFm> topUp = openedWindow<TRdChongZhiFm>(&w);
    QVERIFY(topUp && topUp->isVisible());
    QVERIFY(Statement(QStringLiteral("update 读者库 set 卡内金额=25 where 读者编号='R3'")).run());
    emit topUp->toppedUp();
    QCOMPARE(grid->displayText(grid->currentRow(), QStringLiteral("卡内金额")),
             QStringLiteral("25.00"));
    topUp->close();
    QTRY_VERIFY(!topUp);

    click(&w, QStringLiteral("照片"));
    QPointer<TRdEditPicFm> photo = openedWindow<TRdEditPicFm>(&w);
    QVERIFY(photo && photo->isVisible());
    photo->close();
    QTRY_VERIFY(!photo);

    // A new reader is listed once the registration says so.
    click(&w, QStringLiteral("添加"));
    QPointer<TRdAddFm> add = openedWindow<TRdAddFm>(&w);
    QVERIFY(add && add->isVisible());
    QVERIFY(insertReader("R9", "新登记的", "2024-03-01 10:00:00"));
    emit add->saved();
    QCOMPARE(grid->rowCount(), 7);
    QCOMPARE(grid->currentValue(QStringLiteral("读者编号")).toString(), QStringLiteral("R3"));
    add->close();
    QTRY_VERIFY(!add);
    QVERIFY(prompts.entries().isEmpty());
}

void ReaderSearchUiTest::mainWindowCommands()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertReader("R1", "张三", "2024-03-01 10:00:00"));
    allow();
    TMainFm main(loginContext());
    // The menu entry and the tool button open one reader management, modal, filling the
    // screen.
    main.menuAction(QStringLiteral("读者管理"))->trigger();
    QPointer<QWidget> readers = main.openWindow(QStringLiteral("读者管理"));
    QVERIFY(qobject_cast<TRdSearchFm *>(readers));
    QVERIFY(readers->isVisible());
    QCOMPARE(readers->windowModality(), Qt::ApplicationModal);
    QVERIFY(readers->windowState() & Qt::WindowMaximized);
    QCOMPARE(qobject_cast<TRdSearchFm *>(readers)->grid()->rowCount(), 1);
    main.toolAction(QStringLiteral("读者管理"))->trigger();
    QCOMPARE(main.openWindow(QStringLiteral("读者管理")), readers.data());
    readers->close();
    QTRY_VERIFY(!readers);

    main.menuAction(QStringLiteral("添加读者"))->trigger();
    QPointer<QWidget> add = main.openWindow(QStringLiteral("添加读者"));
    QVERIFY(qobject_cast<TRdAddFm *>(add));
    QCOMPARE(add->windowModality(), Qt::ApplicationModal);
    add->close();
    QTRY_VERIFY(!add);

    // Without the permissions the commands cannot be chosen.
    loginContext().qxrd = false;
    loginContext().qxadddata = false;
    TMainFm restricted(loginContext());
    QVERIFY(!restricted.menuAction(QStringLiteral("读者管理"))->isEnabled());
    QVERIFY(!restricted.toolAction(QStringLiteral("读者管理"))->isEnabled());
    QVERIFY(!restricted.menuAction(QStringLiteral("添加读者"))->isEnabled());
}

QTEST_MAIN(ReaderSearchUiTest)
#include "reader_search_uitest.moc"
