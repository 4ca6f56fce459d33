// tsgl circulation and tsgl reserve run as a user runs them, without a display, on the
// database of a de.ini: the lines go through the borrowing and return rules, each line gets
// its result, and a run killed midway leaves every counter matching the loans.
#include "TestDb.h"

#include "db/IniFile.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

#include <signal.h>

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

void exec(const QString &sql, const QVariantList &values = {})
{
    QString error;
    QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
}

QVariant value(const QString &sql, const QVariantList &values = {})
{
    return Statement(sql, values).scalar();
}

void writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

// Rent and fines on, reservations honoured; a category lending for 30 days at 0.5 a day.
void lendingRules()
{
    exec(QStringLiteral("update 系统设置 set 启用租金功能=1, 启用读者租金=1, 启用超期罚金=1, "
                        "超期每日罚金=0.1, 启用预定功能=1, 启用读者有效期=0, 借阅数量限制功能=0"));
    exec(QStringLiteral("insert into 读者类别 (类别名, 借阅天数, 借阅数量限制, 租金) values "
                        "('测试生', 30, 5, 0.5)"));
    exec(QStringLiteral("insert into 物品级别 (名称, 租金, 可借数量) values ('珍本', 0, 1)"));
}

void addReader(const QString &number, const QString &card)
{
    exec(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, CardId, 类别, 状态, 未还数量, "
                        "累计借阅次数, 卡内金额) values (?, ?, ?, '测试生', '正常', 0, 0, 100)"),
         {number, QStringLiteral("读者") + number, card});
}

void addItem(const QString &kind, const QString &number, const QString &barcode, int copies,
             const QVariant &level = QVariant(QMetaType(QMetaType::QString)))
{
    exec(QStringLiteral("insert into %1 (编号, 条形码, 名称, 数量, 借出次数, 价格, 物品级别) "
                        "values (?, ?, ?, ?, 0, 20, ?)")
             .arg(kind),
         {number, barcode, QStringLiteral("书名") + number, copies, level});
}

// The de.ini of the test's database, in dir.
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

// Every counter against the loans: for each item the copies it started with less its loans
// still out, and its 借出次数 the loans ever made; for each reader 未还数量 his loans still out
// and 累计借阅次数 all of his loans. Lists the mismatches.
QStringList countersAgainstLoans(const QString &kind, int copies)
{
    QStringList wrong;
    QSqlQuery items =
        Statement(QStringLiteral("select i.编号, i.数量, i.借出次数, "
                                 "(select count(*) from 借出记录 l where l.编号=i.编号 "
                                 "and l.类别=? and l.已还='否'), "
                                 "(select count(*) from 借出记录 l where l.编号=i.编号 "
                                 "and l.类别=?) from %1 i")
                      .arg(kind),
                  {kind, kind})
            .exec();
    int rows = 0;
    while (items.next()) {
        ++rows;
        const int open = items.value(3).toInt();
        const int all = items.value(4).toInt();
        if (items.value(1).toInt() != copies - open || items.value(2).toInt() != all)
            wrong << QStringLiteral("%1: 数量 %2, 借出次数 %3, 借出 %4, 未还 %5")
                         .arg(items.value(0).toString(), items.value(1).toString(),
                              items.value(2).toString())
                         .arg(all)
                         .arg(open);
    }
    QSqlQuery readers = Statement(QStringLiteral("select r.读者编号, r.未还数量, r.累计借阅次数, "
                                                 "(select count(*) from 借出记录 l where "
                                                 "l.读者编号=r.读者编号 and l.已还='否'), "
                                                 "(select count(*) from 借出记录 l where "
                                                 "l.读者编号=r.读者编号) from 读者库 r"))
                            .exec();
    while (readers.next()) {
        ++rows;
        const int open = readers.value(3).toInt();
        const int all = readers.value(4).toInt();
        if (readers.value(1).toInt() != open || readers.value(2).toInt() != all)
            wrong << QStringLiteral("%1: 未还数量 %2, 累计借阅次数 %3, 借阅 %4, 未还 %5")
                         .arg(readers.value(0).toString(), readers.value(1).toString(),
                              readers.value(2).toString())
                         .arg(all)
                         .arg(open);
    }
    if (rows == 0)
        wrong << QStringLiteral("no items and no readers were read");
    return wrong;
}

} // namespace

class CirculationCommandTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void aMorningAndItsReturns();
    void reserveThenLend();
    void refusedFiles_data();
    void refusedFiles();
    void killedMidwayLeavesNoHalfLoan();
    void sessionRefusals_data();
    void sessionRefusals();

private:
    TestDb m_db;
    QTemporaryDir m_dir;
    QString m_ini;
};

void CirculationCommandTest::init()
{
    TSGL_FRESH_DB(m_db);
    m_ini = writeIni(m_db, m_dir.path());
    lendingRules();
}

void CirculationCommandTest::aMorningAndItsReturns()
{
    exec(QStringLiteral("insert into 管理员 (adminname, pwd) values ('值班员', 'x')"));
    addReader(QStringLiteral("R1"), QStringLiteral("C1"));
    addReader(QStringLiteral("R2"), QStringLiteral("C2"));
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("111"), 2);
    addItem(QStringLiteral("图书"), QStringLiteral("B2"), QStringLiteral("222"), 1);
    addItem(QStringLiteral("图书"), QStringLiteral("B3"), QStringLiteral("333"), 1);
    exec(
        QStringLiteral("update 图书 set 预定状况='R2', 预定到期时间='2026-03-05' where 编号='B3'"));
    addItem(QStringLiteral("图书"), QStringLiteral("B4"), QStringLiteral("444"), 1,
            QStringLiteral("珍本"));
    addItem(QStringLiteral("图书"), QStringLiteral("B5"), QStringLiteral("555"), 1,
            QStringLiteral("珍本"));
    addItem(QStringLiteral("期刊"), QStringLiteral("P1"), QStringLiteral("666"), 1);
    const QString file = m_dir.filePath(QStringLiteral("三月.txt"));
    writeFile(file, QStringLiteral("# 三月一日的借阅\n"
                                   "2026-03-01 09:00:00\tlend\tR1\t111\n"
                                   "2026-03-01 09:01:00\tlend\tC1\tB2\n"
                                   "2026-03-01 09:02:00\tlend\tR2\t666\r\n"
                                   "2026-03-01 09:03:00\tlend\tR2\t222\n"
                                   "2026-03-01 09:04:00\tlend\tR1\t333\n"
                                   "2026-03-01 09:05:00\tlend\tR1\t444\n"
                                   "2026-03-01 09:06:00\tlend\tR1\t555\n"
                                   "\n"
                                   "2026-03-11 10:00:00\treturn\t111\n"
                                   "2026-03-11 10:01:00\trenew\tB2\t2026-04-30\n"
                                   "2026-03-11 10:02:00\tlend\tR1\tB9\n"
                                   "lend\tR1\n"));
    const Run run = tsgl({QStringLiteral("circulation"), file, QStringLiteral("--config"), m_ini,
                          QStringLiteral("--operator"), QStringLiteral("值班员")});
    QVERIFY2(!run.crashed, qPrintable(run.err));
    QCOMPARE(run.exitCode, 1);
    const QStringList expected = {
        QStringLiteral(
            "第 2 行: OK 借出 图书 B1 《书名B1》 给读者 R1 (读者R1),应还日期: 2026-03-31"),
        QStringLiteral("第 3 行: OK 借出 图书 B2"),
        QStringLiteral("第 4 行: OK 借出 期刊 P1 《书名P1》 给读者 R2"),
        QStringLiteral("第 5 行: 拒绝: 数量不足."),
        QStringLiteral("第 6 行: 拒绝: 该图书已经被读者编号为: (R2) 的读者预定了"),
        QStringLiteral("第 7 行: OK 借出 图书 B4"),
        QStringLiteral("第 8 行: 拒绝: 已经超出物品级别中规定的（ 珍本 ）"),
        QStringLiteral("第 10 行: OK 归还 图书 B1 《书名B1》,读者 R1 (读者R1),租期 10 天,租金 "
                       "5,罚金 0,扣款 5"),
        QStringLiteral("第 11 行: OK 续借 图书 B2 《书名B2》,应还日期: 2026-04-30"),
        QStringLiteral("第 12 行: 拒绝: 没有条形码或编号为 \"B9\""),
        QStringLiteral("第 13 行: 拒绝: lend 缺少字段"),
    };
    QCOMPARE(run.out.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(run.out[i].startsWith(expected[i]), qPrintable(run.out[i]));
    QVERIFY2(run.err.contains(QStringLiteral("完成 6 行,拒绝 5 行")), qPrintable(run.err));

    // The returned loan, with its rent charged; the renewed one; the counters.
    QSqlQuery loan =
        Statement(QStringLiteral("select 已还, 归还日期, 实际租期, 实际租金, 罚金, "
                                 "借阅经手人, 归还经手人 from 借出记录 where 编号='B1'"))
            .exec();
    QVERIFY(loan.next());
    QCOMPARE(loan.value(0).toString(), QStringLiteral("是"));
    QCOMPARE(dateFromSql(loan.value(1)), QDate(2026, 3, 11));
    QCOMPARE(loan.value(2).toInt(), 10);
    QCOMPARE(Money::fromVariant(loan.value(3)), Money::fromDouble(5));
    QCOMPARE(Money::fromVariant(loan.value(4)), Money());
    QCOMPARE(loan.value(5).toString(), QStringLiteral("值班员"));
    QCOMPARE(loan.value(6).toString(), QStringLiteral("值班员"));
    QCOMPARE(dateFromSql(value(QStringLiteral("select 应还日期 from 借出记录 where 编号='B2'"))),
             QDate(2026, 4, 30));
    QCOMPARE(Money::fromVariant(
                 value(QStringLiteral("select 卡内金额 from 读者库 where 读者编号='R1'"))),
             Money::fromDouble(95));
    QCOMPARE(value(QStringLiteral("select 预定状况 from 图书 where 编号='B3'")).toString(),
             QStringLiteral("R2"));
    QCOMPARE(value(QStringLiteral("select count(*) from 借出记录")).toInt(), 4);
    QCOMPARE(value(QStringLiteral("select 数量 from 图书 where 编号='B1'")).toInt(), 2);
    QCOMPARE(value(QStringLiteral("select 数量 from 图书 where 编号='B2'")).toInt(), 0);
    QCOMPARE(value(QStringLiteral("select 数量 from 期刊 where 编号='P1'")).toInt(), 0);
    QCOMPARE(value(QStringLiteral("select 未还数量 from 读者库 where 读者编号='R1'")).toInt(), 2);
    QCOMPARE(value(QStringLiteral("select 累计借阅次数 from 读者库 where 读者编号='R1'")).toInt(),
             3);
    QCOMPARE(value(QStringLiteral("select 未还数量 from 读者库 where 读者编号='R2'")).toInt(), 1);
}

void CirculationCommandTest::reserveThenLend()
{
    addReader(QStringLiteral("R1"), QStringLiteral("C1"));
    addReader(QStringLiteral("R2"), QStringLiteral("C2"));
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("111"), 1);
    const QString until = QDateTime::currentDateTime().addDays(3).toString("yyyy-MM-dd HH:mm:ss");
    Run run = tsgl({QStringLiteral("--config"), m_ini, QStringLiteral("reserve"),
                    QStringLiteral("111"), QStringLiteral("C2"), until});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.value(0).startsWith(QStringLiteral("OK 已为读者 R2 (读者R2) 预定图书 B1")),
             qPrintable(run.out.join('\n')));
    // Another reader is refused, on stderr, with nothing on stdout.
    run = tsgl({QStringLiteral("--config"), m_ini, QStringLiteral("reserve"), QStringLiteral("B1"),
                QStringLiteral("R1"), until});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(QStringLiteral("(R2) 的读者预定了")), qPrintable(run.err));

    const QString file = m_dir.filePath(QStringLiteral("ops.txt"));
    writeFile(file, QStringLiteral("lend\tR1\t111\nlend\tR2\t111\n"));
    run = tsgl({QStringLiteral("--config"), m_ini, QStringLiteral("circulation"), file});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out.size(), 2);
    QVERIFY2(run.out[0].contains(QStringLiteral("拒绝: 该图书已经被读者编号为: (R2)")),
             qPrintable(run.out[0]));
    QVERIFY2(run.out[1].contains(QStringLiteral("OK 借出 图书 B1")), qPrintable(run.out[1]));
    // Lending consumed the reservation.
    QVERIFY(value(QStringLiteral("select 预定状况 from 图书 where 编号='B1'")).isNull());
    // Without --operator the super administrator lends.
    QCOMPARE(value(QStringLiteral("select 借阅经手人 from 借出记录")).toString(),
             QStringLiteral("超级管理员"));
}

void CirculationCommandTest::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("binary") << QByteArray::fromHex("6c656e640952310942310a7f454c460000010a")
                            << "不是文本文件";
    QTest::newRow("GBK text") << QByteArray("lend\tR1\t\xca\xe9\n") << "第 1 行不是 UTF-8 文本";
    QTest::newRow("a line too long")
        << (QByteArray("lend\tR1\tB1\n") + QByteArray(5000, 'x') + "\n") << "第 2 行超过 1024 字节";
    QTest::newRow("a folder") << QByteArray() << "不是文件";
}

void CirculationCommandTest::refusedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    addReader(QStringLiteral("R1"), QStringLiteral("C1"));
    addItem(QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("111"), 1);
    QString file = m_dir.filePath(QStringLiteral("ops.txt"));
    if (content.isEmpty()) {
        file = m_dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(file));
    } else {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    const Run run = tsgl({QStringLiteral("--config"), m_ini, QStringLiteral("circulation"), file});
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    // Nothing ran, not even the good first line.
    QVERIFY(run.out.isEmpty());
    QCOMPARE(value(QStringLiteral("select count(*) from 借出记录")).toInt(), 0);
}

void CirculationCommandTest::killedMidwayLeavesNoHalfLoan()
{
    const int readers = 30;
    const int books = 30;
    const int copies = 3;
    for (int i = 0; i < readers; ++i)
        addReader(QStringLiteral("R%1").arg(i), QStringLiteral("C%1").arg(i));
    for (int i = 0; i < books; ++i)
        addItem(QStringLiteral("图书"), QStringLiteral("B%1").arg(i), QStringLiteral("9%1").arg(i),
                copies);
    // Lendings and returns in turn, many more than a run gets through before it is killed.
    QString lines;
    for (int k = 0; k < 6000; ++k) {
        const QString reader = QStringLiteral("R%1").arg(k % readers);
        const QString book = QStringLiteral("B%1").arg((k * 7) % books);
        lines += QStringLiteral("lend\t%1\t%2\n").arg(reader, book);
        if (k % 3 != 2)
            lines += QStringLiteral("return\t%1\t%2\n").arg(book, reader);
    }
    const QString file = m_dir.filePath(QStringLiteral("long.txt"));
    writeFile(file, lines);

    // Killed after a different number of lines each time, each run going on from the last.
    for (const int after : {150, 700, 1300}) {
        QProcess p;
        p.setProcessEnvironment(withoutDisplay());
        p.start(QStringLiteral(TSGL_PROGRAM),
                {QStringLiteral("--config"), m_ini, QStringLiteral("circulation"), file});
        QVERIFY(p.waitForStarted());
        int seen = 0;
        while (seen < after && p.state() == QProcess::Running) {
            p.waitForReadyRead(1000);
            seen += p.readAllStandardOutput().count('\n');
        }
        QVERIFY2(p.state() == QProcess::Running, "the run ended before it could be killed");
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        QVERIFY(value(QStringLiteral("select count(*) from 借出记录")).toInt() > 0);
        QCOMPARE(countersAgainstLoans(QStringLiteral("图书"), copies), QStringList());
        // A loan is closed with all of its return columns or not at all.
        QCOMPARE(value(QStringLiteral("select count(*) from 借出记录 where 已还='是' and "
                                      "(归还日期 is null or 归还经手人 is null)"))
                     .toInt(),
                 0);
    }
}

void CirculationCommandTest::sessionRefusals_data()
{
    QTest::addColumn<QString>("ini");          // de.ini's content, or empty: the test database's
    QTest::addColumn<QString>("operatorName"); // --operator, or empty
    QTest::addColumn<QString>("message");
    QTest::newRow("no such database file") << "[part1]\nabc=a\ncsaccess=Data Source=gone.db;\n"
                                           << ""
                                           << "数据库文件";
    QTest::newRow("a file that is no library") << "[part1]\nabc=a\ncsaccess=Data Source=de.ini;\n"
                                               << ""
                                               << "无法打开图书馆";
    QTest::newRow("no such administrator") << ""
                                           << "某人"
                                           << "没有名为 \"某人\" 的管理员";
}

// The library cannot be opened: a clear message, exit status 2, and neither de.ini nor any
// database file is written.
void CirculationCommandTest::sessionRefusals()
{
    QFETCH(QString, ini);
    QFETCH(QString, operatorName);
    QFETCH(QString, message);
    if (!ini.isEmpty())
        writeFile(m_ini, ini);
    QFile f(m_ini);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray iniBefore = f.readAll();
    f.close();
    const QString file = m_dir.filePath(QStringLiteral("ops.txt"));
    writeFile(file, QStringLiteral("return\tB1\n"));
    const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files);
    QStringList arguments = {QStringLiteral("--config"), m_ini, QStringLiteral("circulation"),
                             file};
    if (!operatorName.isEmpty())
        arguments << QStringLiteral("--operator") << operatorName;
    const Run run = tsgl(arguments);
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), iniBefore);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), filesBefore);
}

QTEST_GUILESS_MAIN(CirculationCommandTest)
#include "circulation_command_dbtest.moc"
