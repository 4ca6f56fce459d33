// The periodical windows, driven offscreen: intake with the copy of an earlier issue, the
// required fields, save and reset; editing from management; the exact and contains searches;
// deletion kept back by a loan; the reports and the export; the main window's commands.
#include "PromptRecorder.h"
#include "ReportRecorder.h"
#include "TestDb.h"

#include "ColumnSearchGroup.h"
#include "ExcelExport.h"
#include "MainUt.h"
#include "ResultGrid.h"
#include "catalogue/PeriodicalFields.h"
#include "catalogue/QkAddUt.h"
#include "catalogue/QkEditUt.h"
#include "catalogue/QkSearchUt.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "import/XlsxReader.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

namespace {

void allow(bool all = true)
{
    LoginContext &c = loginContext();
    c.adminName = QStringLiteral("管理员甲");
    c.qxadddata = all;
    c.qxqkxg = all;
    c.qxdel = all;
    c.qxqk = true;
}

bool insertIssue(const QString &number, const QString &name, const QString &barcode, int count = 1,
                 const QString &price = QStringLiteral("10"))
{
    Statement st(QStringLiteral("insert into 期刊 (编号, 名称, 条形码, 数量, 价格, 物品级别, "
                                "出版社, 存放位置, 分类, 国内统一刊号, 第几期, py, 简介, 入库时间) "
                                "values ("));
    st.value(number).text(",").value(name).text(",").value(barcode).text(",").value(count);
    st.text(",").value(price);
    st.text(QStringLiteral(", '普通', '人民出版社', '二楼', '综合', 'CN11-0001', '3', 'DZ', "
                           "'月刊', '2024-01-05')"));
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void click(TQkSearchFm *w, const QString &text)
{
    QToolButton *b = w->button(text);
    QVERIFY2(b && b->isEnabled(), qPrintable(text));
    QTest::mouseClick(b, Qt::LeftButton);
}

QStringList shownNumbers(ResultGrid *grid)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->value(r, QStringLiteral("编号")).toString();
    return out;
}

} // namespace

class PeriodicalUiTest : public QObject {
    Q_OBJECT
private slots:
    void intakeCopiesSavesAndResets();
    void managementSearchesEditsAndDeletes();
    void reportsAndExport();
    void mainWindowCommands();
};

void PeriodicalUiTest::intakeCopiesSavesAndResets()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    allow();
    QVERIFY(insertIssue("Q1", "读者", "977100", 4, "8.5"));
    PromptRecorder prompts;
    TQkAddFm w;
    PeriodicalFields *f = w.fields();
    QCOMPARE(w.windowTitle(), QStringLiteral("添加期刊---字体加重的项必须填写"));
    QCOMPARE(f->text("数量"), QStringLiteral("1"));
    QCOMPARE(f->text("价格"), QStringLiteral("0"));
    QCOMPARE(f->text("物品级别"), QStringLiteral("普通"));
    QCOMPARE(f->text("状态"), QStringLiteral("正常"));
    QVERIFY(w.clearAfterSaveBox()->isChecked());
    QCOMPARE(f->choice("状态")->count(), 2);

    // Enter in 条形码 copies the earlier issue; 编号 stays as typed.
    typeInto(f->line("编号"), QStringLiteral("Q2"));
    typeInto(f->line("条形码"), QStringLiteral("977100"));
    QTest::keyClick(f->line("条形码"), Qt::Key_Return);
    QCOMPARE(f->text("编号"), QStringLiteral("Q2"));
    QCOMPARE(f->text("名称"), QStringLiteral("读者"));
    QCOMPARE(f->text("py"), QStringLiteral("DZ"));
    QCOMPARE(f->text("价格"), QStringLiteral("8.5"));
    QCOMPARE(f->text("出版社"), QStringLiteral("人民出版社"));
    QCOMPARE(f->text("简介"), QStringLiteral("月刊"));
    QCOMPARE(f->text("数量"), QStringLiteral("1"));

    // Only digits go into 数量.
    typeInto(f->line("数量"), QStringLiteral("2x"));
    QCOMPARE(f->text("数量"), QStringLiteral("2"));

    // A required field left empty: nothing is written.
    f->choice("物品级别")->setEditText(QString());
    w.saveClicked();
    QCOMPARE(prompts.last(), QStringLiteral("字体加重的项目必须填写完整!"));
    QCOMPARE(scalar("select count(*) from 期刊").toInt(), 1);

    f->choice("物品级别")->setEditText(QStringLiteral("普通"));
    typeInto(f->line("第几期"), QStringLiteral("4"));
    w.saveClicked();
    QCOMPARE(prompts.last(), QStringLiteral("保存完毕"));
    QCOMPARE(scalar("select 第几期 from 期刊 where 编号='Q2'").toString(), QStringLiteral("4"));
    QCOMPARE(scalar("select 数量 from 期刊 where 编号='Q2'").toInt(), 2);
    // Cleared for the next issue, 编号 too.
    QCOMPARE(f->text("编号"), QString());
    QCOMPARE(f->text("名称"), QString());
    QCOMPARE(f->text("数量"), QStringLiteral("1"));
    QCOMPARE(f->text("价格"), QStringLiteral("0"));
    QCOMPARE(f->text("物品级别"), QStringLiteral("普通"));
    QCOMPARE(f->text("状态"), QStringLiteral("正常"));
}

void PeriodicalUiTest::managementSearchesEditsAndDeletes()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    allow();
    QVERIFY(insertIssue("Q1", "读者", "9771"));
    QVERIFY(insertIssue("Q2", "青年读者", "9772"));
    QVERIFY(insertIssue("Q3", "O'Brien", "9773"));
    QVERIFY(insertIssue("Q4", "读者 ", "9774"));
    PromptRecorder prompts;
    TQkSearchFm w;
    QCOMPARE(w.windowTitle(), QStringLiteral("期刊管理"));
    QVERIFY(w.windowState() & Qt::WindowMaximized);
    QCOMPARE(w.grid()->rowCount(), 4);
    QCOMPARE(w.grid()->footerText(QStringLiteral("编号")), QStringLiteral("4"));
    QStringList captions;
    for (const ResultGrid::Column &c : w.grid()->visibleColumns())
        captions << c.field;
    QCOMPARE(captions, QStringList({"编号", "名称", "条形码", "分类", "出版社", "存放位置", "数量",
                                    "ISSN", "国内统一刊号", "邮发代号", "出版时间", "第几期",
                                    "入库时间", "总第几期", "价格", "币种", "借出次数", "状态"}));
    ColumnSearchGroup *c = w.conditions();
    QCOMPARE(c->columnBox()->currentText(), QStringLiteral("编号"));
    QCOMPARE(c->columnBox()->count(), 4);
    QVERIFY(c->containsButton()->isChecked());

    click(&w, QStringLiteral("查询"));
    QCOMPARE(prompts.last(), QStringLiteral("请填写好查询条件!"));
    c->columnBox()->setEditText(QStringLiteral("名称"));
    typeInto(c->valueEdit(), QStringLiteral("读者"));
    QTest::keyClick(c->valueEdit(), Qt::Key_Return);
    QCOMPARE(w.grid()->rowCount(), 3);
    c->exactButton()->setChecked(true);
    typeInto(c->valueEdit(), QStringLiteral("读者 "));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(w.grid()), QStringList{"Q4"});
    typeInto(c->valueEdit(), QStringLiteral("O'Brien"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(w.grid()), QStringList{"Q3"});

    // 修改 edits the current issue; management reads its list again.
    w.grid()->setCurrentRow(0);
    click(&w, QStringLiteral("修改"));
    auto *edit = w.findChild<TQkEditFm *>();
    QVERIFY(edit);
    QCOMPARE(edit->windowTitle(), QStringLiteral("期刊编辑"));
    QCOMPARE(edit->fields()->text("名称"), QStringLiteral("O'Brien"));
    QCOMPARE(edit->fields()->date("入库时间")->date(), QDate(2024, 1, 5));
    typeInto(edit->fields()->line("第几期"), QStringLiteral("12"));
    QPointer<TQkEditFm> guard(edit);
    edit->saveClicked();
    QCOMPARE(prompts.last(), QStringLiteral("保存完毕"));
    QTRY_VERIFY(!guard);
    QCOMPARE(w.grid()->value(0, QStringLiteral("第几期")).toString(), QStringLiteral("12"));

    // 删除 asks with the name; a loan still out keeps the issue.
    click(&w, QStringLiteral("显示全部"));
    QCOMPARE(w.grid()->rowCount(), 4);
    QVERIFY(Statement(QStringLiteral("insert into 借出记录 (读者编号, 编号, 类别, 已还) values "
                                     "('R1', 'Q1', '期刊', '否')"))
                .run());
    w.grid()->setCurrentRow(shownNumbers(w.grid()).indexOf("Q1"));
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.entries().at(prompts.entries().size() - 2).text,
             QStringLiteral("您是否要删除\" 读者\""));
    QVERIFY2(prompts.last().contains(QStringLiteral("不能删除")), qPrintable(prompts.last()));
    QCOMPARE(w.grid()->rowCount(), 4);
    w.grid()->setCurrentRow(shownNumbers(w.grid()).indexOf("Q2"));
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(w.grid()->rowCount(), 3);
    QCOMPARE(scalar("select count(*) from 期刊 where 编号='Q2'").toInt(), 0);

    // Without the permissions the buttons are disabled.
    allow(false);
    TQkSearchFm limited;
    for (const char *b : {"添加", "修改", "删除"})
        QVERIFY2(!limited.button(QString::fromUtf8(b))->isEnabled(), b);
    QVERIFY(limited.button(QStringLiteral("查询"))->isEnabled());
}

void PeriodicalUiTest::reportsAndExport()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    allow();
    QVERIFY(insertIssue("Q2", "故事会", "ABC-2", 3, "2.5"));
    QVERIFY(insertIssue("Q1", "读者", "ABC-1", 2, "10"));
    ReportRecorder reports;
    PromptRecorder prompts;
    TQkSearchFm w;
    click(&w, QStringLiteral("打印"));
    const ReportModel list = reports.last();
    QCOMPARE(list.texts(0, "cell").size(), 12);
    const QString footer = list.texts(0, "pageFooter").join(' ');
    QVERIFY2(footer.contains(QStringLiteral("总数量: 5")), qPrintable(footer));
    QVERIFY2(footer.contains(QStringLiteral("  总价格:12.50")), qPrintable(footer));
    click(&w, QStringLiteral("打印条码"));
    QCOMPARE(reports.last().pageCount(), 2);
    const ReportItem *bars = reports.last().items(0, "barcode").first();
    QCOMPARE(bars->barcode.symbology(), Barcode::Symbology::Code128A);
    QVERIFY(bars->barcode.hasBars());
    click(&w, QStringLiteral("打印标签"));
    QCOMPARE(reports.last().pageCount(), 2);

    w.grid()->setCurrentRow(shownNumbers(w.grid()).indexOf("Q1"));
    const QList<QAction *> single = w.singleMenu()->actions();
    QCOMPARE(single.size(), 2);
    single[0]->trigger();
    QCOMPARE(reports.last().items(0, "barcode").first()->barcode.text(), QStringLiteral("ABC-1"));
    single[1]->trigger();
    QCOMPARE(reports.last().texts(0, "line"), QStringList({"CN11-0001", "Q1", "ABC-1"}));

    QStringList opened;
    const ExcelExport::Opener previous = ExcelExport::setOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    click(&w, QStringLiteral("转Excel"));
    ExcelExport::setOpener(previous);
    QCOMPARE(opened.size(), 1);
    SheetData sheet;
    QString error;
    QVERIFY2(XlsxReader::read(opened.first(), &sheet, &error), qPrintable(error));
    QFile::remove(opened.first());
    QCOMPARE(sheet.rowCount(), 3);
    QCOMPARE(sheet.columnCount, Schema::findTable(QStringLiteral("期刊"))->columns.size());
    QCOMPARE(sheet.cell(0, 0).toString(), QStringLiteral("编号"));
    QVERIFY(prompts.entries().isEmpty());
}

void PeriodicalUiTest::mainWindowCommands()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    allow();
    TMainFm main(loginContext());
    main.menuAction(QStringLiteral("期刊管理"))->trigger();
    QPointer<QWidget> issues = main.openWindow(QStringLiteral("期刊管理"));
    QVERIFY(qobject_cast<TQkSearchFm *>(issues));
    QCOMPARE(issues->windowModality(), Qt::NonModal);
    // Chosen again, the same window comes forward.
    main.menuAction(QStringLiteral("期刊管理"))->trigger();
    QCOMPARE(main.openWindow(QStringLiteral("期刊管理")), issues.data());
    issues->close();
    QTRY_VERIFY(!issues);

    main.menuAction(QStringLiteral("添加期刊"))->trigger();
    QPointer<QWidget> add = main.openWindow(QStringLiteral("添加期刊"));
    QVERIFY(qobject_cast<TQkAddFm *>(add));
    QCOMPARE(add->windowModality(), Qt::ApplicationModal);
    add->close();
    QTRY_VERIFY(!add);
}

QTEST_MAIN(PeriodicalUiTest)
#include "periodical_uitest.moc"
