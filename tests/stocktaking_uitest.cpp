// The stock-taking window, opened through the main window's command: its figures on an
// empty and on a small library, 查询 over a chosen period, and the printed picture.
#include "PromptRecorder.h"
#include "StatsFixture.h"
#include "TestDb.h"

#include "MainUt.h"
#include "WindowPrint.h"
#include "db/LoginContext.h"
#include "stats/DataCheckUt.h"

#include <QAction>
#include <QDateEdit>
#include <QFile>
#include <QPdfWriter>
#include <QPointer>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kCommand = QStringLiteral("数据盘点");

const QStringList kCaptions = {
    "图书总数:",         "期刊总数:",         "读者总数:", "总未还数量:", "历史借出总数:",
    "当前在库图书数量:", "当前在库期刊数量:", "借出次数:", "归还次数:",   "图书入库数:",
    "期刊入库数:",       "读者登记数:",       "租金收入:"};

QStringList figures(const TDataCheckFm *w)
{
    QStringList out;
    for (const QString &c : kCaptions)
        out << w->figure(c);
    return out;
}

} // namespace

class StockTakingUiTest : public QObject {
    Q_OBJECT
private slots:
    void emptyLibrary();
    void figuresAndQuery();
    void printedPicture();
};

void StockTakingUiTest::emptyLibrary()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TMainFm main(loginContext());
    main.menuAction(kCommand)->trigger();
    QPointer<TDataCheckFm> w = qobject_cast<TDataCheckFm *>(main.openWindow(kCommand));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), kCommand);
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    QCOMPARE(w->fromDate()->date(), QDate::currentDate());
    QCOMPARE(w->toDate()->date(), QDate::currentDate().addDays(1));
    QCOMPARE(figures(w), QStringList(kCaptions.size(), QStringLiteral("0")));
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join('|')));
}

void StockTakingUiTest::figuresAndQuery()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertLibrary());
    PromptRecorder prompts;
    TMainFm main(loginContext());
    main.menuAction(kCommand)->trigger();
    QPointer<TDataCheckFm> w = qobject_cast<TDataCheckFm *>(main.openWindow(kCommand));
    QVERIFY(w);
    // Today: the loan lent and returned today counts once under each.
    QCOMPARE(figures(w),
             (QStringList{"2", "1", "2", "1", "3", "3", "2", "1", "1", "1", "0", "1", "1.50"}));

    // 查询 counts the period again; the totals stay as computed at the opening.
    QVERIFY(StatsFixture::insertItem("图书", "B9", "文学", 4, "1", "王", StatsFixture::day(-1)));
    w->fromDate()->setDate(QDate::currentDate().addDays(-1));
    w->toDate()->setDate(QDate::currentDate());
    QTest::mouseClick(w->queryButton(), Qt::LeftButton);
    QCOMPARE(figures(w),
             (QStringList{"2", "1", "2", "1", "3", "3", "2", "1", "0", "1", "0", "0", "0"}));

    // A range that ends before it starts counts nothing.
    w->fromDate()->setDate(QDate::currentDate().addDays(1));
    w->toDate()->setDate(QDate::currentDate().addDays(-30));
    QTest::mouseClick(w->queryButton(), Qt::LeftButton);
    QCOMPARE(figures(w).mid(7), QStringList(6, QStringLiteral("0")));
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join('|')));
}

// 打印 prints the window's picture with its figures: on a PDF page here, and through the
// button on the default printer, or a message when there is none.
void StockTakingUiTest::printedPicture()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    QVERIFY(StatsFixture::insertLibrary());
    PromptRecorder prompts;
    TMainFm main(loginContext());
    main.menuAction(kCommand)->trigger();
    auto *w = qobject_cast<TDataCheckFm *>(main.openWindow(kCommand));
    QVERIFY(w);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.pdf"));
    {
        QPdfWriter pdf(path);
        QString error;
        QVERIFY2(WindowPrint::printPicture(w, &pdf, &error), qPrintable(error));
    }
    QVERIFY(QFileInfo(path).size() > 1000);

    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    if (QPrinterInfo::defaultPrinter().isNull())
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("没有安装打印机，无法打印")});
    QVERIFY(w->isVisible());
}

QTEST_MAIN(StockTakingUiTest)
#include "stocktaking_uitest.moc"
