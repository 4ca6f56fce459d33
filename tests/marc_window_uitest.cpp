// 马克marc数据导入, opened through the main window: choosing and reading a file (records without
// line breaks, a broken one reported), the preview list, the start value, the import with a
// refused record, and the two exports of the preview list.
#include "MarcBytes.h"
#include "PromptRecorder.h"
#include "TestDb.h"

#include "ExcelExport.h"
#include "MainUt.h"
#include "db/LoginContext.h"
#include "import/InMarcUt.h"
#include "import/MarcRunner.h"
#include "import/SheetReader.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

QStringList lines(const QPlainTextEdit *box)
{
    return box->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("书目.iso"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(bytes);
    return path;
}

// Reads the file through the window: 打开marc文件 (answered by the prompt service), then
// 读取marc数据, until the preview list is full.
bool readThrough(TInMarcFm *w, PromptRecorder &prompts, const QString &path)
{
    prompts.answerOpenFile(path);
    QTest::mouseClick(w->openButton(), Qt::LeftButton);
    if (!w->readButton()->isEnabled())
        return false;
    QSignalSpy read(w->runner(), &MarcRunner::readFinished);
    QTest::mouseClick(w->readButton(), Qt::LeftButton);
    if (!read.wait(30000))
        return false;
    return QTest::qWaitFor(
        [w] { return w->previewList()->topLevelItemCount() == w->books().size(); });
}

} // namespace

class MarcWindowUiTest : public QObject {
    Q_OBJECT

private slots:
    void readAndImport()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        QVERIFY(Statement::insert(QStringLiteral("图书"),
                                  {QStringLiteral("编号"), QStringLiteral("名称")},
                                  {QStringLiteral("102"), QStringLiteral("已有的书")})
                    .run());
        PromptRecorder prompts;
        loginContext().qxadmin = true; // the MARC import asks for administrator rights
        TMainFm main(loginContext());
        main.menuAction(QStringLiteral("马克marc数据导入"))->trigger();
        QPointer<TInMarcFm> w =
            qobject_cast<TInMarcFm *>(main.openWindow(QStringLiteral("马克marc数据导入")));
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("马克marc数据导入"));
        QVERIFY(!w->readButton()->isEnabled());
        QVERIFY(!w->importButton()->isEnabled());

        QTemporaryDir dir;
        // Three good records and a broken one, without line breaks.
        const QString path =
            writeFile(dir, cnmarcBook(QStringLiteral("甲书"), QStringLiteral("7-1")) +
                               cnmarcBook(QStringLiteral("乙书"), QStringLiteral("7-2")) +
                               QByteArray("00024nam  2200099   4500\x1D") +
                               cnmarcBook(QStringLiteral("丙书"), QStringLiteral("7-3"),
                                          MarcCoding::Utf8Flagged));
        QVERIFY(readThrough(w, prompts, path));
        // The start value offered: seconds, month and day.
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4,6}$"))
                    .match(w->startEdit()->text())
                    .hasMatch());
        QCOMPARE(w->countText(), QStringLiteral("已导入:3"));
        QVERIFY(w->readTimeText().startsWith(QStringLiteral("读取时间:")));
        QCOMPARE(w->previewList()->columnCount(), 13);
        QCOMPARE(w->previewList()->headerItem()->text(7), QStringLiteral("页数"));
        QTreeWidgetItem *third = w->previewList()->topLevelItem(2);
        QCOMPARE(third->text(0), QStringLiteral("丙书"));
        QCOMPARE(third->text(2), QStringLiteral("7-3"));
        QCOMPARE(third->text(3), QStringLiteral("25.00"));
        QCOMPARE(third->text(7), QStringLiteral("356页"));
        QCOMPARE(third->text(8), QStringLiteral("26cm"));
        QVERIFY2(w->resultBox()->toPlainText().startsWith(QStringLiteral("第3条记录: ")),
                 qPrintable(w->resultBox()->toPlainText()));
        QVERIFY(!w->readButton()->isEnabled());
        QVERIFY(w->importButton()->isEnabled());

        // A start value that is not a whole number is refused, and nothing is written.
        w->startEdit()->setText(QStringLiteral(" 12a "));
        QTest::mouseClick(w->importButton(), Qt::LeftButton);
        QCOMPARE(prompts.last(), QStringLiteral("请输入合法的数字！"));
        QCOMPARE(w->startEdit()->text(), QStringLiteral("12a"));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 图书")).toInt(), 1);

        w->startEdit()->setText(QStringLiteral("100"));
        QSignalSpy finished(w->runner(), &MarcRunner::importFinished);
        QTest::mouseClick(w->importButton(), Qt::LeftButton);
        QVERIFY(finished.wait(30000));
        QCOMPARE(lines(w->resultBox()).mid(1),
                 (QStringList{"1 7-2 乙书", "成功导入了2行", "导入失败了1行"}));
        QVERIFY(w->statementBox()->toPlainText().startsWith(QStringLiteral("insert into 图书")));
        QVERIFY(w->statementBox()->toPlainText().contains(QStringLiteral("'乙书'")));
        QVERIFY(w->elapsedText().startsWith(QStringLiteral("时间:")));
        QCOMPARE(w->doneText(), QStringLiteral("完成!"));
        QVERIFY(!w->importButton()->isEnabled());
        QCOMPARE(scalar(QStringLiteral("select 名称 from 图书 where 编号='103'")).toString(),
                 QStringLiteral("丙书"));
        QCOMPARE(scalar(QStringLiteral("select 页数 from 图书 where 编号='101'")).toInt(), 356);

        // Both exports write the preview list with its column titles; 生成Excel says 结束.
        for (QPushButton *button : {w->listExcelButton(), w->excelButton()}) {
            QStringList headings;
            QStringList firstRow;
            const ExcelExport::Opener previous =
                ExcelExport::setOpener([&](const QString &exported) {
                    SheetReader reader;
                    int row = 0;
                    if (reader.open(exported, nullptr)) {
                        headings = reader.headings();
                        reader.next(&row, &firstRow);
                    }
                    QFile::remove(exported);
                    return true;
                });
            prompts.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            ExcelExport::setOpener(previous);
            QCOMPARE(headings.size(), 13);
            QCOMPARE(headings.value(12), QStringLiteral("提要"));
            QCOMPARE(firstRow.value(0), QStringLiteral("甲书"));
            if (button == w->excelButton())
                QCOMPARE(prompts.last(), QStringLiteral("结束"));
            else
                QVERIFY(prompts.entries().isEmpty());
        }
        w->close();
    }

    void unreadableFileAndEmptyList()
    {
        TestDb t;
        TSGL_FRESH_DB(t);
        PromptRecorder prompts;
        auto *w = new TInMarcFm;
        prompts.answerOpenFile(QStringLiteral("/nonexistent/无.iso"));
        QTest::mouseClick(w->openButton(), Qt::LeftButton);
        QCOMPARE(prompts.last(), QStringLiteral("打开文件失败！"));
        QVERIFY(!w->readButton()->isEnabled());
        // Exports of an empty list do nothing.
        prompts.clear();
        QTest::mouseClick(w->excelButton(), Qt::LeftButton);
        QVERIFY(prompts.entries().isEmpty());

        // A file of nothing but damage: the reason, an empty list, nothing to import.
        QTemporaryDir dir;
        QVERIFY(readThrough(w, prompts, writeFile(dir, QByteArray("not marc at all\n"))));
        QCOMPARE(w->countText(), QStringLiteral("已导入:0"));
        QVERIFY(w->resultBox()->toPlainText().contains(QStringLiteral("第1条记录")));
        QVERIFY(!w->importButton()->isEnabled());
        delete w;
    }
};

QTEST_MAIN(MarcWindowUiTest)
#include "marc_window_uitest.moc"
