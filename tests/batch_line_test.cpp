// The lines of a circulation file: what each good line asks for, which lines are skipped and
// why a malformed one is refused.
#include "circulation/BatchLine.h"

#include <QtTest>

using BatchLine::Operation;
using BatchLine::Parse;

Q_DECLARE_METATYPE(BatchLine::Parse)
Q_DECLARE_METATYPE(BatchLine::Operation)

class BatchLineTest : public QObject {
    Q_OBJECT
private slots:
    void goodLines_data();
    void goodLines();
    void refusedLines_data();
    void refusedLines();
};

void BatchLineTest::goodLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Parse>("parse");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("scanned"); // empty: now
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("dueDate");

    QTest::newRow("lend") << "lend\tR001\tB001" << Parse::Line << Operation::Lend << ""
                          << "R001"
                          << "B001"
                          << "";
    QTest::newRow("lend at a moment, CR LF")
        << "2026-03-01 09:30:00\tlend\tCARD7\t690123\r\n"
        << Parse::Line << Operation::Lend << "2026-03-01 09:30:00"
        << "CARD7"
        << "690123"
        << "";
    QTest::newRow("return") << "return\tB001" << Parse::Line << Operation::Return << ""
                            << ""
                            << "B001"
                            << "";
    QTest::newRow("return of one reader's loan")
        << "2026-03-11 10:00:00\treturn\tB001\tR002" << Parse::Line << Operation::Return
        << "2026-03-11 10:00:00"
        << "R002"
        << "B001"
        << "";
    QTest::newRow("renew, blanks around fields, upper case")
        << " RENEW \t B001 \t2026-04-01" << Parse::Line << Operation::Renew << ""
        << ""
        << "B001"
        << "2026-04-01";
    QTest::newRow("renew one reader's loan")
        << "renew\tB001\t2026-04-01\tR001" << Parse::Line << Operation::Renew << ""
        << "R001"
        << "B001"
        << "2026-04-01";
    QTest::newRow("chinese values")
        << "lend\t读者一\t书・甲" << Parse::Line << Operation::Lend << ""
        << "读者一"
        << "书・甲"
        << "";
    QTest::newRow("empty") << "" << Parse::Skip << Operation::Lend << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("blanks and tabs") << " \t \r\n"
                                     << Parse::Skip << Operation::Lend << ""
                                     << ""
                                     << ""
                                     << "";
    QTest::newRow("comment") << "# morning desk\tlend" << Parse::Skip << Operation::Lend << ""
                             << ""
                             << ""
                             << "";
    QTest::newRow("indented comment") << "  #x" << Parse::Skip << Operation::Lend << ""
                                      << ""
                                      << ""
                                      << "";
}

void BatchLineTest::goodLines()
{
    QFETCH(QString, text);
    QFETCH(Parse, parse);
    QFETCH(Operation, operation);
    QFETCH(QString, scanned);
    QFETCH(QString, reader);
    QFETCH(QString, item);
    QFETCH(QString, dueDate);
    BatchLine::Line line;
    QString message;
    QCOMPARE(BatchLine::parse(text, &line, &message), parse);
    QVERIFY2(message.isEmpty(), qPrintable(message));
    if (parse == Parse::Skip)
        return;
    QCOMPARE(line.operation, operation);
    QCOMPARE(line.scanned, scanned.isEmpty()
                               ? QDateTime()
                               : QDateTime::fromString(scanned, "yyyy-MM-dd HH:mm:ss"));
    QCOMPARE(line.reader, reader);
    QCOMPARE(line.item, item);
    QCOMPARE(line.dueDate, dueDate.isEmpty() ? QDate() : QDate::fromString(dueDate, Qt::ISODate));
}

void BatchLineTest::refusedLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown operation") << "borrow\tR1\tB1"
                                       << "未知的操作 \"borrow\"";
    QTest::newRow("spaces instead of tabs") << "lend R1 B1"
                                            << "未知的操作 \"lend R1 B1\"";
    QTest::newRow("lend without item") << "lend\tR1"
                                       << "lend 缺少字段";
    QTest::newRow("lend with empty reader") << "lend\t\tB1"
                                            << "lend 的第 1 个字段是空的";
    QTest::newRow("lend with a field too many") << "lend\tR1\tB1\tB2"
                                                << "字段太多: \"B2\"";
    QTest::newRow("return without item") << "return"
                                         << "return 缺少字段";
    QTest::newRow("return with empty item") << "return\t"
                                            << "return 的第 1 个字段是空的";
    QTest::newRow("return with two fields too many") << "return\tB1\tR1\tx\ty"
                                                     << "字段太多: \"x\ty\"";
    QTest::newRow("renew without date") << "renew\tB1"
                                        << "renew 缺少字段";
    QTest::newRow("renew with a day that is not there") << "renew\tB1\t2026-02-30"
                                                        << "应还日期 \"2026-02-30\" 无效";
    QTest::newRow("renew with a moment instead of a date")
        << "renew\tB1\t2026-04-01 10:00:00"
        << "应还日期 \"2026-04-01 10:00:00\" 无效";
    QTest::newRow("renew with slashes") << "renew\tB1\t2026/04/01"
                                        << "应还日期";
    QTest::newRow("moment without seconds") << "2026-03-01 09:30\tlend\tR1\tB1"
                                            << "扫描时间 \"2026-03-01 09:30\" 无效";
    QTest::newRow("hour 25") << "2026-03-01 25:00:00\treturn\tB1"
                             << "扫描时间";
    QTest::newRow("a bare date as moment") << "2026-03-01\treturn\tB1"
                                           << "扫描时间";
    QTest::newRow("moment alone") << "2026-03-01 09:30:00"
                                  << "扫描时间后缺少操作";
    QTest::newRow("moment then empty operation") << "2026-03-01 09:30:00\t\tR1\tB1"
                                                 << "未知的操作 \"\"";
}

void BatchLineTest::refusedLines()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    BatchLine::Line line;
    QString why;
    QCOMPARE(BatchLine::parse(text, &line, &why), Parse::Malformed);
    QVERIFY2(why.contains(message), qPrintable(why));
}

QTEST_GUILESS_MAIN(BatchLineTest)
#include "batch_line_test.moc"
