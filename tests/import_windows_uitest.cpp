// The four spreadsheet import windows, opened through the main window's commands: choosing the
// file (through the prompt service), 开始导入, the result box and the failed rows, the start
// number typed into the window, a stop between rows, an unreadable file, and the export of
// the failed rows.
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "MainUt.h"
#include "db/LoginContext.h"
#include "export/SheetExport.h"
#include "import/ImportRunner.h"
#include "import/InExcelDataUt.h"
#include "import/InExcelJyUt.h"
#include "import/InExcelQkUt.h"
#include "import/InExcelRdUt.h"
#include "import/SheetReader.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(TSGL_TEST_DATA "/imports/") + name;
}

qint64 count(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
}

QStringList lines(const QPlainTextEdit *box)
{
    return box->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

template <typename Window> QPointer<Window> open(TMainFm &main, const QString &command)
{
    main.menuAction(command)->trigger();
    return qobject_cast<Window *>(main.openWindow(command));
}

// Chooses the file through the prompt service and presses 开始导入; waits for the end.
bool importThrough(ImportWindow *w, PromptRecorder &prompts, const QString &path)
{
    prompts.answerOpenFile(path);
    QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
    if (!w->startButton()->isEnabled())
        return false;
    QSignalSpy finished(w->runner(), &ImportRunner::finished);
    QTest::mouseClick(w->startButton(), Qt::LeftButton);
    return finished.wait(30000);
}

} // namespace

class ImportWindowsUiTest : public QObject {
    Q_OBJECT

private slots:
    void books()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        PromptRecorder prompts;
        TMainFm main(loginContext());
        QPointer<TInExcelDataFm> w =
            open<TInExcelDataFm>(main, QStringLiteral("Excel导入图书数据"));
        QVERIFY(w);
        QCOMPARE(w->windowModality(), Qt::ApplicationModal);
        QCOMPARE(w->targetList()->count(), 31);
        QCOMPARE(w->targetList()->item(19)->text(), QStringLiteral("种次号"));
        QVERIFY(!w->startButton()->isEnabled());
        QCOMPARE(w->randomCheck()->text(), QStringLiteral("系统随机自动编号"));
        // The start number offered is the current minute.
        QCOMPARE(QString::number(w->startNumber()).size(), 10);

        prompts.answerOpenFile(fixture(QStringLiteral("books.xlsx")));
        QTest::mouseClick(w->chooseButton(), Qt::LeftButton);
        QCOMPARE(w->rowsText(), QStringLiteral("6条数据(行数)"));
        QCOMPARE(w->columnsText(), QStringLiteral("31个项目(列数)"));
        QCOMPARE(w->headingList()->count(), 31);
        QCOMPARE(w->headingList()->item(2)->text(), QStringLiteral("名称"));
        QVERIFY(w->startButton()->isEnabled());

        QSignalSpy finished(w->runner(), &ImportRunner::finished);
        QTest::mouseClick(w->startButton(), Qt::LeftButton);
        QVERIFY(!w->chooseButton()->isEnabled());
        QVERIFY(finished.wait(30000));
        QCOMPARE(lines(w->resultBox()), (QStringList{"5 n 水浒传", "6 9005 重复的编号",
                                                     "成功导入了4行", "导入失败了2行"}));
        QVERIFY(w->statementBox()->toPlainText().startsWith(QStringLiteral("insert into 图书")));
        QVERIFY(w->statementBox()->toPlainText().contains(QStringLiteral("'重复的编号'")));
        QCOMPARE(w->failedList()->topLevelItemCount(), 2);
        QCOMPARE(w->failedList()->topLevelItem(1)->text(0), QStringLiteral("6"));
        QCOMPARE(w->failedList()->topLevelItem(1)->text(3), QStringLiteral("重复的编号"));
        QVERIFY(w->elapsedText().startsWith(QStringLiteral("时间:")));
        QCOMPARE(w->doneText(), QStringLiteral("完成!"));
        QCOMPARE(w->progressBar()->value(), 7);
        QVERIFY(!w->startButton()->isEnabled());
        QVERIFY(w->chooseButton()->isEnabled());
        QCOMPARE(count(QStringLiteral("图书")), 4);

        // 生成Excel: the failed rows with the column titles "0" to "19" and one untitled.
        QString exported;
        QStringList headings;
        QStringList firstRow;
        const ExcelExport::Opener previous = ExcelExport::setOpener([&](const QString &path) {
            exported = path;
            SheetReader reader;
            int row = 0;
            if (reader.open(path, nullptr)) {
                headings = reader.headings();
                reader.next(&row, &firstRow);
            }
            QFile::remove(path);
            return true;
        });
        QTest::mouseClick(w->exportButton(), Qt::LeftButton);
        ExcelExport::setOpener(previous);
        QVERIFY(!exported.isEmpty());
        QCOMPARE(headings.mid(0, 3), (QStringList{"0", "1", "2"}));
        QCOMPARE(headings.value(19), QStringLiteral("19"));
        QCOMPARE(firstRow.mid(0, 4), (QStringList{"5", "B004", "", "水浒传"}));

        // 清空list empties list A and the result box.
        QTest::mouseClick(w->clearButton(), Qt::LeftButton);
        QCOMPARE(w->headingList()->count(), 0);
        QVERIFY(w->resultBox()->toPlainText().isEmpty());
        w->close();
    }

    void typedStartNumber()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        PromptRecorder prompts;
        TInExcelQkFm w;
        w.show();
        QVERIFY(!w.startNumberEdit()->isEnabled());
        w.startNumberCheck()->click();
        QVERIFY(w.startNumberEdit()->isEnabled());
        // Only digits are taken.
        QTest::keyClicks(w.startNumberEdit(), QStringLiteral("10a00"));
        QCOMPARE(w.startNumberEdit()->text(), QStringLiteral("1000"));
        QTest::mouseClick(w.startNumberButton(), Qt::LeftButton);
        QCOMPARE(qlonglong(w.startNumber()), 1000LL);
        QVERIFY(importThrough(&w, prompts, fixture(QStringLiteral("periodicals.xlsx"))));
        QCOMPARE(lines(w.resultBox()), (QStringList{"成功导入了2行", "导入失败了0行"}));
        QCOMPARE(
            scalar(QStringLiteral("select min(编号) || ',' || max(编号) from 期刊")).toString(),
            QStringLiteral("1000,1001"));
    }

    void readers()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        PromptRecorder prompts;
        TMainFm main(loginContext());
        QPointer<TInExcelRdFm> w = open<TInExcelRdFm>(main, QStringLiteral("Excel导入读者数据"));
        QVERIFY(w);
        w->show();
        QCOMPARE(w->randomCheck()->text(), QStringLiteral("自动增加编号"));
        QVERIFY(!w->failedList()->isVisible());
        QVERIFY(!w->exportButton()->isVisible());
        QVERIFY(!w->statementBox()->isVisible());
        QVERIFY(importThrough(w, prompts, fixture(QStringLiteral("readers.xlsx"))));
        QCOMPARE(lines(w->resultBox()), (QStringList{"成功导入了2行", "导入失败了0行"}));
        QCOMPARE(count(QStringLiteral("读者库")), 2);
        w->close();
    }

    void loans()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        PromptRecorder prompts;
        loginContext().qxadmin = true; // the loan import asks for administrator rights
        TMainFm main(loginContext());
        QPointer<TInExcelJyFm> w = open<TInExcelJyFm>(main, QStringLiteral("Excel导入借阅记录"));
        QVERIFY(w);
        w->show();
        QVERIFY(!w->randomCheck()->isVisible());
        QVERIFY(!w->failedList()->isVisible());
        QVERIFY(w->statementBox()->isVisible());
        QVERIFY(importThrough(w, prompts, fixture(QStringLiteral("loans.xlsx"))));
        QCOMPARE(lines(w->resultBox()), (QStringList{"成功导入了3行", "导入失败了0行"}));
        QCOMPARE(count(QStringLiteral("借出记录")), 3);
        w->close();
    }

    void unreadableFile()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        PromptRecorder prompts;
        TInExcelDataFm w;
        prompts.answerOpenFile(fixture(QStringLiteral("make-fixtures")));
        QTest::mouseClick(w.chooseButton(), Qt::LeftButton);
        QCOMPARE(prompts.entries().last().kind, Prompt::Kind::Error);
        QVERIFY(!w.startButton()->isEnabled());
        // Cancelling the file dialog changes nothing either.
        QTest::mouseClick(w.chooseButton(), Qt::LeftButton);
        QVERIFY(!w.startButton()->isEnabled());
        QCOMPARE(count(QStringLiteral("图书")), 0);
    }

    // 停止导入 ends the import between rows; the rows written so far stay.
    void stopBetweenRows()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("many.xlsx"));
        QVector<QStringList> rows;
        for (int i = 0; i < 20000; ++i)
            rows << QStringList{QStringLiteral("M%1").arg(i), QString(), QStringLiteral("书")};
        QVERIFY(SheetExport::writeTexts({"编号", "条形码", "名称"}, rows, path).ok);

        PromptRecorder prompts;
        TInExcelDataFm w;
        w.setBatchSize(100);
        prompts.answerOpenFile(path);
        QTest::mouseClick(w.chooseButton(), Qt::LeftButton);
        QVERIFY(w.startButton()->isEnabled());
        // Pressed as soon as the first progress arrives, on the worker's side of the signal so
        // that the import cannot have ended in between.
        connect(
            w.runner(), &ImportRunner::advanced, w.runner(),
            [&w](int, int, const QVector<FailedRow> &) { w.runner()->stop(); },
            Qt::DirectConnection);
        QSignalSpy finished(w.runner(), &ImportRunner::finished);
        QTest::mouseClick(w.startButton(), Qt::LeftButton);
        QVERIFY(w.stopButton()->isEnabled());
        QVERIFY(finished.wait(30000));
        const ImportSummary summary = finished.at(0).at(0).value<ImportSummary>();
        QVERIFY(summary.stopped);
        QVERIFY(summary.imported > 0 && summary.imported < 20000);
        QCOMPARE(count(QStringLiteral("图书")), summary.imported);
        QVERIFY(lines(w.resultBox()).contains(QStringLiteral("导入已停止")));
        QVERIFY(!w.stopButton()->isEnabled());

        // Closing the window while an import runs ends it after its row; what was written
        // is committed, as a prefix of the sheet.
        const qint64 before = count(QStringLiteral("图书"));
        QPointer<TInExcelDataFm> closing = new TInExcelDataFm;
        closing->setBatchSize(100);
        prompts.answerOpenFile(path);
        QTest::mouseClick(closing->chooseButton(), Qt::LeftButton);
        closing->startNumberCheck()->click(); // numbered anew: no clash with the rows above
        QTest::mouseClick(closing->startButton(), Qt::LeftButton);
        QTest::qWait(50);
        closing->close();
        QTRY_VERIFY(closing.isNull());
        const qint64 added = count(QStringLiteral("图书")) - before;
        QVERIFY(added >= 0 && added <= 20000);
        if (added > 0)
            QCOMPARE(scalar(QStringLiteral("select count(*) from 图书 where 名称='书' and 编号 "
                                           "not like 'M%'"))
                         .toLongLong(),
                     added);
    }
};

QTEST_MAIN(ImportWindowsUiTest)
#include "import_windows_uitest.moc"
