// Spreadsheet exports of result sets and lists, read back from the written file.
#include "ExcelExport.h"
#include "PromptRecorder.h"
#include "TestDb.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "export/ExportFolder.h"
#include "export/SheetExport.h"
#include "import/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using Rows = QVector<QVariantList>;
Q_DECLARE_METATYPE(Rows)

namespace {

// Catches the file the export hands over instead of opening it.
class OpenedFiles {
public:
    explicit OpenedFiles(bool opens = true)
    {
        m_previous = ExcelExport::setOpener([this, opens](const QString &path) {
            m_paths << path;
            return opens;
        });
    }
    ~OpenedFiles()
    {
        ExcelExport::setOpener(m_previous);
        for (const QString &p : std::as_const(m_paths))
            QFile::remove(p);
    }
    const QStringList &paths() const { return m_paths; }

private:
    ExcelExport::Opener m_previous;
    QStringList m_paths;
};

SheetData readBack(const QString &path)
{
    SheetData sheet;
    QString error;
    if (!XlsxReader::read(path, &sheet, &error))
        qWarning("%s", qPrintable(error));
    return sheet;
}

void compareRows(const SheetData &sheet, const Rows &expected)
{
    QCOMPARE(sheet.rowCount(), expected.size());
    for (int r = 0; r < expected.size(); ++r) {
        for (int c = 0; c < expected[r].size(); ++c) {
            const QVariant actual = sheet.cell(r, c);
            const QVariant want = expected[r][c];
            const QByteArray where = QStringLiteral("row %1 column %2: %3 / %4")
                                         .arg(r + 1)
                                         .arg(c + 1)
                                         .arg(actual.toString(), want.toString())
                                         .toUtf8();
            QVERIFY2(actual.typeId() == want.typeId(), where.constData());
            QVERIFY2(actual == want, where.constData());
        }
    }
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        TSGL_FRESH_DB(m_db);
        const QVariantList loan = {QStringLiteral("0012"),
                                   QStringLiteral("O'Brien \"小明\""),
                                   QStringLiteral("红楼梦"),
                                   Money::parse(QStringLiteral("12.5"))->toSql(),
                                   sqlDate(QDate(2024, 3, 5)),
                                   QVariant(QMetaType(QMetaType::QString)),
                                   3,
                                   QStringLiteral("封面破损，已赔偿")};
        QString error;
        QVERIFY2(Statement(QStringLiteral("insert into 借出记录 (读者编号, 读者姓名, 名称, 价格, "
                                          "借阅日期, 归还日期, 实际租期, 归还备注) "
                                          "values (?, ?, ?, ?, ?, ?, ?, ?)"),
                           loan)
                     .run(&error),
                 qPrintable(error));
        const QVariantList income = {QStringLiteral("充值"),
                                     sqlDateTime(QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15))),
                                     Money::parse(QStringLiteral("-3.25"))->toSql()};
        QVERIFY2(Statement(QStringLiteral("insert into 收入 (项目, 时间, 金额, 管理员) "
                                          "values (?, ?, ?, NULL)"),
                           income)
                     .run(&error),
                 qPrintable(error));
    }

    void datasetKeepsNamesAndTypes_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<Rows>("expected");
        const QVariant empty;
        QTest::newRow("loan") << QStringLiteral("select 读者编号, 读者姓名, 价格, 借阅日期, "
                                                "归还日期, 实际租期, 归还备注 from 借出记录")
                              << Rows{{QStringLiteral("读者编号"), QStringLiteral("读者姓名"),
                                       QStringLiteral("价格"), QStringLiteral("借阅日期"),
                                       QStringLiteral("归还日期"), QStringLiteral("实际租期"),
                                       QStringLiteral("归还备注")},
                                      {QStringLiteral("0012"), QStringLiteral("O'Brien \"小明\""),
                                       12.5, QDate(2024, 3, 5), empty, qlonglong(3),
                                       QStringLiteral("封面破损，已赔偿")}};
        QTest::newRow("income with time")
            << QStringLiteral("select 项目, 时间, 金额, 管理员 from 收入")
            << Rows{{QStringLiteral("项目"), QStringLiteral("时间"), QStringLiteral("金额"),
                     QStringLiteral("管理员")},
                    {QStringLiteral("充值"), QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)), -3.25,
                     empty}};
        QTest::newRow("empty result")
            << QStringLiteral("select 读者编号, 借阅日期 from 借出记录 where 1=0")
            << Rows{{QStringLiteral("读者编号"), QStringLiteral("借阅日期")}};
    }

    void datasetKeepsNamesAndTypes()
    {
        QFETCH(QString, sql);
        QFETCH(Rows, expected);
        PromptRecorder prompts;
        OpenedFiles opened;
        ExportDatasetToExcel(nullptr, Statement(sql));
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(opened.paths().size(), 1);
        QVERIFY(opened.paths().first().endsWith(QLatin1String(".xlsx")));
        compareRows(readBack(opened.paths().first()), expected);
    }

    void datasetFieldRangeAndReadQuery()
    {
        // A query that the window has already read is exported from its first row.
        QSqlQuery query =
            Statement(QStringLiteral("select 读者编号, 读者姓名, 名称, 价格 from 借出记录")).exec();
        while (query.next()) {
        }
        PromptRecorder prompts;
        OpenedFiles opened;
        ExportDatasetToExcel(nullptr, query, 1, 2);
        QCOMPARE(opened.paths().size(), 1);
        const SheetData sheet = readBack(opened.paths().first());
        compareRows(sheet, Rows{{QStringLiteral("读者姓名"), QStringLiteral("名称")},
                                {QStringLiteral("O'Brien \"小明\""), QStringLiteral("红楼梦")}});
        QCOMPARE(sheet.columnCount, 2);
        // Each export gets a file of its own.
        ExportDatasetToExcel(nullptr, query, 0, 0);
        QCOMPARE(opened.paths().size(), 2);
        QVERIFY(opened.paths()[0] != opened.paths()[1]);
    }

    void rowsBeyondASheetAreLeftOut()
    {
        QVERIFY(Statement(QStringLiteral("insert into 借出记录 (名称) values ('西游记')")).run());
        QSqlQuery query =
            Statement(QStringLiteral("select 名称 from 借出记录 order by 名称 desc")).exec();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("两行.xlsx"));
        const SheetExport::Result result = SheetExport::writeQuery(query, 0, -1, path, 1);
        QVERIFY2(result.ok, qPrintable(result.error));
        QVERIFY(result.truncated);
        QCOMPARE(result.rows, 1);
        compareRows(readBack(path), Rows{{QStringLiteral("名称")}, {QStringLiteral("西游记")}});
    }

    void nothingOpensItSoTheUserSaves()
    {
        QTemporaryDir target;
        const QString kept = target.filePath(QStringLiteral("借阅.xlsx"));
        {
            // An older file of that name is replaced.
            QFile old(kept);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        PromptRecorder prompts;
        prompts.answerSaveFile(kept);
        OpenedFiles opened(false);
        ExportDatasetToExcel(nullptr, Statement(QStringLiteral("select 名称 from 借出记录")));
        QCOMPARE(prompts.entries().size(), 1);
        QCOMPARE(prompts.entries().first().kind, Prompt::Kind::SaveFile);
        QVERIFY(!QFile::exists(opened.paths().first()));
        compareRows(readBack(kept), Rows{{QStringLiteral("名称")}, {QStringLiteral("红楼梦")}});
        QCOMPARE(QDir(target.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("借阅.xlsx")});

        // Cancelling keeps nothing.
        ExportDatasetToExcel(nullptr, Statement(QStringLiteral("select 名称 from 借出记录")));
        QCOMPARE(opened.paths().size(), 2);
        QVERIFY(!QFile::exists(opened.paths().last()));

        // A place that cannot be written to is named with the reason.
        prompts.clear();
        const QString nowhere = target.filePath(QStringLiteral("无此文件夹/借阅.xlsx"));
        prompts.answerSaveFile(nowhere);
        ExportDatasetToExcel(nullptr, Statement(QStringLiteral("select 名称 from 借出记录")));
        QCOMPARE(prompts.entries().size(), 2);
        const QString text = prompts.last();
        QVERIFY2(text.startsWith(QStringLiteral("不能保存文件：") + nowhere + u'\n'),
                 qPrintable(text));
        QVERIFY2(text.size() > QStringLiteral("不能保存文件：\n").size() + nowhere.size(),
                 qPrintable(text));
    }

    void unwritableFileIsReported_data()
    {
        QTest::addColumn<bool>("listView");
        QTest::addColumn<QString>("message");
        QTest::newRow("dataset") << false << QStringLiteral("系统没excel，不能导出Excel！\n");
        QTest::newRow("list view") << true << QStringLiteral("NO excel ！\n");
    }

    void unwritableFileIsReported()
    {
        QFETCH(bool, listView);
        QFETCH(QString, message);
        // The temporary folder is a plain file: nothing can be written under it.
        const QString notAFolder = QDir(m_db.dir()).filePath(QStringLiteral("not-a-folder"));
        QFile blocker(notAFolder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", notAFolder.toUtf8());
        // The export folder of this run is made anew, under the new temporary folder.
        ExportFolder::remove();
        PromptRecorder prompts;
        OpenedFiles opened;
        QTreeWidget list;
        list.setHeaderLabels({QStringLiteral("名称")});
        new QTreeWidgetItem(&list, {QStringLiteral("红楼梦")});
        if (listView)
            ExportListViewToExcel(nullptr, &list);
        else
            ExportDatasetToExcel(nullptr, Statement(QStringLiteral("select * from 借出记录")));
        qputenv("TMPDIR", oldTmp);
        QCOMPARE(opened.paths().size(), 0);
        QCOMPARE(prompts.entries().size(), 1);
        QCOMPARE(prompts.entries().first().kind, Prompt::Kind::Error);
        QCOMPARE(prompts.entries().first().caption, QStringLiteral("错误"));
        // The fixed message, and beneath it why: the folder that could not be made.
        const QString text = prompts.entries().first().text;
        QVERIFY2(text.startsWith(message + QStringLiteral("不能在临时文件夹 ") + notAFolder +
                                 QStringLiteral(" 中建立导出文件夹：")),
                 qPrintable(text));
        QVERIFY2(!text.endsWith(QStringLiteral("：")), qPrintable(text));
    }

    void listViewCaptionsAndTexts()
    {
        QTreeWidget list;
        list.setHeaderLabels({QStringLiteral("编号"), QStringLiteral("名称"),
                              QStringLiteral("价格"), QStringLiteral("借阅日期")});
        new QTreeWidgetItem(&list, {QStringLiteral("0012"), QStringLiteral("红楼梦 \"上\""),
                                    QStringLiteral("12.50"), QStringLiteral("2024-03-05")});
        new QTreeWidgetItem(&list, {QStringLiteral("B-7"), QStringLiteral("O'Brien")});
        PromptRecorder prompts;
        OpenedFiles opened;
        ExportListViewToExcel(nullptr, &list);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(opened.paths().size(), 1);
        const QVariant empty;
        compareRows(
            readBack(opened.paths().first()),
            Rows{{QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("价格"),
                  QStringLiteral("借阅日期")},
                 {QStringLiteral("0012"), QStringLiteral("红楼梦 \"上\""), 12.5, QDate(2024, 3, 5)},
                 {QStringLiteral("B-7"), QStringLiteral("O'Brien"), empty, empty}});
    }

    void emptyListViewDoesNothing()
    {
        QTreeWidget list;
        list.setHeaderLabels({QStringLiteral("编号"), QStringLiteral("名称")});
        PromptRecorder prompts;
        OpenedFiles opened;
        const QDir folder(ExportFolder::path());
        const QStringList before = folder.entryList(QDir::Files);
        ExportListViewToExcel(nullptr, &list);
        QCOMPARE(opened.paths().size(), 0);
        QCOMPARE(prompts.entries().size(), 0);
        QCOMPARE(folder.entryList(QDir::Files), before);
    }

private:
    TestDb m_db;
};

QTEST_MAIN(ExportTest)
#include "export_dbtest.moc"
