// Book management, driven offscreen: the list and summary it opens with, the searches (exact,
// contains, intake dates, combined), the buttons and their permissions, deletion, the
// recommendation and its window, every report, the export, and the main window's commands.
#include "PromptRecorder.h"
#include "ReportRecorder.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "MainUt.h"
#include "ReportPreview.h"
#include "ResultGrid.h"
#include "catalogue/BkAddUt.h"
#include "catalogue/BkEditUt.h"
#include "catalogue/BkSearchAdUt.h"
#include "catalogue/BkSearchUt.h"
#include "catalogue/BkTuiJianUt.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "import/XlsxReader.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

void allow(bool all = true)
{
    LoginContext &c = loginContext();
    c.adminName = QStringLiteral("管理员甲");
    c.qxadddata = all;
    c.qxbkxg = all;
    c.qxdel = all;
    c.qxadmin = all;
    c.qxbk = true;
    c.customListLabel1 = QStringLiteral("密级");
    c.customListLabel2 = QStringLiteral("语种");
    c.customListLabel3 = QStringLiteral("a3");
}

bool insertBook(const QString &number, const QString &title, const QString &entered,
                const QString &barcode = QStringLiteral("n"), int count = 1, double price = 10)
{
    Statement st(QStringLiteral("insert into 图书 (编号, 条形码, 名称, 作者, 入库时间, 数量, 价格, "
                                "分类, 存放位置, 分类号, zch, 索书号, 简介) values ("));
    st.value(number).text(",").value(barcode).text(",").value(title).text(",");
    st.value(QStringLiteral("作者") + number).text(",").value(entered).text(",").value(count);
    st.text(",").value(price);
    st.text(QStringLiteral(", '文学', '一楼', 'I247', 5, 'I247/5', '一部小说')"));
    QString error;
    if (!st.run(&error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

void click(TBkSearchFm *w, const QString &text)
{
    QToolButton *b = w->button(text);
    QVERIFY2(b, qPrintable(text));
    QVERIFY2(b->isEnabled(), qPrintable(text + QStringLiteral(" is disabled")));
    QTest::mouseClick(b, Qt::LeftButton);
}

void typeValue(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList shownNumbers(ResultGrid *grid)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->value(r, QStringLiteral("编号")).toString();
    return out;
}

int bookCount()
{
    return scalar(QStringLiteral("select count(*) from 图书")).toInt();
}

void fillFive()
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 08:00:00"));
    QVERIFY(insertBook("B5", "高等数学", "2020-05-01 10:00:00", "9787040396638", 2, 30.5));
    QVERIFY(insertBook("B1", "数学", "2021-01-01 10:00:00", "ABC-1", 1, 12));
    QVERIFY(insertBook("B3", "红楼梦", today, "6901", 4, 20));
    QVERIFY(insertBook("B2", "三国演义", "2019-01-01 10:00:00", "n", 1, 15));
    QVERIFY(insertBook("B4", "数学物理方法", today, "7702", 3, 40));
}

} // namespace

class BookSearchUiTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithListAndSummary();
    void searchesExactContainsAndDates();
    void combinedSearch();
    void emptyOrWrongConditionsAreTold();
    void buttonsFollowPermissions_data();
    void buttonsFollowPermissions();
    void deleteAsksWithTheTitle();
    void recommendation_data();
    void recommendation();
    void recommendationWindow();
    void reportsAndExport();
    void opensTheBookWindows();
    void mainWindowCommands();
};

void BookSearchUiTest::opensWithListAndSummary()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    allow();
    {
        // An empty catalogue: no summary, no error.
        PromptRecorder prompts;
        TBkSearchFm empty;
        QCOMPARE(empty.grid()->rowCount(), 0);
        QVERIFY(empty.summaryLabel()->text().isEmpty());
        QVERIFY(prompts.entries().isEmpty());
    }
    fillFive();
    TBkSearchFm w;
    QCOMPARE(w.windowTitle(), QStringLiteral("图书资料管理"));
    QVERIFY(w.windowState() & Qt::WindowMaximized);
    ResultGrid *grid = w.grid();
    QCOMPARE(shownNumbers(grid), QStringList({"B1", "B2", "B3", "B4", "B5"}));
    QCOMPARE(grid->footerText(QStringLiteral("编号")), QStringLiteral("5"));
    QCOMPARE(grid->footerText(QStringLiteral("数量")), QStringLiteral("11"));
    QCOMPARE(w.summaryLabel()->text(), QStringLiteral("总记录数:5 总数量:11 总价格:288.00"));

    // The columns, in order, the custom lists under their labels; 简介 and the paths hidden.
    QStringList captions;
    for (const ResultGrid::Column &c : grid->visibleColumns())
        captions << (c.caption.isEmpty() ? c.field : c.caption);
    QCOMPARE(captions,
             QStringList({"编号",     "条形码",   "名称", "分类",     "分类号",   "索书号",
                          "存放位置", "数量",     "价格", "入库时间", "借出次数", "出版社",
                          "作者",     "出版时间", "密级", "语种",     "a3",       "页数",
                          "ISBN",     "版次",     "状态", "附件"}));
    QCOMPARE(grid->value(0, QStringLiteral("简介")).toString(), QStringLiteral("一部小说"));

    QCOMPARE(w.columnBox()->currentText(), QStringLiteral("编号"));
    QCOMPARE(w.columnBox()->count(), 10);
    QVERIFY(w.containsButton()->isChecked());
    QVERIFY(!w.dateBox()->isChecked());
    QVERIFY(!w.fromEdit()->isEnabled() && !w.toEdit()->isEnabled());
    const QDate today = QDate::currentDate();
    QCOMPARE(w.fromEdit()->date(), QDate(today.year(), today.month(), 1));
    QCOMPARE(w.toEdit()->date(), today.addDays(1));
    w.dateBox()->setChecked(true);
    QVERIFY(w.fromEdit()->isEnabled() && w.toEdit()->isEnabled());

    // A click on a column title sorts; a filter narrows the lines.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(grid->sortBy(QStringLiteral("价格"), Qt::DescendingOrder));
    QCOMPARE(shownNumbers(grid), QStringList({"B4", "B5", "B3", "B2", "B1"}));
    QVERIFY(grid->setColumnFilterContains(QStringLiteral("名称"), QStringLiteral("数学")));
    QCOMPARE(shownNumbers(grid), QStringList({"B4", "B5", "B1"}));
}

void BookSearchUiTest::searchesExactContainsAndDates()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    allow();
    TBkSearchFm w;
    PromptRecorder prompts;
    w.columnBox()->setEditText(QStringLiteral("名称"));
    typeValue(w.valueEdit(), QStringLiteral("数学"));
    QTest::keyClick(w.valueEdit(), Qt::Key_Return);
    QCOMPARE(shownNumbers(w.grid()), QStringList({"B1", "B4", "B5"}));
    w.exactButton()->setChecked(true);
    QTest::mouseClick(w.groupSearchButton(), Qt::LeftButton);
    QCOMPARE(shownNumbers(w.grid()), QStringList({"B1"}));

    // Contains with the intake dates (this month up to tomorrow), then the dates alone.
    w.containsButton()->setChecked(true);
    w.dateBox()->setChecked(true);
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(w.grid()), QStringList({"B4"}));
    typeValue(w.valueEdit(), QString());
    click(&w, QStringLiteral("查询"));
    QStringList inRange = shownNumbers(w.grid());
    inRange.sort();
    QCOMPARE(inRange, QStringList({"B3", "B4"}));
    // Barcode and the column typed in another case.
    w.dateBox()->setChecked(false);
    w.columnBox()->setEditText(QStringLiteral("条形码"));
    typeValue(w.valueEdit(), QStringLiteral("abc"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(shownNumbers(w.grid()), QStringList({"B1"}));
    QVERIFY(prompts.entries().isEmpty());

    // 显示全部 and 刷新 (a book added meanwhile appears, the current line stays).
    click(&w, QStringLiteral("显示全部"));
    QCOMPARE(w.grid()->rowCount(), 5);
    w.grid()->setCurrentRow(shownNumbers(w.grid()).indexOf("B3"));
    QVERIFY(insertBook("A0", "新书", "2024-01-01"));
    click(&w, QStringLiteral("刷新"));
    QCOMPARE(w.grid()->rowCount(), 6);
    QCOMPARE(w.grid()->currentValue(QStringLiteral("编号")).toString(), QStringLiteral("B3"));
}

void BookSearchUiTest::combinedSearch()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (const char *n : {"A0001", "A050", "A0100", "A100", "A200"})
        QVERIFY(insertBook(n, QStringLiteral("书") + n, "2020-01-01"));
    allow();
    TBkSearchFm w;
    w.show();
    QTest::mouseClick(w.combinedButton(), Qt::LeftButton);
    QPointer<TBkSearchAdFm> ad = w.findChild<TBkSearchAdFm *>();
    QVERIFY(ad);
    QCOMPARE(ad->windowTitle(), QStringLiteral("组合查询"));
    QCOMPARE(ad->windowModality(), Qt::ApplicationModal);
    // Operators and sort columns are picked, never typed.
    QVERIFY(!ad->operatorBox(1)->isEditable());
    QVERIFY(!ad->sortBox()->isEditable());
    QVERIFY(!ad->columnBox(2)->isEditable());
    QCOMPARE(ad->operatorBox(1)->currentText(), QStringLiteral(">="));
    QCOMPARE(ad->operatorBox(2)->currentText(), QStringLiteral("<="));
    QCOMPARE(ad->directionBox()->currentText(), QStringLiteral("asc"));
    // An empty first value: nothing happens.
    ad->accept();
    QVERIFY(ad->isVisible());
    QCOMPARE(w.grid()->rowCount(), 5);

    typeValue(ad->valueEdit(1), QStringLiteral("A001"));
    typeValue(ad->valueEdit(2), QStringLiteral("A100"));
    ad->directionBox()->setCurrentText(QStringLiteral("desc"));
    QTest::keyClick(ad->valueEdit(2), Qt::Key_Return);
    QTRY_VERIFY(!ad);
    QCOMPARE(shownNumbers(w.grid()), QStringList({"A100", "A050", "A0100"}));
    // 刷新 runs the combined search again.
    click(&w, QStringLiteral("刷新"));
    QCOMPARE(w.grid()->rowCount(), 3);

    // exit leaves the list.
    QTest::mouseClick(w.combinedButton(), Qt::LeftButton);
    ad = w.findChild<TBkSearchAdFm *>();
    typeValue(ad->valueEdit(1), QStringLiteral("A"));
    ad->reject();
    QCOMPARE(w.grid()->rowCount(), 3);
}

void BookSearchUiTest::emptyOrWrongConditionsAreTold()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    allow();
    TBkSearchFm w;
    PromptRecorder prompts;
    click(&w, QStringLiteral("查询"));
    QCOMPARE(prompts.last(), QStringLiteral("请填写好查询条件!"));
    QCOMPARE(w.grid()->rowCount(), 5);
    // An empty chooser becomes 编号.
    w.columnBox()->setEditText(QString());
    typeValue(w.valueEdit(), QStringLiteral("b2"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(w.columnBox()->currentText(), QStringLiteral("编号"));
    QCOMPARE(shownNumbers(w.grid()), QStringList{"B2"});
    // A name that is no column, or SQL typed into the chooser, enters no statement.
    w.columnBox()->setEditText(QStringLiteral("名称 = '' or 1=1 --"));
    click(&w, QStringLiteral("查询"));
    QCOMPARE(prompts.last(),
             QStringLiteral("图书中没有可以查询的“名称 = '' or 1=1 --”, 请从列表中选择要查询的"
                            "项目!"));
    QCOMPARE(shownNumbers(w.grid()), QStringList{"B2"});
    // Quotes in the value are matched literally.
    w.columnBox()->setEditText(QStringLiteral("名称"));
    typeValue(w.valueEdit(), QStringLiteral("' or '1'='1"));
    prompts.clear();
    click(&w, QStringLiteral("查询"));
    QVERIFY(prompts.entries().isEmpty());
    QCOMPARE(w.grid()->rowCount(), 0);
    QCOMPARE(bookCount(), 5);
}

void BookSearchUiTest::buttonsFollowPermissions_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("button");
    QTest::newRow("add") << "qxadddata"
                         << "添加";
    QTest::newRow("edit") << "qxbkxg"
                          << "编辑";
    QTest::newRow("delete") << "qxdel"
                            << "删除";
}

void BookSearchUiTest::buttonsFollowPermissions()
{
    QFETCH(QString, flag);
    QFETCH(QString, button);
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    allow();
    LoginContext &c = loginContext();
    if (flag == "qxadddata")
        c.qxadddata = false;
    else if (flag == "qxbkxg")
        c.qxbkxg = false;
    else
        c.qxdel = false;
    TBkSearchFm w;
    const QStringList guarded = {"添加", "编辑", "删除"};
    for (const QString &b : guarded)
        QCOMPARE(w.button(b)->isEnabled(), b != button);
    for (const char *b : {"查询", "刷新", "显示全部", "打印", "打印条码", "打印标签", "打书录卡",
                          "打分类号", "单打", "转Excel", "退出"})
        QVERIFY2(w.button(QString::fromUtf8(b))->isEnabled(), b);
}

void BookSearchUiTest::deleteAsksWithTheTitle()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    QVERIFY(Statement(QStringLiteral("insert into 借出记录 (读者编号, 编号, 类别, 已还) values "
                                     "('R1', 'B2', '图书', '否')"))
                .run());
    allow();
    TBkSearchFm w;
    PromptRecorder prompts;
    w.grid()->setCurrentRow(0); // B1 数学
    prompts.answer(false);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.entries().last().kind, Prompt::Kind::Question);
    QCOMPARE(prompts.last(), QStringLiteral("您是否要删除\" 数学\""));
    QCOMPARE(prompts.entries().last().defaultAnswer, Prompt::Answer::No);
    QCOMPARE(bookCount(), 5);
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(bookCount(), 4);
    QCOMPARE(shownNumbers(w.grid()), QStringList({"B2", "B3", "B4", "B5"}));
    QCOMPARE(w.summaryLabel()->text(), QStringLiteral("总记录数:4 总数量:10 总价格:276.00"));
    // A book out on loan stays, and the user is told why.
    w.grid()->setCurrentRow(0);
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(),
             QStringLiteral("图书“三国演义”(编号 B2) 还有 1 册借出没有归还, 不能删除! 请先归还."));
    QCOMPARE(bookCount(), 4);
}

void BookSearchUiTest::recommendation_data()
{
    QTest::addColumn<bool>("admin");
    QTest::addColumn<QString>("reason"); // "-" cancels
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rows");
    QTest::newRow("25 hanzi") << true << QString(25, QChar(0x597D)) << "" << 1;
    QTest::newRow("26 hanzi") << true << QString(26, QChar(0x597D)) << "不能大于25个汉字或50个字符!"
                              << 0;
    QTest::newRow("empty") << true << ""
                           << "" << 0;
    QTest::newRow("cancel") << true << "-"
                            << "" << 0;
    QTest::newRow("no right") << false << "好书"
                              << "没有权限!" << 0;
}

void BookSearchUiTest::recommendation()
{
    QFETCH(bool, admin);
    QFETCH(QString, reason);
    QFETCH(QString, message);
    QFETCH(int, rows);
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    allow();
    loginContext().qxadmin = admin;
    TBkSearchFm w;
    PromptRecorder prompts;
    w.grid()->setCurrentRow(2); // B3 红楼梦
    QCOMPARE(w.gridMenu()->actions().size(), 1);
    QAction *recommend = w.gridMenu()->actions().first();
    QCOMPARE(recommend->text(), QStringLiteral("推荐"));
    if (reason != QLatin1String("-"))
        prompts.answerPassword(reason);
    recommend->trigger();
    if (admin) {
        QCOMPARE(prompts.entries().first().kind, Prompt::Kind::Password);
        QCOMPARE(prompts.entries().first().caption, QStringLiteral("推荐理由"));
        QCOMPARE(prompts.entries().first().text, QStringLiteral("不能大于25个汉字或50个字符:"));
    }
    // The reason asked for (by an administrator), then the message if any.
    QCOMPARE(prompts.entries().size(), (admin ? 1 : 0) + (message.isEmpty() ? 0 : 1));
    if (!message.isEmpty())
        QCOMPARE(prompts.last(), message);
    QCOMPARE(scalar(QStringLiteral("select count(*) from b_tuiJian")).toInt(), rows);
    if (rows == 1) {
        QCOMPARE(scalar(QStringLiteral("select 名称 from b_tuiJian")).toString(),
                 QStringLiteral("红楼梦"));
        QCOMPARE(scalar(QStringLiteral("select 推荐人 from b_tuiJian")).toString(),
                 QStringLiteral("管理员甲"));
        QCOMPARE(scalar(QStringLiteral("select memo from b_tuiJian")).toString(), reason);
    }
}

void BookSearchUiTest::recommendationWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    for (const char *sql :
         {"insert into b_tuiJian (编号,名称,作者,分类,存放位置,推荐人,memo) values "
          "('B1','数学','甲','文学','一楼','管理员甲','好')",
          "insert into b_tuiJian (编号,名称,作者,分类,存放位置,推荐人,memo) values "
          "('B2','三国','乙','文学','一楼','管理员甲','很好')"})
        QVERIFY(Statement(QString::fromUtf8(sql)).run());
    TBkTuiJianFm w;
    PromptRecorder prompts;
    QCOMPARE(w.windowTitle(), QStringLiteral("推荐"));
    QCOMPARE(w.grid()->rowCount(), 2);
    QCOMPARE(w.grid()->footerText(QStringLiteral("编号")), QStringLiteral("2"));
    QStringList fields;
    for (const ResultGrid::Column &c : w.grid()->visibleColumns())
        fields << c.field;
    QCOMPARE(fields,
             QStringList({"编号", "名称", "作者", "分类", "存放位置", "推荐人", "memo", "id"}));

    // The sheet: every column, names in row 1.
    QStringList opened;
    const ExcelExport::Opener previous = ExcelExport::setOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    QTest::mouseClick(w.button(QStringLiteral("导出Excel")), Qt::LeftButton);
    ExcelExport::setOpener(previous);
    QCOMPARE(opened.size(), 1);
    SheetData sheet;
    QString error;
    QVERIFY2(XlsxReader::read(opened.first(), &sheet, &error), qPrintable(error));
    QFile::remove(opened.first());
    QCOMPARE(sheet.rowCount(), 3);
    int memo = -1;
    for (int c = 0; c < sheet.columnCount; ++c) {
        if (sheet.cell(0, c).toString() == QStringLiteral("memo"))
            memo = c;
    }
    QVERIFY(memo >= 0);
    QCOMPARE(sheet.cell(2, memo).toString(), QStringLiteral("很好"));

    w.grid()->setCurrentRow(0);
    prompts.answer(false);
    QTest::mouseClick(w.button(QStringLiteral("删除当前")), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("您是否要删除"));
    QCOMPARE(w.grid()->rowCount(), 2);
    prompts.answer(true);
    QTest::mouseClick(w.button(QStringLiteral("删除当前")), Qt::LeftButton);
    QCOMPARE(w.grid()->rowCount(), 1);
    QCOMPARE(w.grid()->value(0, QStringLiteral("编号")).toString(), QStringLiteral("B2"));
    prompts.answer(false);
    QTest::mouseClick(w.button(QStringLiteral("全部删除")), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("您是否要全部删除"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from b_tuiJian")).toInt(), 1);
    prompts.answer(true);
    QTest::mouseClick(w.button(QStringLiteral("全部删除")), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("删除完毕!"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from b_tuiJian")).toInt(), 0);
    QCOMPARE(w.grid()->rowCount(), 0);
}

void BookSearchUiTest::reportsAndExport()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    allow();
    TBkSearchFm w;
    ReportRecorder reports;
    PromptRecorder prompts;
    // The reports take the lines as shown: searched and sorted.
    w.columnBox()->setEditText(QStringLiteral("名称"));
    typeValue(w.valueEdit(), QStringLiteral("数学"));
    click(&w, QStringLiteral("查询"));
    QVERIFY(w.grid()->sortBy(QStringLiteral("编号"), Qt::DescendingOrder));

    click(&w, QStringLiteral("打印"));
    const ReportModel list = reports.last();
    QCOMPARE(list.pageCount(), 1);
    QCOMPARE(list.texts(0, "cell").size(), 18);
    QCOMPARE(list.texts(0, "cell").mid(0, 6),
             QStringList({"B5", "9787040396638", "高等数学", "文学", "一楼", "2"}));
    const QString footer = list.texts(0, "pageFooter").join(' ');
    QVERIFY2(footer.contains(QStringLiteral(" 数量合计: 6")), qPrintable(footer));
    QVERIFY2(footer.contains(QStringLiteral("  价格合计: 82.50")), qPrintable(footer));

    click(&w, QStringLiteral("打印条码"));
    const ReportModel codes = reports.last();
    QCOMPARE(codes.pageCount(), 3);
    QStringList values;
    for (int p = 0; p < 3; ++p) {
        const ReportItem *item = codes.items(p, "barcode").first();
        QCOMPARE(item->barcode.symbology(), Barcode::Symbology::Code128A);
        QVERIFY(item->barcode.hasBars());
        values << item->barcode.text();
    }
    QCOMPARE(values, QStringList({"9787040396638", "7702", "ABC-1"}));
    QCOMPARE(codes.items(0, "barcode").first()->barcode.widths(),
             Barcode::encode(Barcode::Symbology::Code128A, "9787040396638").widths());

    click(&w, QStringLiteral("打印标签"));
    const ReportModel labels = reports.last();
    QCOMPARE(labels.pageCount(), 3);
    QCOMPARE(labels.texts(0, "line"), QStringList({"B5", "I247", "5", "9787040396638"}));
    click(&w, QStringLiteral("打书录卡"));
    const ReportModel cards = reports.last();
    QCOMPARE(cards.pageCount(), 3);
    QCOMPARE(cards.texts(2, "名称"), QStringList{"名称: 数学"});
    QCOMPARE(cards.texts(2, "编号"), QStringList{"编号: B1"});
    click(&w, QStringLiteral("打分类号"));
    const ReportModel classes = reports.last();
    QCOMPARE(classes.pageCount(), 3);
    QCOMPARE(classes.texts(1, "line"), QStringList{"I247"});

    // 单打: the current line only.
    w.grid()->setCurrentRow(1); // B4
    const QList<QAction *> single = w.singleMenu()->actions();
    QCOMPARE(single.size(), 3);
    QCOMPARE(single[0]->text(), QStringLiteral("条码"));
    single[0]->trigger();
    QCOMPARE(reports.last().pageCount(), 1);
    QCOMPARE(reports.last().items(0, "barcode").first()->barcode.text(), QStringLiteral("7702"));
    single[1]->trigger();
    const ReportModel oneLabel = reports.last();
    QCOMPARE(oneLabel.texts(0, "line"), QStringList({"I247", "B4", "7702", "5"}));
    single[2]->trigger();
    const ReportModel oneCard = reports.last();
    QCOMPARE(oneCard.pageCount(), 1);
    QCOMPARE(oneCard.texts(0, "名称"), QStringList{"名称: 数学物理方法"});
    QCOMPARE(oneCard.texts(0, "编号"), QStringList{"编号: "});
    QCOMPARE(reports.models().size(), 8);

    // Every report prints: each written as a PDF.
    QTemporaryDir dir;
    const QString keep = qEnvironmentVariable("TSGL_KEEP_REPORTS");
    int n = 0;
    for (const ReportModel &m : reports.models()) {
        ReportPreviewDialog preview(m);
        const QString path = (keep.isEmpty() ? dir.path() : keep) +
                             QStringLiteral("/%1-%2.pdf").arg(++n).arg(m.title);
        QString error;
        QVERIFY2(preview.exportPdf(path, &error), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
    }

    // The sheet: every column of the lines shown.
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
    QCOMPARE(sheet.rowCount(), 4);
    const Schema::Table *books = Schema::findTable(QStringLiteral("图书"));
    QCOMPARE(sheet.columnCount, books->columns.size());
    QCOMPARE(sheet.cell(0, 2).toString(), QStringLiteral("名称"));
    QCOMPARE(sheet.cell(1, 0).toString(), QStringLiteral("B5"));
    QVERIFY(prompts.entries().isEmpty());
}

void BookSearchUiTest::opensTheBookWindows()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    allow();
    TBkSearchFm w;
    w.show();
    click(&w, QStringLiteral("添加"));
    QPointer<TBkAddFm> add = w.findChild<TBkAddFm *>();
    QVERIFY(add);
    QCOMPARE(add->windowModality(), Qt::ApplicationModal);
    // A save elsewhere: the list and the summary follow, the current line stays.
    w.grid()->setCurrentRow(2);
    QVERIFY(insertBook("B0", "新到的书", "2024-01-01"));
    emit add->saved();
    QCOMPARE(w.grid()->rowCount(), 6);
    QCOMPARE(w.grid()->currentValue(QStringLiteral("编号")).toString(), QStringLiteral("B3"));
    QVERIFY(w.summaryLabel()->text().startsWith(QStringLiteral("总记录数:6 ")));
    add->close();
    QTRY_VERIFY(!add);

    click(&w, QStringLiteral("编辑"));
    QPointer<TBkEditFm> edit = w.findChild<TBkEditFm *>();
    QVERIFY(edit);
    QVERIFY(Statement(QStringLiteral("update 图书 set 名称='红楼梦(新版)' where 编号='B3'")).run());
    emit edit->saved();
    QCOMPARE(w.grid()->currentValue(QStringLiteral("名称")).toString(),
             QStringLiteral("红楼梦(新版)"));
    edit->close();
    QTRY_VERIFY(!edit);
}

void BookSearchUiTest::mainWindowCommands()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    fillFive();
    allow();
    TMainFm main(loginContext());
    main.menuAction(QStringLiteral("图书管理"))->trigger();
    QPointer<QWidget> books = main.openWindow(QStringLiteral("图书管理"));
    QVERIFY(qobject_cast<TBkSearchFm *>(books));
    QCOMPARE(books->windowModality(), Qt::ApplicationModal);
    QVERIFY(books->windowState() & Qt::WindowMaximized);
    main.toolAction(QStringLiteral("图书管理"))->trigger();
    QCOMPARE(main.openWindow(QStringLiteral("图书管理")), books.data());
    books->close();
    QTRY_VERIFY(!books);

    for (const char *command : {"添加图书", "网页推荐信息"}) {
        main.menuAction(QString::fromUtf8(command))->trigger();
        QPointer<QWidget> window = main.openWindow(QString::fromUtf8(command));
        QVERIFY2(window, command);
        QCOMPARE(window->windowModality(), Qt::ApplicationModal);
        window->close();
        QTRY_VERIFY(!window);
    }
    QVERIFY(
        qobject_cast<TBkTuiJianFm *>((main.menuAction(QStringLiteral("网页推荐信息"))->trigger(),
                                      main.openWindow(QStringLiteral("网页推荐信息")))));

    // Without the permissions the commands cannot be chosen; the recommendations need none.
    loginContext().qxbk = false;
    loginContext().qxadddata = false;
    loginContext().qxadmin = false;
    TMainFm restricted(loginContext());
    QVERIFY(!restricted.menuAction(QStringLiteral("图书管理"))->isEnabled());
    QVERIFY(!restricted.toolAction(QStringLiteral("图书管理"))->isEnabled());
    QVERIFY(!restricted.menuAction(QStringLiteral("添加图书"))->isEnabled());
    QVERIFY(restricted.menuAction(QStringLiteral("网页推荐信息"))->isEnabled());
}

QTEST_MAIN(BookSearchUiTest)
#include "book_search_uitest.moc"
