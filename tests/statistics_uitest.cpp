// The classification, intake and per-administrator statistics windows, opened through the
// main window's commands and driven offscreen: counted, printed and exported.
#include "PromptRecorder.h"
#include "ReportRecorder.h"
#include "StatsFixture.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "MainUt.h"
#include "ResultGrid.h"
#include "db/LoginContext.h"
#include "import/SheetData.h"
#include "import/XlsxReader.h"
#include "stats/AdminLuRuStatUt.h"
#include "stats/BkRegUt.h"
#include "stats/SortSearchUt.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

// Clicks the button and reads back the spreadsheet the export hands to the desktop.
SheetData exported(QPushButton *button)
{
    QStringList opened;
    const ExcelExport::Opener previous = ExcelExport::setOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    QTest::mouseClick(button, Qt::LeftButton);
    ExcelExport::setOpener(previous);
    SheetData sheet;
    if (opened.size() != 1)
        return sheet;
    QString error;
    if (!XlsxReader::read(opened.first(), &sheet, &error))
        qWarning("%s", qPrintable(error));
    QFile::remove(opened.first());
    return sheet;
}

QStringList rowTexts(const SheetData &sheet, int row)
{
    QStringList out;
    for (const QVariant &v : sheet.row(row))
        out << v.toString();
    return out;
}

// Grouped rows in any order: "分类|数量|金额" as the grid shows them.
QStringList shownRows(ResultGrid *grid, const QStringList &fields)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (const QString &f : fields)
            cells << grid->displayText(r, f);
        out << cells.join(QLatin1Char('|'));
    }
    out.sort();
    return out;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class StatisticsUiTest : public QObject {
    Q_OBJECT
private slots:
    void classification();
    void intake();
    void perAdministrator();
};

void StatisticsUiTest::classification()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertCatalogue());
    PromptRecorder prompts;
    TMainFm main(loginContext());
    const QString command = QStringLiteral("分 类 统 计");
    main.menuAction(command)->trigger();
    QPointer<TSortSearchFM> w = qobject_cast<TSortSearchFM *>(main.openWindow(command));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("分类统计"));
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    QVERIFY(w->windowState() & Qt::WindowMaximized);
    QCOMPARE(w->kindBox()->currentText(), QStringLiteral("图书"));
    const QStringList fields = {"分类", "数量", "金额"};
    // Shown at once for books; a category whose every copy is lent shows 0 and 0.
    QCOMPARE(shownRows(w->grid(), fields), (QStringList{"|1|5.00", "历史|0|0.00", "文学|7|61.00"}));

    w->kindBox()->setCurrentIndex(1);
    QTest::mouseClick(w->countButton(), Qt::LeftButton);
    QCOMPARE(shownRows(w->grid(), fields), (QStringList{"期刊类|3|12.00"}));

    {
        ReportRecorder reports;
        QTest::mouseClick(w->printButton(), Qt::LeftButton);
        QCOMPARE(reports.models().size(), 1);
        QCOMPARE(reports.last().texts(0, QStringLiteral("columnTitle")), fields);
        QCOMPARE(reports.last().texts(0, QStringLiteral("cell")),
                 (QStringList{"期刊类", "3", "12.00"}));
    }
    const SheetData sheet = exported(w->excelButton());
    QCOMPARE(sheet.rowCount(), 2);
    QCOMPARE(rowTexts(sheet, 0), fields);
    QCOMPARE(sheet.cell(1, 0).toString(), QStringLiteral("期刊类"));
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join('|')));

    w->close();
    settle();
    QVERIFY(!w);
}

void StatisticsUiTest::intake()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertCatalogue());
    PromptRecorder prompts;
    TMainFm main(loginContext());
    const QString command = QStringLiteral("入库信息统计");
    main.menuAction(command)->trigger();
    QPointer<TBkRegFm> w = qobject_cast<TBkRegFm *>(main.openWindow(command));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("资料入库登记信息统计"));
    QVERIFY(w->windowState() & Qt::WindowMaximized);
    QVERIFY(w->bookChoice()->isChecked());
    // Empty until the first 统计.
    QCOMPARE(w->grid()->rowCount(), 0);

    w->fromDate()->setDate(QDate(2026, 3, 1));
    w->toDate()->setDate(QDate(2026, 3, 5));
    QTest::mouseClick(w->countButton(), Qt::LeftButton);
    ResultGrid *grid = w->grid();
    QCOMPARE(shownRows(grid, {"编号", "登记人"}), (QStringList{"B1|王", "B2|王", "B3|李"}));
    QStringList shown;
    for (const ResultGrid::Column &c : grid->visibleColumns())
        shown << c.field;
    QCOMPARE(shown, (QStringList{"编号", "条形码", "名称", "分类", "存放位置", "出版社", "数量",
                                 "价格", "入库时间", "登记人"}));
    QVERIFY(grid->fieldNames().contains(QStringLiteral("简介")));
    QCOMPARE(grid->footerText(QStringLiteral("编号")), QStringLiteral("3"));
    QCOMPARE(grid->footerText(QStringLiteral("数量")), QStringLiteral("2"));
    QCOMPARE(grid->footerText(QStringLiteral("价格")), QStringLiteral("60.50"));

    // "到" before "从": the message, and the list stays as it was.
    w->toDate()->setDate(QDate(2026, 2, 1));
    QTest::mouseClick(w->countButton(), Qt::LeftButton);
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("时间前后逻辑错误!")});
    QCOMPARE(grid->rowCount(), 3);
    prompts.clear();

    {
        ReportRecorder reports;
        QTest::mouseClick(w->printButton(), Qt::LeftButton);
        QCOMPARE(reports.models().size(), 1);
        QCOMPARE(reports.last().texts(0, QStringLiteral("columnTitle")),
                 (QStringList{"图书编号", "条形码", "书名", "类别", "存放位置", "数量 "}));
        QCOMPARE(reports.last().texts(0, QStringLiteral("cell")).size(), 18);
    }
    // Every column of the list, the hidden ones too.
    const SheetData sheet = exported(w->excelButton());
    QCOMPARE(sheet.rowCount(), 4);
    const QStringList heads = rowTexts(sheet, 0);
    QVERIFY(heads.contains(QStringLiteral("编号")));
    QVERIFY(heads.contains(QStringLiteral("简介")));

    w->periodicalChoice()->setChecked(true);
    w->toDate()->setDate(QDate(2026, 3, 5));
    QTest::mouseClick(w->countButton(), Qt::LeftButton);
    QCOMPARE(shownRows(grid, {"编号"}), QStringList{"P1"});
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join('|')));
}

void StatisticsUiTest::perAdministrator()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertCatalogue());
    PromptRecorder prompts;
    TMainFm main(loginContext());
    const QString command = QStringLiteral("入库信息统计");
    main.menuAction(command)->trigger();
    auto *intake = qobject_cast<TBkRegFm *>(main.openWindow(command));
    QVERIFY(intake);
    QTest::mouseClick(intake->perAdministratorButton(), Qt::LeftButton);
    QPointer<TAdminLuRuStatFm> w = intake->findChild<TAdminLuRuStatFm *>();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("管理员录入量统计"));
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    QCOMPARE(w->grid()->rowCount(), 0);

    w->fromDate()->setDate(QDate(2026, 2, 1));
    w->toDate()->setDate(QDate(2026, 3, 10));
    QTest::mouseClick(w->countButton(), Qt::LeftButton);
    // The statement is shown first, its dates written in as literals.
    QCOMPARE(prompts.texts(),
             QStringList{QStringLiteral(
                 "SELECT 登记人, count(编号) AS 记录数, sum(价格) AS 总价格 FROM 图书 where "
                 "入库时间>='2026-02-01' and 入库时间<='2026-03-10' GROUP BY 登记人")});
    const QStringList fields = {"登记人", "记录数", "总价格"};
    QCOMPARE(shownRows(w->grid(), fields), (QStringList{"李|2|35.00", "王|3|38.50"}));

    {
        ReportRecorder reports;
        QTest::mouseClick(w->printButton(), Qt::LeftButton);
        QCOMPARE(reports.models().size(), 1);
        QCOMPARE(reports.last().texts(0, QStringLiteral("columnTitle")), fields);
    }
    const SheetData sheet = exported(w->excelButton());
    QCOMPARE(sheet.rowCount(), 3);
    QCOMPARE(rowTexts(sheet, 0), fields);

    w->close();
    settle();
    QVERIFY(!w);
    QVERIFY(intake->isVisible());
}

QTEST_MAIN(StatisticsUiTest)
#include "statistics_uitest.moc"
