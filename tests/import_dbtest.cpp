// The four spreadsheet imports on real workbooks written by a spreadsheet program
// (tests/data/imports, made from the .csv sources there): each column's conversion and
// default, the numbering options, refused rows listed with their row numbers, quotes stored
// as they are, the reader import's stop row, the loan import's skipped rows, a stop between
// rows, and the import on its worker thread.
#include "TestDb.h"

#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "import/BookImport.h"
#include "import/ImportLoop.h"
#include "import/ImportRunner.h"
#include "import/LoanImport.h"
#include "import/PeriodicalImport.h"
#include "import/ReaderImport.h"
#include "import/SheetReader.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

const QDate kToday(2026, 12, 10);
const QString kQuote = QStringLiteral("O'Brien \"双\"");

QString fixture(const QString &name, const QString &format)
{
    return QStringLiteral(TSGL_TEST_DATA "/imports/") + name + QLatin1Char('.') + format;
}

struct Outcome {
    ImportSummary summary;
    QVector<FailedRow> failed;
    QString openError;
};

Outcome importFile(const ImportMapping &mapping, const QString &path,
                   const ImportNumbering &numbering = ImportNumbering(),
                   std::function<bool()> stop = {})
{
    Outcome outcome;
    SheetReader reader;
    if (!reader.open(path, &outcome.openError))
        return outcome;
    ImportLoop loop(mapping, numbering, ImportContext{kToday, QStringLiteral("管理员")});
    loop.setBatchSize(2);
    loop.setClock([] { return QDateTime(kToday, QTime(20, 58, 30)); });
    ImportLoop::Callbacks callbacks;
    callbacks.failed = [&outcome](const FailedRow &row) { outcome.failed << row; };
    callbacks.stopRequested = std::move(stop);
    outcome.summary = loop.run(reader, SharedConnection::database(), callbacks);
    return outcome;
}

// The columns of one row as texts: dates as yyyy-MM-dd, amounts in their shortest form.
QStringList rowOf(const QString &table, const QString &keyColumn, const QString &key,
                  const QStringList &columns)
{
    QSqlQuery q = Statement(QStringLiteral("select %1 from %2 where %3=")
                                .arg(columns.join(QLatin1Char(',')), table, keyColumn))
                      .value(key)
                      .exec();
    if (!q.next())
        return {QStringLiteral("<no row %1>").arg(key)};
    QStringList out;
    for (int i = 0; i < columns.size(); ++i) {
        const QVariant v = q.value(i);
        const QString column = columns[i];
        if (v.isNull())
            out << QStringLiteral("NULL");
        else if (column.endsWith(QStringLiteral("日期")) ||
                 column.endsWith(QStringLiteral("时间")) || column == QStringLiteral("有效期"))
            out << (column == QStringLiteral("出版时间")
                        ? v.toString()
                        : dateFromSql(v).toString(QStringLiteral("yyyy-MM-dd")));
        else if (column == QStringLiteral("价格") || column == QStringLiteral("卡内金额") ||
                 column.endsWith(QStringLiteral("金")) || column == QStringLiteral("赔偿金额"))
            out << Money::fromVariant(v).toString();
        else
            out << v.toString();
    }
    return out;
}

qint64 count(const QString &table)
{
    return scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
}

QStringList numbersIn(const QString &table, const QString &column)
{
    QStringList out;
    QSqlQuery q(SharedConnection::database());
    q.exec(QStringLiteral("select %1 from %2 order by %1").arg(column, table));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

void addFormats()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("xlsx") << QStringLiteral("xlsx");
}

} // namespace

class ImportTest : public QObject {
    Q_OBJECT

private slots:
    void books_data() { addFormats(); }
    void books()
    {
        QFETCH(QString, format);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        BookImport books;
        const Outcome o = importFile(books, fixture(QStringLiteral("books"), format));
        QVERIFY2(o.openError.isEmpty(), qPrintable(o.openError));
        QCOMPARE(o.summary.imported, 4);
        QCOMPARE(o.summary.failed, 2);
        QCOMPARE(count(QStringLiteral("图书")), 4);

        const QStringList all{
            "条形码",   "名称",   "分类", "出版社",   "作者",     "价格",     "isbn",   "数量",
            "存放位置", "分类号", "简介", "二级分类", "出版时间", "页数",     "译者",   "版次",
            "索书号",   "py",     "zch",  "币种",     "物品级别", "借出次数", "登记人", "入库时间",
            "密级",     "附件",   "来源", "捐赠人",   "图片地址", "绝对地址", "状态"};
        QCOMPARE(rowOf(QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B001"), all),
                 (QStringList{"9001",
                              "红楼梦",
                              "文学",
                              "人民文学出版社",
                              "曹雪芹",
                              "12.5",
                              "9787020002207",
                              "3",
                              "一楼",
                              "I242",
                              "长篇小说",
                              "古典",
                              "1982年3月",
                              "356",
                              "",
                              "2",
                              "I242/1",
                              "HLM",
                              "7",
                              "人民币",
                              "普通",
                              "4",
                              "张三",
                              "2008-08-08",
                              "公开",
                              "光盘",
                              "购买",
                              "",
                              "a.jpg",
                              "/p/a.jpg",
                              "正常"}));
        // Empty barcode and name give "n"; what does not convert gives the column's default.
        QCOMPARE(rowOf(QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B002"),
                       {"条形码", "名称", "价格", "数量", "入库时间", "zch", "借出次数", "页数"}),
                 (QStringList{"n", "n", "0", "1", "2026-12-10", "0", "0", "0"}));
        // A page count written with 页 is read as its number; a date with a time as the day;
        // the publication time stays the text it was.
        QCOMPARE(rowOf(QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B003"),
                       {"页数", "入库时间", "出版时间"}),
                 (QStringList{"356", "2008-08-09", "2008-08"}));

        // Row 5: a page count that is no number; row 6: a number the library already has.
        QCOMPARE(o.failed.size(), 2);
        QCOMPARE(o.failed[0].resultLine(), QStringLiteral("5 n 水浒传"));
        QVERIFY(o.failed[0].reason.contains(QStringLiteral("页数")));
        QCOMPARE(o.failed[1].resultLine(), QStringLiteral("6 9005 重复的编号"));
        QVERIFY2(!o.failed[1].reason.isEmpty(), "the database's message is kept");
        QVERIFY(o.failed[1].statement.startsWith(QStringLiteral("insert into 图书")));
        QVERIFY(o.failed[1].statement.contains(QStringLiteral("'重复的编号'")));
        QCOMPARE(o.failed[1].cells.size(), 20);
        QCOMPARE(o.failed[1].cells.mid(0, 4), (QStringList{"B001", "9005", "重复的编号", ""}));
        // The first row keeps its values.
        QCOMPARE(
            rowOf(QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B001"), {"名称"}),
            QStringList{"红楼梦"});
    }

    void headingRowOnly_data() { addFormats(); }
    void headingRowOnly()
    {
        QFETCH(QString, format);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        BookImport books;
        const Outcome o = importFile(books, fixture(QStringLiteral("books_heading_only"), format));
        QVERIFY2(o.openError.isEmpty(), qPrintable(o.openError));
        QCOMPARE(ImportTexts::finalLines(o.summary),
                 (QStringList{QStringLiteral("成功导入了0行"), QStringLiteral("导入失败了0行")}));
        QCOMPARE(count(QStringLiteral("图书")), 0);
    }

    // The same sheet twice without numbering: every row of the second run is refused and
    // listed by its row number.
    void sameSheetTwice_data() { addFormats(); }
    void sameSheetTwice()
    {
        QFETCH(QString, format);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        BookImport books;
        const QString path = fixture(QStringLiteral("books_three"), format);
        QCOMPARE(importFile(books, path).summary.imported, 3);
        const Outcome again = importFile(books, path);
        QCOMPARE(again.summary.imported, 0);
        QCOMPARE(again.summary.failed, 3);
        QStringList lines;
        for (const FailedRow &row : again.failed)
            lines << row.resultLine();
        QCOMPARE(lines, (QStringList{"2 n 甲", "3 n 乙", "4 n 丙"}));
        QCOMPARE(count(QStringLiteral("图书")), 3);
    }

    void numbering_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("random");
        QTest::addColumn<bool>("fromStart");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("from 1000")
            << "xlsx" << false << true << QStringList{"1000", "1001", "1002"};
        QTest::newRow("random") << "xlsx" << true << false
                                << QStringList{"26121020582", "26121020583", "26121020584"};
        QTest::newRow("both") << "xlsx" << true << true
                              << QStringList{"26121020583", "26121020584", "26121020585"};
        QTest::newRow("neither") << "xlsx" << false << false << QStringList{"X1", "X2", "X3"};
    }
    void numbering()
    {
        QFETCH(QString, format);
        QFETCH(bool, random);
        QFETCH(bool, fromStart);
        QFETCH(QStringList, numbers);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        BookImport books;
        const ImportNumbering numbering(random, fromStart, 1000);
        QCOMPARE(importFile(books, fixture(QStringLiteral("books_three"), format), numbering)
                     .summary.imported,
                 3);
        QCOMPARE(numbersIn(QStringLiteral("图书"), QStringLiteral("编号")), numbers);
    }

    void quotesStoredAsTheyAre_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("keyColumn");
        QTest::addColumn<QStringList>("columns");
        // Every text column each import fills from the sheet.
        QTest::newRow("books") << "xlsx"
                               << "books"
                               << "编号"
                               << QStringList{
                                      "编号",     "条形码",   "名称",     "分类",     "出版社",
                                      "作者",     "isbn",     "存放位置", "分类号",   "简介",
                                      "二级分类", "出版时间", "译者",     "版次",     "索书号",
                                      "py",       "币种",     "物品级别", "登记人",   "密级",
                                      "附件",     "来源",     "捐赠人",   "图片地址", "绝对地址"};
        QTest::newRow("readers") << "xlsx"
                                 << "readers"
                                 << "读者编号"
                                 << QStringList{"读者编号", "读者姓名", "性别",     "类别",
                                                "单位部门", "住址",     "联系电话", "班级",
                                                "院系",     "有效证件", "证件号码", "备注",
                                                "CardId",   "登记人",   "py"};
        QTest::newRow("periodicals")
            << "xlsx"
            << "periodicals"
            << "编号" << QStringList{"编号",         "名称",     "条形码",   "物品级别", "分类",
                                     "二级分类",     "出版社",   "存放位置", "ISSN",     "py",
                                     "国内统一刊号", "邮发代号", "出版时间", "第几期",   "总第几期",
                                     "币种",         "状态",     "来源",     "捐赠人",   "简介",
                                     "图片地址",     "绝对地址", "登记人"};
        QTest::newRow("loans") << "xlsx"
                               << "loans"
                               << "编号"
                               << QStringList{"读者编号", "cardId",     "读者姓名",   "条形码",
                                              "编号",     "名称",       "类别",       "物品级别",
                                              "附件",     "借阅经手人", "归还经手人", "物品状况",
                                              "归还备注"};
    }
    void quotesStoredAsTheyAre()
    {
        QFETCH(QString, format);
        QFETCH(QString, kind);
        QFETCH(QString, keyColumn);
        QFETCH(QStringList, columns);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        std::unique_ptr<ImportMapping> mapping;
        QString table;
        if (kind == QLatin1String("books")) {
            mapping = std::make_unique<BookImport>();
            table = QStringLiteral("图书");
        } else if (kind == QLatin1String("readers")) {
            mapping = std::make_unique<ReaderImport>();
            table = QStringLiteral("读者库");
        } else if (kind == QLatin1String("periodicals")) {
            mapping = std::make_unique<PeriodicalImport>();
            table = QStringLiteral("期刊");
        } else {
            mapping = std::make_unique<LoanImport>();
            table = QStringLiteral("借出记录");
        }
        const Outcome o = importFile(*mapping, fixture(kind + QStringLiteral("_quotes"), format));
        QVERIFY2(o.openError.isEmpty(), qPrintable(o.openError));
        QVERIFY2(o.failed.isEmpty(), o.failed.isEmpty() ? "" : qPrintable(o.failed[0].reason));
        QCOMPARE(o.summary.imported, 1);
        // The sheet's headings name the columns; each cell holds its heading and the quotes.
        const QString headingOfKey = keyColumn;
        QStringList expected;
        for (const QString &column : columns) {
            QString heading = column;
            if (column == QLatin1String("CardId"))
                heading = QStringLiteral("读者卡号");
            else if (column == QLatin1String("cardId"))
                heading = QStringLiteral("读者卡号CardId");
            else if (column == QLatin1String("py"))
                heading =
                    kind == QLatin1String("books") ? QStringLiteral("py") : QStringLiteral("拼音");
            else if (column == QLatin1String("isbn"))
                heading = QStringLiteral("ISBN");
            expected << heading + kQuote;
        }
        QCOMPARE(rowOf(table, keyColumn, headingOfKey + kQuote, columns), expected);
    }

    void readers_data() { addFormats(); }
    void readers()
    {
        QFETCH(QString, format);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        loginContext().openingFee = Money::fromYuan(5);
        ReaderImport readers;
        const Outcome o = importFile(readers, fixture(QStringLiteral("readers"), format));
        QVERIFY2(o.openError.isEmpty(), qPrintable(o.openError));
        // Row 4 has no name: it and every row below it are neither imported nor counted.
        QCOMPARE(o.summary.imported, 2);
        QCOMPARE(o.summary.failed, 0);
        QCOMPARE(numbersIn(QStringLiteral("读者库"), QStringLiteral("读者编号")),
                 (QStringList{"R001", "R002"}));
        const QStringList all{
            "读者姓名", "性别",     "类别",     "单位部门", "住址",     "联系电话",     "班级",
            "院系",     "有效证件", "证件号码", "备注",     "CardId",   "累计借阅次数", "登记日期",
            "有效期",   "卡内金额", "登记人",   "py",       "未还数量", "状态",         "密码"};
        QCOMPARE(rowOf(QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R001"),
                       all),
                 (QStringList{"张三",   "男",         "教师",
                              "数学系", "一号楼",     "13800000000",
                              "三班",   "理学院",     "身份证",
                              "110",    "备注",       "C001",
                              "5",      "2020-09-01", "2024-07-01",
                              "20.5",   "李四",       "ZS",
                              "0",      "正常",       QString::fromLatin1(DefaultPassword)}));
        QCOMPARE(rowOf(QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R002"),
                       {"类别", "有效期", "登记人", "卡内金额", "累计借阅次数", "登记日期", "py"}),
                 (QStringList{"普通", "2049-12-10", "管理员 导入的", "0", "0", "2026-12-10", ""}));
        // Imported readers pay no account-opening fee.
        QCOMPARE(count(QStringLiteral("收入")), 0);
    }

    void periodicals_data() { addFormats(); }
    void periodicals()
    {
        QFETCH(QString, format);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        PeriodicalImport periodicals;
        const Outcome o = importFile(periodicals, fixture(QStringLiteral("periodicals"), format));
        QVERIFY2(o.openError.isEmpty(), qPrintable(o.openError));
        QCOMPARE(o.summary.imported, 2);
        const QStringList all{
            "名称",     "条形码",   "物品级别", "分类",         "二级分类", "出版社",   "存放位置",
            "数量",     "ISSN",     "py",       "国内统一刊号", "邮发代号", "出版时间", "第几期",
            "入库时间", "总第几期", "价格",     "币种",         "借出次数", "状态",     "来源",
            "捐赠人",   "简介",     "图片地址", "绝对地址",     "登记人"};
        QCOMPARE(rowOf(QStringLiteral("期刊"), QStringLiteral("编号"), QStringLiteral("Q001"), all),
                 (QStringList{"读者",   "8001", "珍贵",       "综合", "文摘",      "读者出版集团",
                              "二楼",   "2",    "1005-1805",  "DZ",   "CN62-1118", "54-17",
                              "2008年", "8",    "2008-08-08", "400",  "3.5",       "人民币",
                              "6",      "注销", "订阅",       "无",   "文摘",      "q.jpg",
                              "/q.jpg", "张三"}));
        QCOMPARE(rowOf(QStringLiteral("期刊"), QStringLiteral("编号"), QStringLiteral("Q002"),
                       {"名称", "条形码", "物品级别", "状态", "数量", "价格", "入库时间"}),
                 (QStringList{"n", "n", "普通", "正常", "1", "0", "2026-12-10"}));
    }

    void loans_data() { addFormats(); }
    void loans()
    {
        QFETCH(QString, format);
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        QString error;
        QVERIFY2(Statement(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, 未还数量, "
                                          "累计借阅次数) values ('R002', '王五', 0, 0)"))
                     .run(&error),
                 qPrintable(error));
        QVERIFY2(Statement(QStringLiteral("insert into 图书 (编号, 名称, 数量, 借出次数) "
                                          "values ('B002', '书', 3, 0)"))
                     .run(&error),
                 qPrintable(error));
        LoanImport loans;
        const Outcome o = importFile(loans, fixture(QStringLiteral("loans"), format));
        QVERIFY2(o.openError.isEmpty(), qPrintable(o.openError));
        // Rows 3 and 5 lack 编号 or 名称: skipped, counted neither way.
        QCOMPARE(o.summary.imported, 3);
        QCOMPARE(o.summary.failed, 0);
        QCOMPARE(numbersIn(QStringLiteral("借出记录"), QStringLiteral("编号")),
                 (QStringList{"B001", "B002", "B004"}));
        const QStringList all{"读者编号", "cardId",   "读者姓名", "条形码",     "名称",
                              "类别",     "物品级别", "价格",     "附件",       "借阅日期",
                              "归还日期", "应还日期", "已还",     "租金",       "押金",
                              "罚金",     "实际租期", "实际租金", "借阅经手人", "归还经手人",
                              "物品状况", "赔偿金额", "归还备注"};
        QCOMPARE(
            rowOf(QStringLiteral("借出记录"), QStringLiteral("编号"), QStringLiteral("B001"), all),
            (QStringList{"R001", "C001", "张三", "9001",       "红楼梦",     "图书",
                         "普通", "12.5", "光盘", "2008-08-08", "2008-09-01", "2008-09-08",
                         "是",   "1",    "20",   "0.5",        "24",         "1.2",
                         "甲",   "乙",   "完好", "0",          "按时"}));
        QCOMPARE(rowOf(QStringLiteral("借出记录"), QStringLiteral("编号"), QStringLiteral("B002"),
                       {"cardId", "附件", "类别", "物品级别", "借阅日期", "归还日期", "应还日期",
                        "已还", "价格", "实际租期"}),
                 (QStringList{"n", "n", "图书", "普通", "1999-01-01", "2000-01-01", "2000-02-01",
                              "否", "0", "0"}));
        QCOMPARE(rowOf(QStringLiteral("借出记录"), QStringLiteral("编号"), QStringLiteral("B004"),
                       {"已还", "类别"}),
                 (QStringList{"否", "期刊"}));
        // Only loan records are written: the counters stay as they were.
        QCOMPARE(rowOf(QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R002"),
                       {"未还数量", "累计借阅次数"}),
                 (QStringList{"0", "0"}));
        QCOMPARE(rowOf(QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B002"),
                       {"数量", "借出次数"}),
                 (QStringList{"3", "0"}));
    }

    // A stop between rows keeps the rows written so far, committed.
    void stopKeepsWhatWasWritten()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        BookImport books;
        int asked = 0;
        const Outcome o =
            importFile(books, fixture(QStringLiteral("books"), QStringLiteral("xlsx")),
                       ImportNumbering(), [&asked] { return ++asked > 3; });
        QVERIFY(o.summary.stopped);
        QCOMPARE(o.summary.imported, 3);
        QVERIFY(ImportTexts::finalLines(o.summary).contains(QStringLiteral("导入已停止")));
        QCOMPARE(numbersIn(QStringLiteral("图书"), QStringLiteral("编号")),
                 (QStringList{"B001", "B002", "B003"}));
    }

    // The windows run the import on a worker thread with a connection of its own.
    void runsOnAWorkerThread()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        ImportRunner runner;
        runner.setBatchSize(2);
        QSignalSpy finished(&runner, &ImportRunner::finished);
        QVector<FailedRow> failed;
        int lastRow = 0;
        connect(&runner, &ImportRunner::advanced, this,
                [&](int row, int, const QVector<FailedRow> &rows) {
                    lastRow = row;
                    failed += rows;
                });
        runner.start(std::make_shared<BookImport>(),
                     fixture(QStringLiteral("books"), QStringLiteral("xlsx")), ImportNumbering(),
                     ImportContext{kToday, QStringLiteral("管理员")});
        QVERIFY(runner.isRunning());
        QVERIFY(finished.wait(20000));
        QVERIFY(!runner.isRunning());
        const ImportSummary summary = finished.at(0).at(0).value<ImportSummary>();
        QCOMPARE(summary.imported, 4);
        QCOMPARE(summary.failed, 2);
        QCOMPARE(lastRow, 7);
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed[1].row, 6);
        QCOMPARE(count(QStringLiteral("图书")), 4);
    }

    void unreadableFileImportsNothing()
    {
        TestDb testDb;
        TSGL_FRESH_DB(testDb);
        ImportRunner runner;
        QSignalSpy finished(&runner, &ImportRunner::finished);
        runner.start(std::make_shared<BookImport>(),
                     fixture(QStringLiteral("no_such_file"), QStringLiteral("xlsx")),
                     ImportNumbering(), ImportContext{kToday, QStringLiteral("管理员")});
        QVERIFY(finished.wait(20000));
        const ImportSummary summary = finished.at(0).at(0).value<ImportSummary>();
        QVERIFY(!summary.fileError.isEmpty());
        QCOMPARE(summary.imported, 0);
        QCOMPARE(count(QStringLiteral("图书")), 0);
    }
};

QTEST_GUILESS_MAIN(ImportTest)
#include "import_dbtest.moc"
