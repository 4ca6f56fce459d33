// tsgl import run as a user runs it, without a display, on the database of a de.ini: the
// result box's lines on standard output, the database's reasons on standard error, and the
// exit status (0 all imported, 1 rows failed, 2 the file or the command line unusable).
#include "TestDb.h"

#include "db/IniFile.h"
#include "db/Statement.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    bool crashed = true;
    QStringList out;
    QString err;
};

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

Run tsgl(const QStringList &arguments)
{
    QProcess p;
    p.setProcessEnvironment(withoutDisplay());
    p.start(QStringLiteral(TSGL_PROGRAM), arguments);
    Run run;
    if (!p.waitForFinished(120000))
        return run;
    run.crashed = p.exitStatus() != QProcess::NormalExit;
    run.exitCode = p.exitCode();
    run.out =
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

QString writeIni(const TestDb &db, const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("de.ini"));
    IniFile ini(path);
    const QString part1 = QStringLiteral("part1");
    if (db.dialect() == SqlDialect::Server) {
        ini.write(part1, {{QStringLiteral("abc"), QStringLiteral("s")},
                          {QStringLiteral("cs"), db.connectionString()}});
    } else {
        ini.write(part1, {{QStringLiteral("abc"), QStringLiteral("a")},
                          {QStringLiteral("csaccess"), db.connectionString()}});
    }
    return path;
}

QString fixture(const QString &name)
{
    return QStringLiteral(TSGL_TEST_DATA "/imports/") + name;
}

QStringList numbers(const QString &table, const QString &column)
{
    QStringList out;
    QSqlQuery q =
        Statement(QStringLiteral("select %1 from %2 order by %1").arg(column, table)).exec();
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace

class ImportCommandTest : public QObject {
    Q_OBJECT

    TestDb m_db;
    QTemporaryDir m_dir;
    QString m_ini;

    Run import(const QStringList &arguments)
    {
        return tsgl(QStringList{QStringLiteral("import")} + arguments +
                    QStringList{QStringLiteral("--config"), m_ini});
    }

private slots:
    void init()
    {
        TSGL_FRESH_DB(m_db);
        m_ini = writeIni(m_db, m_dir.path());
    }

    void booksWithFailedRows()
    {
        const Run run = import({QStringLiteral("books"), fixture(QStringLiteral("books.xlsx"))});
        QVERIFY(!run.crashed);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out.mid(0, 6),
                 (QStringList{"6条数据(行数)", "31个项目(列数)", "5 n 水浒传", "6 9005 重复的编号",
                              "成功导入了4行", "导入失败了2行"}));
        QVERIFY(run.out.value(6).startsWith(QStringLiteral("时间:")));
        QCOMPARE(run.out.value(7), QStringLiteral("完成!"));
        QVERIFY2(run.err.contains(QStringLiteral("第5行: 页数")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("第6行: ")), qPrintable(run.err));
        QCOMPARE(numbers(QStringLiteral("图书"), QStringLiteral("编号")),
                 (QStringList{"B001", "B002", "B003", "B006"}));
    }

    void numberingOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("start") << QStringList{"--start", "1000"}
                               << QStringList{"1000", "1001", "1002"};
        QTest::newRow("start after the command")
            << QStringList{"--start=77"} << QStringList{"77", "78", "79"};
    }
    void numberingOptions()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, expected);
        const Run run = import(
            QStringList{QStringLiteral("books"), fixture(QStringLiteral("books_three.xlsx"))} +
            options);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains(QStringLiteral("成功导入了3行")));
        QCOMPARE(numbers(QStringLiteral("图书"), QStringLiteral("编号")), expected);
    }

    void randomNumbers()
    {
        const Run run = import({QStringLiteral("readers"), fixture(QStringLiteral("readers.xlsx")),
                                QStringLiteral("--random-numbers")});
        QCOMPARE(run.exitCode, 0);
        const QStringList got = numbers(QStringLiteral("读者库"), QStringLiteral("读者编号"));
        QCOMPARE(got.size(), 2);
        // Ten digits of the minute, then the row number.
        QVERIFY2(got[0].size() == 11 && got[0].endsWith(QLatin1Char('2')), qPrintable(got[0]));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such file")
            << QStringList{"books", fixture(QStringLiteral("no_such_file.xlsx"))} << "";
        QTest::newRow("not a workbook")
            << QStringList{"books", fixture(QStringLiteral("make-fixtures"))} << "";
        QTest::newRow("unknown kind")
            << QStringList{"cds", fixture(QStringLiteral("books.xlsx"))} << "不能导入这种数据";
        QTest::newRow("loans take no numbers")
            << QStringList{"loans", fixture(QStringLiteral("loans.xlsx")), "--start", "5"}
            << "没有编号选项";
        QTest::newRow("start not digits")
            << QStringList{"books", fixture(QStringLiteral("books.xlsx")), "--start", "12a"}
            << "起始编号";
        QTest::newRow("no file named") << QStringList{"books"} << "用法";
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = import(arguments);
        QVERIFY(!run.crashed);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(!run.err.trimmed().isEmpty(), "the reason is given");
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 图书")).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(ImportCommandTest)
#include "import_command_dbtest.moc"
