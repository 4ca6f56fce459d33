// The charge window and the income statistics window, driven offscreen through the main
// window's commands: typed, clicked, prompts answered, the database checked.
#include "PromptRecorder.h"
#include "ReportRecorder.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "MainUt.h"
#include "ResultGrid.h"
#include "circulation/Charges.h"
#include "circulation/ShouFeiUt.h"
#include "circulation/ShouRuCountUt.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "import/SheetData.h"
#include "import/XlsxReader.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kCharge = QStringLiteral("收费");
const QString kIncome = QStringLiteral("资金统计");

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

int incomeRows()
{
    return scalar(QStringLiteral("select count(*) from 收入")).toInt();
}

// Deferred deletions of closed windows happen now.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void book(const QString &item, const QString &amount, const QDateTime &at)
{
    const Charges::Result r = Charges::record(item, amount, QString(), at);
    QVERIFY2(r.ok, qPrintable(r.message));
}

} // namespace

class ChargesUiTest : public QObject {
    Q_OBJECT
private slots:
    void chargeWindowKeptBetweenOpenings();
    void amountKeys_data();
    void amountKeys();
    void amountRefused_data();
    void amountRefused();
    void statistics();
};

// The charge window is made once: 取消, 确定 and the window's own close only hide it, and
// the next opening shows the same window with what was last entered.
void ChargesUiTest::chargeWindowKeptBetweenOpenings()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    loginContext().adminName = QStringLiteral("王管理");
    PromptRecorder prompts;
    TMainFm main(loginContext());
    main.menuAction(kCharge)->trigger();
    QPointer<TShouFeiFm> w = qobject_cast<TShouFeiFm *>(main.openWindow(kCharge));
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), kCharge);
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    QVERIFY(w->itemBox()->isEditable());
    QStringList items;
    for (int i = 0; i < w->itemBox()->count(); ++i)
        items << w->itemBox()->itemText(i);
    QCOMPARE(items, Charges::kItems);
    QCOMPARE(w->itemBox()->currentText(), QStringLiteral("租金"));
    QVERIFY(w->amountField()->text().isEmpty());
    QVERIFY(w->noteField()->text().isEmpty());

    w->itemBox()->setCurrentIndex(1);
    type(w->amountField(), QStringLiteral("12.5"));
    type(w->noteField(), QStringLiteral("逾期三天"));

    // 取消: nothing written, the window hidden and kept.
    QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
    settle();
    QVERIFY(w);
    QVERIFY(!w->isVisible());
    QCOMPARE(incomeRows(), 0);

    main.menuAction(kCharge)->trigger();
    QCOMPARE(main.openWindow(kCharge), w.data());
    QVERIFY(w->isVisible());
    QCOMPARE(w->itemBox()->currentText(), QStringLiteral("罚金"));
    QCOMPARE(w->amountField()->text(), QStringLiteral("12.5"));
    QCOMPARE(w->noteField()->text(), QStringLiteral("逾期三天"));

    // 确定: the row, no message, the window hidden with its fields as they were.
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QTest::mouseClick(w->okButton(), Qt::LeftButton);
    settle();
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join(QLatin1Char('|'))));
    QVERIFY(w);
    QVERIFY(!w->isVisible());
    QSqlQuery q =
        Statement(QStringLiteral("select 项目, 金额, 管理员, 备注, 时间, 读者编号 from 收入"))
            .exec();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("罚金"));
    QCOMPARE(Money::fromVariant(q.value(1)), Money::fromRaw(125000));
    QCOMPARE(q.value(2).toString(), QStringLiteral("王管理"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("逾期三天"));
    const QDateTime at = dateTimeFromSql(q.value(4));
    QVERIFY(at >= before && at <= QDateTime::currentDateTime());
    QVERIFY(q.value(5).isNull());
    QVERIFY(!q.next());

    // The window's own close (title bar, Escape) hides it as well.
    main.menuAction(kCharge)->trigger();
    QCOMPARE(main.openWindow(kCharge), w.data());
    QVERIFY(w->close());
    settle();
    QVERIFY(w);
    main.menuAction(kCharge)->trigger();
    QVERIFY(w->isVisible());
    QTest::keyClick(w->amountField(), Qt::Key_Escape);
    settle();
    QVERIFY(w);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->amountField()->text(), QStringLiteral("12.5"));
    QCOMPARE(incomeRows(), 1);
}

void ChargesUiTest::amountKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters dropped") << "a1b2.c5"
                                     << "12.5";
    QTest::newRow("signs dropped") << "-3+"
                                   << "3";
    QTest::newRow("full width") << "１２．５"
                                << "12.5";
}

void ChargesUiTest::amountKeys()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TestDb t;
    TSGL_FRESH_DB(t);
    TShouFeiFm w;
    w.show();
    type(w.amountField(), typed);
    QCOMPARE(w.amountField()->text(), shown);
}

// An amount that books nothing is refused with its message; the window stays open with the
// text selected, and nothing is written.
void ChargesUiTest::amountRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "" << Charges::kNoAmount;
    QTest::newRow("point only") << "." << Charges::kNotAnAmount;
    QTest::newRow("two points") << "1.2.3" << Charges::kNotAnAmount;
    QTest::newRow("zero") << "0" << Charges::kNotPositive;
}

void ChargesUiTest::amountRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    TShouFeiFm w;
    w.show();
    retype(w.amountField(), typed);
    QTest::keyClick(w.amountField(), Qt::Key_Return);
    QCOMPARE(prompts.texts(), QStringList{message});
    QVERIFY(w.isVisible());
    QCOMPARE(w.amountField()->text(), typed);
    QCOMPARE(incomeRows(), 0);
}

void ChargesUiTest::statistics()
{
    TestDb t;
    TSGL_FRESH_DB(t);
    PromptRecorder prompts;
    const QDate today = QDate::currentDate();
    book(QStringLiteral("罚金"), QStringLiteral("12.5"), QDateTime(today.addDays(-1), QTime(9, 0)));
    book(QStringLiteral("租金"), QStringLiteral("2"), QDateTime::currentDateTime().addSecs(-60));
    // Booked on a clock that ran ahead: listed at the opening, outside the proposed period.
    book(QStringLiteral("其他"), QStringLiteral("100"), QDateTime(today.addDays(5), QTime(8, 0)));

    TMainFm main(loginContext());
    main.menuAction(kIncome)->trigger();
    QPointer<TShouRuCountFm> w = qobject_cast<TShouRuCountFm *>(main.openWindow(kIncome));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), kIncome);
    QCOMPARE(w->fromDate()->date(), QDate(2000, 1, 1));
    QCOMPARE(w->toDate()->date(), today.addDays(1));
    ResultGrid *grid = w->grid();
    QCOMPARE(grid->rowCount(), 3);
    QStringList columns;
    for (const ResultGrid::Column &c : grid->visibleColumns())
        columns << c.field;
    QCOMPARE(columns,
             (QStringList{"id", "项目", "时间", "读者编号", "读者姓名", "金额", "管理员", "备注"}));
    QCOMPARE(grid->footerText(QStringLiteral("金额")), QStringLiteral("114.50"));

    // The proposed period: up to tomorrow 00:00, so the charge of a minute ago is in.
    QTest::mouseClick(w->countButton(), Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->footerText(QStringLiteral("金额")), QStringLiteral("14.50"));
    // "到" today: today's charge is out.
    w->toDate()->setDate(today);
    QTest::mouseClick(w->countButton(), Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->value(0, QStringLiteral("项目")).toString(), QStringLiteral("罚金"));
    QCOMPARE(grid->footerText(QStringLiteral("金额")), QStringLiteral("12.50"));

    // The printed list: the rows shown, 合计 at the foot.
    {
        ReportRecorder reports;
        QTest::mouseClick(w->printButton(), Qt::LeftButton);
        QCOMPARE(reports.models().size(), 1);
        const ReportModel &report = reports.last();
        QCOMPARE(report.texts(0, QStringLiteral("cell")).first(), QStringLiteral("罚金"));
        const QStringList foot = report.texts(0, QStringLiteral("pageFooter"));
        QCOMPARE(foot.size(), 1);
        QVERIFY2(foot.first().startsWith(QStringLiteral("时间: ")), qPrintable(foot.first()));
        QVERIFY2(foot.first().endsWith(QStringLiteral("     合计: 12.50")),
                 qPrintable(foot.first()));
    }

    // Excel: every column of the list, names in row 1.
    QStringList opened;
    const ExcelExport::Opener previous = ExcelExport::setOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    QTest::mouseClick(w->excelButton(), Qt::LeftButton);
    ExcelExport::setOpener(previous);
    QCOMPARE(opened.size(), 1);
    SheetData sheet;
    QString error;
    QVERIFY2(XlsxReader::read(opened.first(), &sheet, &error), qPrintable(error));
    QFile::remove(opened.first());
    QCOMPARE(sheet.rowCount(), 2);
    QCOMPARE(sheet.row(0), (QVariantList{"id", "项目", "时间", "读者编号", "读者姓名", "金额",
                                         "管理员", "备注"}));
    QCOMPARE(sheet.cell(1, 1).toString(), QStringLiteral("罚金"));
    QCOMPARE(Money::fromVariant(sheet.cell(1, 5)), Money::fromRaw(125000));
    QVERIFY2(prompts.entries().isEmpty(), qPrintable(prompts.texts().join(QLatin1Char('|'))));

    // Unlike the charge window, this one starts afresh at each opening.
    w->close();
    settle();
    QVERIFY(!w);
}

QTEST_MAIN(ChargesUiTest)
#include "charges_uitest.moc"
