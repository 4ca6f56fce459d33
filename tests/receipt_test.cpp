// The receipt printer port: which names mean which device, the exact bytes of a receipt,
// that nothing but a character device is ever written, and that a printer which takes
// nothing makes the writer give up after its time-out instead of hanging.
#include "PseudoTerminal.h"
#include "print/ReceiptWriter.h"
#include "text/Gbk.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray expectedTestReceipt()
{
    QByteArray expected;
    for (const char *line :
         {" ", " [打印开始]", "[ 图书管理 ]", "管理员: 张三", "打印时间:24-01-02 03:04:05",
          "打印测试内容 ABC", "    打印结束-打印成功 "})
        expected += Gbk::encode(QString::fromUtf8(line)) + "\r\n";
    return expected + QByteArray::fromHex("0B1B4A8C");
}

QByteArray testReceipt()
{
    return Receipt::testReceipt(QStringLiteral("图书管理"), QStringLiteral("张三"),
                                QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)),
                                QStringLiteral("打印测试内容 ABC"));
}

} // namespace

class ReceiptTest : public QObject {
    Q_OBJECT
private slots:
    void portNames_data();
    void portNames();
    void testReceiptBytes();
    void refusedPorts_data();
    void refusedPorts();
    void characterDevices();
    void missingPortNamesItsDevice();
    void printerTakingNothingTimesOut();
    void sendReturnsAtOnce();
};

void ReceiptTest::portNames_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("path");
    QTest::newRow("LPT1") << "LPT1"
                          << "/dev/lp0";
    QTest::newRow("LPT3") << "LPT3"
                          << "/dev/lp2";
    QTest::newRow("COM1") << "COM1"
                          << "/dev/ttyS0";
    QTest::newRow("COM3") << "COM3"
                          << "/dev/ttyS2";
    QTest::newRow("com9 lower case") << "com9"
                                     << "/dev/ttyS8";
    QTest::newRow("COM10") << "COM10"
                           << "/dev/ttyS9";
    QTest::newRow("path") << "/tmp/receipt.txt"
                          << "/tmp/receipt.txt";
    QTest::newRow("LPT0 is a name") << "LPT0"
                                    << "LPT0";
    QTest::newRow("empty") << ""
                           << "";
}

void ReceiptTest::portNames()
{
    QFETCH(QString, port);
    QFETCH(QString, path);
    QCOMPARE(ReceiptWriter::devicePath(port), path);
}

void ReceiptTest::testReceiptBytes()
{
    PseudoTerminal printer;
    QVERIFY(printer.isValid());
    const Receipt::Outcome outcome = Receipt::write(printer.devicePath(), testReceipt());
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const QByteArray received = printer.readAll();
    QCOMPARE(received, expectedTestReceipt());
    // The bytes on the wire are GBK: "管理员" is B9DC C0ED D4B1.
    QVERIFY(received.contains(QByteArray::fromHex("B9DCC0EDD4B1")));
}

void ReceiptTest::refusedPorts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QString notAPort = QStringLiteral("不是打印机端口");
    QTest::newRow("library file") << "file" << notAPort;
    QTest::newRow("folder") << "folder" << notAPort;
    QTest::newRow("pipe nobody reads") << "fifo" << notAPort;
    QTest::newRow("pipe with a reader") << "fifo with reader" << notAPort;
    QTest::newRow("missing") << "missing" << QStringLiteral("不存在");
    QTest::newRow("empty name") << "empty" << QStringLiteral("没有指定打印机端口");
}

void ReceiptTest::refusedPorts()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QString port = dir.filePath(QStringLiteral("book.db"));
    const QByteArray library = QByteArray("SQLite format 3") + QByteArray(4096, '\1');
    int reader = -1;
    if (kind == QLatin1String("file")) {
        QFile f(port);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(library);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("book.db")));
    } else if (kind.startsWith(QLatin1String("fifo"))) {
        QCOMPARE(::mkfifo(QFile::encodeName(port).constData(), 0600), 0);
        if (kind.endsWith(QLatin1String("reader"))) {
            reader = ::open(QFile::encodeName(port).constData(), O_RDONLY | O_NONBLOCK);
            QVERIFY(reader >= 0);
        }
    } else if (kind == QLatin1String("empty")) {
        port.clear();
    }
    const QDateTime modified = QFileInfo(port).lastModified();

    QElapsedTimer clock;
    clock.start();
    const Receipt::Outcome outcome = Receipt::write(port, testReceipt(), 3000);
    // Refused at once: nothing waits for a reader or a printer.
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(message), qPrintable(outcome.error));
    if (!port.isEmpty())
        QVERIFY2(outcome.error.contains(port), qPrintable(outcome.error));

    if (kind == QLatin1String("file")) {
        QCOMPARE(fileBytes(port), library);
        QCOMPARE(QFileInfo(port).lastModified(), modified);
    }
    if (reader >= 0) {
        char byte = 0;
        QCOMPARE(::read(reader, &byte, 1), ssize_t(0)); // end of file: nothing was written
        ::close(reader);
    }
    if (kind == QLatin1String("missing"))
        QVERIFY(!QFileInfo::exists(port)); // not created either
}

void ReceiptTest::characterDevices()
{
    // /dev/null is a character device: written, and the receipt "printed".
    Receipt::Outcome outcome = Receipt::write(QStringLiteral("/dev/null"), testReceipt());
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    // A device that refuses the bytes gives its reason.
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
        outcome = Receipt::write(QStringLiteral("/dev/full"), testReceipt());
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.error.startsWith(QStringLiteral("写入打印机端口 /dev/full 失败：")),
                 qPrintable(outcome.error));
    }
}

void ReceiptTest::missingPortNamesItsDevice()
{
    if (QFileInfo::exists(QStringLiteral("/dev/lp8")))
        QSKIP("this machine has /dev/lp8");
    const Receipt::Outcome outcome = Receipt::write(QStringLiteral("LPT9"), testReceipt());
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.error, QStringLiteral("打印机端口 LPT9（/dev/lp8） 不存在"));
}

void ReceiptTest::printerTakingNothingTimesOut()
{
    PseudoTerminal printer;
    QVERIFY(printer.isValid());
    QVERIFY(printer.fill());
    QElapsedTimer clock;
    clock.start();
    const Receipt::Outcome outcome = Receipt::write(printer.devicePath(), testReceipt(), 300);
    const qint64 elapsed = clock.elapsed();
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QStringLiteral("0.3 秒内没有接收完小票")),
             qPrintable(outcome.error));
    QVERIFY2(elapsed >= 290 && elapsed < 2000, qPrintable(QString::number(elapsed)));

    // A receipt larger than what the device holds: it takes part, then the rest times out.
    PseudoTerminal slow;
    QVERIFY(slow.isValid());
    QVERIFY(!Receipt::write(slow.devicePath(), QByteArray(1 << 20, 'x'), 300).ok);
}

void ReceiptTest::sendReturnsAtOnce()
{
    PseudoTerminal blocked;
    QVERIFY(blocked.isValid());
    QVERIFY(blocked.fill());
    PseudoTerminal printer;
    QVERIFY(printer.isValid());

    QElapsedTimer clock;
    clock.start();
    QFuture<Receipt::Outcome> stuck = Receipt::send(blocked.devicePath(), testReceipt(), 500);
    // Receipts go one after the other: this one waits for the stuck one.
    QFuture<Receipt::Outcome> printed = Receipt::send(printer.devicePath(), testReceipt(), 3000);
    QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!stuck.isFinished());

    // The caller's event loop runs meanwhile, and the outcome is reported to it.
    QFutureWatcher<Receipt::Outcome> watcher;
    QEventLoop loop;
    connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(printed);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
    timer.start(10);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(watcher.isFinished());
    QVERIFY2(ticks >= 25, qPrintable(QString::number(ticks)));
    QVERIFY(stuck.isFinished());
    QVERIFY(!stuck.result().ok);
    QVERIFY2(stuck.result().error.contains(QStringLiteral("没有接收完小票")),
             qPrintable(stuck.result().error));
    QVERIFY2(printed.result().ok, qPrintable(printed.result().error));
    QCOMPARE(printer.readAll(), expectedTestReceipt());
}

QTEST_GUILESS_MAIN(ReceiptTest)
#include "receipt_test.moc"
