// The list editor windows driven as a user does: toolbar, fields, grid, prompts.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ResultGrid.h"
#include "admin/ListEditUt.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

namespace {

QToolButton *button(QWidget *w, const QString &text)
{
    for (QToolButton *b : w->findChildren<QToolButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

void click(QWidget *w, const QString &text)
{
    QToolButton *b = button(w, text);
    QVERIFY2(b, qPrintable(text));
    QVERIFY2(b->isEnabled(), qPrintable(text + QStringLiteral(" is disabled")));
    QTest::mouseClick(b, Qt::LeftButton);
}

QString enabledButtons(QWidget *w)
{
    QStringList out;
    for (const char *t : {"添加", "修改", "保存", "取消", "删除", "退出"}) {
        if (button(w, QString::fromUtf8(t))->isEnabled())
            out << QString::fromUtf8(t);
    }
    return out.join(QLatin1Char(' '));
}

void type(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Typed one character at a time, as key events with text (Chinese too).
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList column(const QString &sql)
{
    QStringList out;
    QSqlQuery q = Statement(sql).exec();
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace

class AdminListsUiTest : public QObject {
    Q_OBJECT
private slots:
    void captions_data();
    void captions();
    void addSaveCancelAndStates();
    void deleteAsksAndKeepsLastRow();
    void itemLevelEditing();
    void readerCategoryRefusesWrongDays();
    void publisherGridSorts();
    void escapeEndsEditingNotTheWindow();
    void renamedCategoryAsksAndTakesReadersAlong();
    void gridColumns_data();
    void gridColumns();
};

void AdminListsUiTest::captions_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::newRow("categories") << "TBkKindFm"
                                << "分类设置";
    QTest::newRow("second level") << "TBk2KindFm"
                                  << "二级分类设置";
    QTest::newRow("publishers") << "TPubFm"
                                << "出版社名设置";
    QTest::newRow("departments") << "TDepartMentFm"
                                 << "单位/部门名称设置";
    QTest::newRow("places") << "TPlaceFm"
                            << "存放位置名设置";
    QTest::newRow("papers") << "TPaperFm"
                            << "证件名设置";
    QTest::newRow("currencies") << "TMoneyKindFm"
                                << "币种设置";
    QTest::newRow("a1") << "Ta1Fm"
                        << "保密等级";
    QTest::newRow("a2") << "Ta2Fm"
                        << "a2";
    QTest::newRow("a3") << "Ta3Fm"
                        << "";
    QTest::newRow("reader categories") << "TRdKindFm"
                                       << "读者分类设置";
    QTest::newRow("item levels") << "TRentLevelFm"
                                 << "物品级别";
}

void AdminListsUiTest::captions()
{
    QFETCH(QString, className);
    QFETCH(QString, caption);
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().customListLabel1 = QStringLiteral("保密等级");
    loginContext().customListLabel3 = QString();
    TListEditFm w(*ListSpecs::byClass(className));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QCOMPARE(w.windowTitle(), caption);
    QCOMPARE(w.mode(), TListEditFm::Mode::Browsing);
    QCOMPARE(enabledButtons(&w), QStringLiteral("添加 修改 删除 退出"));
    QVERIFY(!w.field(0)->isEnabled());
}

void AdminListsUiTest::addSaveCancelAndStates()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    QPointer<TBkKindFm> w = new TBkKindFm;
    w->show();
    QCOMPARE(w->field(0)->text(), QStringLiteral("综合"));

    click(w, QStringLiteral("添加"));
    QCOMPARE(w->mode(), TListEditFm::Mode::Adding);
    QCOMPARE(enabledButtons(w), QStringLiteral("保存 取消 退出"));
    QVERIFY(w->field(0)->isEnabled());
    QVERIFY(w->field(0)->text().isEmpty());
    click(w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("请填写完整！"));
    QCOMPARE(w->mode(), TListEditFm::Mode::Adding);

    type(w->field(0), QStringLiteral("文学"));
    click(w, QStringLiteral("保存"));
    QCOMPARE(w->mode(), TListEditFm::Mode::Browsing);
    QVERIFY(!w->field(0)->isEnabled());
    QCOMPARE(column(QStringLiteral("select 名称 from 分类")),
             QStringList({QStringLiteral("综合"), QStringLiteral("文学")}));
    // The new row stays in the grid, current, at the end.
    QCOMPARE(w->grid()->rowCount(), 2);
    QCOMPARE(w->grid()->currentRow(), 1);
    QCOMPARE(w->field(0)->text(), QStringLiteral("文学"));

    click(w, QStringLiteral("修改"));
    type(w->field(0), QStringLiteral("历史"));
    click(w, QStringLiteral("取消"));
    QCOMPARE(w->field(0)->text(), QStringLiteral("文学"));
    // 添加 reads the table again (a row another window added shows up) and makes the new
    // row an empty line at the end, current; 取消 takes the line away and returns to the
    // line that was current.
    QVERIFY(Statement(QStringLiteral("insert into 分类 values ('别处')")).run());
    click(w, QStringLiteral("添加"));
    QCOMPARE(w->grid()->rowCount(), 4);
    QCOMPARE(w->grid()->displayText(2, QStringLiteral("名称")), QStringLiteral("别处"));
    QCOMPARE(w->grid()->currentRow(), 3);
    QVERIFY(w->grid()->displayText(3, QStringLiteral("名称")).isEmpty());
    type(w->field(0), QStringLiteral("不要"));
    click(w, QStringLiteral("取消"));
    QCOMPARE(w->grid()->rowCount(), 3);
    QCOMPARE(w->grid()->currentRow(), 1);
    QCOMPARE(w->field(0)->text(), QStringLiteral("文学"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 分类")).toInt(), 3);
    click(w, QStringLiteral("修改"));
    type(w->field(0), QStringLiteral("历史"));
    click(w, QStringLiteral("保存"));
    QCOMPARE(column(QStringLiteral("select 名称 from 分类")),
             QStringList({QStringLiteral("综合"), QStringLiteral("历史"), QStringLiteral("别处")}));

    // 添加 then 退出 writes nothing.
    click(w, QStringLiteral("添加"));
    type(w->field(0), QStringLiteral("不要"));
    click(w, QStringLiteral("退出"));
    QTRY_VERIFY(w.isNull());
    QCOMPARE(scalar(QStringLiteral("select count(*) from 分类")).toInt(), 3);
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("请填写完整！")});
}

void AdminListsUiTest::deleteAsksAndKeepsLastRow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TBk2KindFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(), QStringLiteral("列表是空的, 没有可删除的记录!"));

    for (const char *name : {"小说", "小说"}) {
        click(&w, QStringLiteral("添加"));
        type(w.field(0), QString::fromUtf8(name));
        click(&w, QStringLiteral("保存"));
    }
    prompts.answer(false);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(), QStringLiteral("您是否要删除\" 小说\""));
    QCOMPARE(prompts.entries().last().defaultAnswer, Prompt::Answer::No);
    QCOMPARE(scalar(QStringLiteral("select count(*) from 二级分类")).toInt(), 2);
    prompts.answer(true);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 二级分类")).toInt(), 1);
    QCOMPARE(w.grid()->rowCount(), 1);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(), QStringLiteral("至少留有一个！！"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 二级分类")).toInt(), 1);
}

void AdminListsUiTest::itemLevelEditing()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TRentLevelFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    click(&w, QStringLiteral("修改"));
    QVERIFY(!w.field(0)->isEnabled());
    QVERIFY(w.field(1)->isEnabled());
    type(w.field(1), QStringLiteral("一元"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("租金必须是不小于0的金额!"));
    QCOMPARE(w.mode(), TListEditFm::Mode::Modifying);
    QCOMPARE(w.field(1)->text(), QStringLiteral("一元"));
    type(w.field(1), QStringLiteral("1.5"));
    type(w.field(2), QStringLiteral("2"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(w.mode(), TListEditFm::Mode::Browsing);
    QCOMPARE(w.grid()->displayText(0, QStringLiteral("可借数量")), QStringLiteral("2"));
    QSqlQuery q = Statement(QStringLiteral("select 名称, 租金, 可借数量 from 物品级别")).exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("普通"));
    QCOMPARE(Money::fromVariant(q.value(1)), Money::fromRaw(15000));
    QCOMPARE(q.value(2).toInt(), 2);

    // 添加 after 修改 makes the name editable again.
    click(&w, QStringLiteral("添加"));
    QVERIFY(w.field(0)->isEnabled());
    QVERIFY(w.field(0)->hasFocus() || !w.isActiveWindow());
    click(&w, QStringLiteral("取消"));

    w.grid()->setCurrentRow(0);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(), QStringLiteral("\"普通\"类型必须保留!"));
    QCOMPARE(scalar(QStringLiteral("select count(*) from 物品级别")).toInt(), 1);
}

void AdminListsUiTest::readerCategoryRefusesWrongDays()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TRdKindFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QCOMPARE(w.grid()->visibleColumns().size(), 4);
    click(&w, QStringLiteral("添加"));
    type(w.field(0), QStringLiteral("教师"));
    type(w.field(1), QStringLiteral("三十"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(), QStringLiteral("借阅天数必须是整数!"));
    QCOMPARE(w.mode(), TListEditFm::Mode::Adding);
    type(w.field(1), QStringLiteral("60"));
    click(&w, QStringLiteral("保存"));
    QCOMPARE(scalar(QStringLiteral("select 借阅天数 from 读者类别 where 类别名='教师'")).toInt(),
             60);
    QVERIFY(
        scalar(QStringLiteral("select 借阅数量限制 from 读者类别 where 类别名='教师'")).isNull());

    w.grid()->setCurrentRow(0);
    click(&w, QStringLiteral("删除"));
    QCOMPARE(prompts.last(), QStringLiteral("(普通)不能删除！"));
}

// Esc while a row is added or modified ends the editing (asking when something was typed);
// the window stays. In the browsing state Esc closes it.
void AdminListsUiTest::escapeEndsEditingNotTheWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    QPointer<TBkKindFm> w = new TBkKindFm;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    click(w, QStringLiteral("添加"));
    QTest::keyClick(w->field(0), Qt::Key_Escape); // nothing typed: no question
    QVERIFY(!w.isNull());
    QCOMPARE(w->mode(), TListEditFm::Mode::Browsing);
    QVERIFY(prompts.texts().isEmpty());

    click(w, QStringLiteral("添加"));
    type(w->field(0), QStringLiteral("文学"));
    prompts.answer(false);
    QTest::keyClick(w->field(0), Qt::Key_Escape);
    QCOMPARE(prompts.last(), QStringLiteral("是否放弃正在编辑的内容?"));
    QCOMPARE(w->mode(), TListEditFm::Mode::Adding);
    QCOMPARE(w->field(0)->text(), QStringLiteral("文学"));
    click(w, QStringLiteral("保存"));
    QCOMPARE(column(QStringLiteral("select 名称 from 分类")),
             QStringList({QStringLiteral("综合"), QStringLiteral("文学")}));

    click(w, QStringLiteral("修改"));
    type(w->field(0), QStringLiteral("历史"));
    prompts.answer(true);
    QTest::keyClick(w->field(0), Qt::Key_Escape);
    QCOMPARE(w->mode(), TListEditFm::Mode::Browsing);
    QCOMPARE(w->field(0)->text(), QStringLiteral("文学"));
    QCOMPARE(column(QStringLiteral("select 名称 from 分类")),
             QStringList({QStringLiteral("综合"), QStringLiteral("文学")}));

    QTest::keyClick(w->grid()->view(), Qt::Key_Escape);
    QTRY_VERIFY(w.isNull());
}

// Renaming a category that readers carry asks first; "否" writes nothing and keeps the
// editing, "是" renames the category and its readers. The line keeps its place.
void AdminListsUiTest::renamedCategoryAsksAndTakesReadersAlong()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(Statement(QStringLiteral("insert into 读者类别 values ('学生', 30, 5, 0)")).run());
    QVERIFY(Statement(QStringLiteral("insert into 读者类别 values ('教师', 60, 9, 0)")).run());
    QVERIFY(Statement(QStringLiteral("insert into 读者库 (读者编号, 类别) values ('R1', '学生')"))
                .run());
    PromptRecorder prompts;
    TRdKindFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    w.grid()->setCurrentRow(1);
    click(&w, QStringLiteral("修改"));
    type(w.field(0), QStringLiteral("本科生"));
    prompts.answer(false);
    click(&w, QStringLiteral("保存"));
    QCOMPARE(prompts.last(),
             QStringLiteral("有 1 位读者的类别是\"学生\", 是否把它们一起改为\"本科生\"?"));
    QCOMPARE(w.mode(), TListEditFm::Mode::Modifying);
    QCOMPARE(scalar(QStringLiteral("select 类别 from 读者库")).toString(), QStringLiteral("学生"));
    prompts.answer(true);
    click(&w, QStringLiteral("保存"));
    QCOMPARE(w.mode(), TListEditFm::Mode::Browsing);
    QCOMPARE(scalar(QStringLiteral("select 类别 from 读者库")).toString(),
             QStringLiteral("本科生"));
    QCOMPARE(w.grid()->currentRow(), 1);
    QStringList lines;
    for (int row = 0; row < w.grid()->rowCount(); ++row)
        lines << w.grid()->displayText(row, QStringLiteral("类别名"));
    QCOMPARE(lines, QStringList({"普通", "本科生", "教师"}));
}

void AdminListsUiTest::publisherGridSorts()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TPubFm w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    const QStringList fields = {QStringLiteral("ISBN"), QStringLiteral("出版社名"),
                                QStringLiteral("出版地")};
    QStringList shown;
    for (const ResultGrid::Column &c : w.grid()->visibleColumns())
        shown << c.caption;
    QCOMPARE(shown, fields);
    const QList<QStringList> rows = {{"作家出版社", "7-5063", "北京"},
                                     {"人民文学出版社", "7-02", "北京"},
                                     {"无号出版社", "", ""}};
    for (const QStringList &row : rows) {
        click(&w, QStringLiteral("添加"));
        for (int i = 0; i < 3; ++i)
            type(w.field(i), row[i]);
        click(&w, QStringLiteral("保存"));
        QCOMPARE(w.mode(), TListEditFm::Mode::Browsing);
    }
    QCOMPARE(w.grid()->rowCount(), 3);
    // A click on a title sorts by that column.
    QHeaderView *header = w.grid()->view()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
    QCOMPARE(w.grid()->displayText(1, QStringLiteral("ISBN")), QStringLiteral("7-02"));
    QCOMPARE(w.grid()->displayText(2, QStringLiteral("ISBN")), QStringLiteral("7-5063"));
    // While a row is added the table shows in its stored order with the empty line last; the
    // sort comes back with 取消.
    click(&w, QStringLiteral("添加"));
    QCOMPARE(w.grid()->rowCount(), 4);
    QCOMPARE(w.grid()->currentRow(), 3);
    QCOMPARE(w.grid()->displayText(0, QStringLiteral("出版社名")), QStringLiteral("作家出版社"));
    click(&w, QStringLiteral("取消"));
    QCOMPARE(w.grid()->rowCount(), 3);
    QCOMPARE(w.grid()->displayText(1, QStringLiteral("ISBN")), QStringLiteral("7-02"));
    QCOMPARE(w.grid()->displayText(2, QStringLiteral("ISBN")), QStringLiteral("7-5063"));
    QCOMPARE(header->sortIndicatorSection(), 0);
    QVERIFY(prompts.entries().isEmpty());
}

void AdminListsUiTest::gridColumns_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("labels");
    // The reader categories show every column of their table.
    QTest::newRow("reader categories")
        << "TRdKindFm" << QStringList{"类别名", "借阅天数", "借阅数量限制", "租金"}
        << QStringList{"读者类别名:", "借阅天数:", "数量限制:", "租金:"};
    QTest::newRow("item levels") << "TRentLevelFm" << QStringList{"名称", "租金", "可借数量"}
                                 << QStringList{"名称:", "租金(元):", "可借数量:"};
    QTest::newRow("publishers") << "TPubFm" << QStringList{"ISBN", "出版社名", "出版地"}
                                << QStringList{"出版社名:", "ISBN:", "出版地:"};
    QTest::newRow("currencies") << "TMoneyKindFm" << QStringList{"币种"} << QStringList{};
}

void AdminListsUiTest::gridColumns()
{
    QFETCH(QString, className);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, labels);
    TestDb t;
    TSGL_FRESH_DB(t);
    TListEditFm w(*ListSpecs::byClass(className));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    QStringList shown;
    for (const ResultGrid::Column &c : w.grid()->visibleColumns())
        shown << c.caption;
    QCOMPARE(shown, titles);
    if (className == QStringLiteral("TRdKindFm")) {
        QSqlQuery q = Statement(QStringLiteral("select * from 读者类别")).exec();
        QCOMPARE(q.record().count(), titles.size());
    }
    QStringList shownLabels;
    for (QLabel *l : w.findChildren<QLabel *>()) {
        if (l->text().endsWith(QLatin1Char(':')))
            shownLabels << l->text();
    }
    QCOMPARE(shownLabels, labels);
    QStringList hints;
    for (QLabel *l : w.findChildren<QLabel *>()) {
        if (l->text().startsWith(QLatin1Char('(')))
            hints << l->text();
    }
    QCOMPARE(hints, className == QStringLiteral("TRentLevelFm")
                        ? QStringList{QStringLiteral("(0 就是不限制)")}
                        : QStringList());
}

QTEST_MAIN(AdminListsUiTest)
#include "admin_lists_uitest.moc"
