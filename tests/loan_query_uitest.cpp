// The loan record query and the overdue list driven offscreen: the opening list and its
// footers, a query typed into the fields, the refusals, the printed lists, the export, the
// overdue notices and the main window's commands that open both windows.
#include "LoanRows.h"
#include "PromptRecorder.h"
#include "ReportRecorder.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "MainUt.h"
#include "ResultGrid.h"
#include "circulation/BkJySearchUt.h"
#include "circulation/DueRecordUt.h"
#include "db/LoginContext.h"
#include "import/XlsxReader.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

QString day(int offset)
{
    return QDate::currentDate().addDays(offset).toString(QStringLiteral("yyyy-MM-dd"));
}

// R1 has two overdue loans and a returned one, R2 one due today and one due tomorrow.
bool insertLoans()
{
    return insertLoan({"R1", "张三", "B1", "数据库", "111", day(-40), day(-10), day(-12), "10",
                       "1.5", "2"}) &&
           insertLoan({"R1", "张三", "B2", "数据库原理", "222", day(-30), day(-5), "", "20.5"}) &&
           insertLoan({"R1", "张三", "B5", "离散数学", "555", day(-30), day(-2), "", "12"}) &&
           insertLoan({"R2", "王五", "B3", "操作系统", "333", day(-30), day(0), ""}) &&
           insertLoan({"R2", "王五", "B4", "编译原理", "444", day(-29), day(1), ""});
}

void setUpLogin()
{
    LoginContext &c = loginContext();
    c.adminName = QStringLiteral("管理员甲");
    c.libraryName = QStringLiteral("市图书馆");
    c.overdueFinePerDay = *Money::parse(QStringLiteral("0.1"));
    c.qxborrow = true;
    c.qxreturn = true;
}

QStringList column(ResultGrid *grid, const QString &field)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->value(r, field).toString();
    return out;
}

} // namespace

class LoanQueryUiTest : public QObject {
    Q_OBJECT
private slots:
    void queryWindow();
    void overdueWindow();
    void mainWindowCommands();
};

void LoanQueryUiTest::queryWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertLoans());
    setUpLogin();
    PromptRecorder prompts;
    ReportRecorder reports;
    TBkJySearchFm w;
    w.show();

    // Every record at the opening, with the footers over all of them.
    QCOMPARE(w.windowTitle(), QStringLiteral("借阅信息查询"));
    QCOMPARE(w.grid()->rowCount(), 5);
    QCOMPARE(w.grid()->footerText(QStringLiteral("id")), QStringLiteral("5"));
    QCOMPARE(w.grid()->footerText(QStringLiteral("价格")), QStringLiteral("62.50"));
    QCOMPARE(w.grid()->footerText(QStringLiteral("赔偿金额")), QStringLiteral("2"));
    QCOMPARE(w.lentTo()->date(), QDate::currentDate());
    QCOMPARE(w.returnedTo()->date(), QDate::currentDate());
    QCOMPARE(w.stateChoice()->currentText(), QStringLiteral("是"));
    QVERIFY(!w.stateChoice()->isEnabled());
    for (const ResultGrid::Column &c : w.grid()->visibleColumns())
        QVERIFY(c.field != QStringLiteral("押金"));

    // Nothing set: refused, the list stays.
    QTest::mouseClick(w.button(QStringLiteral("查询")), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("请设置查询条件."));
    QCOMPARE(w.grid()->rowCount(), 5);

    // A backwards range is refused.
    w.lentBox()->setChecked(true);
    QVERIFY(w.lentFrom()->isEnabled());
    w.lentFrom()->setDate(QDate::currentDate());
    w.lentTo()->setDate(QDate::currentDate().addDays(-1));
    QTest::mouseClick(w.button(QStringLiteral("查询")), Qt::LeftButton);
    QCOMPARE(prompts.last(), QStringLiteral("借阅时间条件不符合正常逻辑!"));
    w.lentBox()->setChecked(false);

    // The reader's unreturned loans, Enter in a field runs the query.
    w.stateBox()->setChecked(true);
    w.stateChoice()->setCurrentText(QStringLiteral("否"));
    QTest::keyClicks(w.field(QStringLiteral("读者编号")), QStringLiteral("R1"));
    QTest::keyClick(w.field(QStringLiteral("读者编号")), Qt::Key_Return);
    QCOMPARE(column(w.grid(), QStringLiteral("编号")), QStringList({"B2", "B5"}));
    QCOMPARE(w.grid()->footerText(QStringLiteral("价格")), QStringLiteral("32.50"));

    // The printed list of what is shown, with the totals line.
    QTest::mouseClick(w.button(QStringLiteral("打印")), Qt::LeftButton);
    QCOMPARE(reports.models().size(), 1);
    QCOMPARE(reports.last().texts(0, QStringLiteral("totals")),
             QStringList{" 价格合计:32.50  实际租金合计: 0.00  赔偿金额合计: 0.00"});

    // The export: every column of the rows shown, the names in the first row.
    QStringList opened;
    const ExcelExport::Opener previous = ExcelExport::setOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    QTest::mouseClick(w.button(QStringLiteral("转EXCEL")), Qt::LeftButton);
    ExcelExport::setOpener(previous);
    QCOMPARE(opened.size(), 1);
    SheetData sheet;
    QString error;
    QVERIFY2(XlsxReader::read(opened.first(), &sheet, &error), qPrintable(error));
    QFile::remove(opened.first());
    QCOMPARE(sheet.rowCount(), 3);
    const int number = sheet.row(0).indexOf(QVariant(QStringLiteral("编号")));
    QVERIFY(number >= 0);
    QCOMPARE(sheet.cell(1, number).toString(), QStringLiteral("B2"));
    QCOMPARE(sheet.cell(2, number).toString(), QStringLiteral("B5"));
    QCOMPARE(prompts.entries().size(), 2); // the two refusals only

    QTest::mouseClick(w.button(QStringLiteral("退出")), Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

void LoanQueryUiTest::overdueWindow()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertLoans());
    QVERIFY(Statement(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, 单位部门, 联系电话) "
                                     "values ('R1', '张三', '计算机系', '13800000001')"))
                .run());
    setUpLogin();
    PromptRecorder prompts;
    ReportRecorder reports;
    TDueRecordFm w;
    w.show();

    // Due today is in; due tomorrow and returned are not.
    QCOMPARE(w.windowTitle(), QStringLiteral("逾期未还记录统计"));
    QCOMPARE(column(w.grid(), QStringLiteral("编号")), QStringList({"B2", "B5", "B3"}));
    QCOMPARE(w.grid()->footerText(QStringLiteral("id")), QStringLiteral("3"));
    QCOMPARE(w.grid()->footerText(QStringLiteral("价格")), QStringLiteral("42.50"));
    QStringList shown;
    for (const ResultGrid::Column &c : w.grid()->visibleColumns())
        shown << c.field;
    QCOMPARE(shown.first(), QStringLiteral("id"));
    for (const char *hidden : {"租金", "押金", "物品状况", "赔偿金额", "归还备注"})
        QVERIFY2(!shown.contains(QString::fromUtf8(hidden)), hidden);

    QTest::mouseClick(w.button(QStringLiteral("打印报表")), Qt::LeftButton);
    QCOMPARE(reports.models().size(), 1);
    QCOMPARE(reports.last().texts(0, QStringLiteral("cell")).size(), 3 * 8);
    QVERIFY(reports.last().texts(0, QStringLiteral("totals")).isEmpty());

    // One notice a reader: R1 with two loans (5 and 2 days at 0.1), R2 due today.
    QTest::mouseClick(w.button(QStringLiteral("打印催还单")), Qt::LeftButton);
    QCOMPARE(reports.models().size(), 2);
    const ReportModel &notices = reports.last();
    QCOMPARE(notices.pageCount(), 2);
    QCOMPARE(notices.texts(0, QStringLiteral("total")), QStringList{"共 2 册, 罚金合计: 0.70 元"});
    QCOMPARE(notices.texts(0, QStringLiteral("readerContact")).first(),
             QStringLiteral("单位部门: 计算机系        联系电话: 13800000001"));
    QCOMPARE(notices.texts(1, QStringLiteral("total")), QStringList{"共 1 册, 罚金合计: 0.00 元"});

    // A filter on one reader prints that reader's notice only.
    QVERIFY(w.grid()->setColumnFilter(QStringLiteral("读者编号"), QStringLiteral("R2")));
    QTest::mouseClick(w.button(QStringLiteral("打印催还单")), Qt::LeftButton);
    QCOMPARE(reports.last().pageCount(), 1);
    QVERIFY(prompts.entries().isEmpty());
}

void LoanQueryUiTest::mainWindowCommands()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(insertLoans());
    setUpLogin();
    TMainFm main(loginContext());
    for (const QString &command :
         {QStringLiteral("借阅记录查询"), QStringLiteral("逾期借阅记录")}) {
        QVERIFY2(main.menuAction(command), qPrintable(command));
        main.menuAction(command)->trigger();
        QPointer<QWidget> window = main.openWindow(command);
        QVERIFY2(window, qPrintable(command));
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowModality(), Qt::ApplicationModal);
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        window->close();
        QTRY_VERIFY(!window);
    }
}

QTEST_MAIN(LoanQueryUiTest)
#include "loan_query_uitest.moc"
