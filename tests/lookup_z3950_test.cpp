// Copy cataloguing against yaz-ztest, YAZ's test server, started on 127.0.0.1 by the test.
// yaz-ztest answers a numeric term with that many generated MARC 21 records (the same small
// record about "How to program a computer"), so a real ISBN is a hit and 0000000000 a miss;
// it answers SRU on the same port.
#include "catalogue/CopyCatalogue.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

quint16 freePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

CatalogueServer server(const QString &address, const QString &syntax = QStringLiteral("USMARC"))
{
    CatalogueServer s;
    s.name = QStringLiteral("测试服务器");
    s.address = address;
    s.syntax = syntax;
    return s;
}

} // namespace

class LookupZ3950Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void hit_data();
    void hit();
    void miss();
    void queryIsbn_data();
    void queryIsbn();
    void unreachablePort();
    void silentServerTimesOut();
    void severalServersAnswerAsTheyCome();

private:
    QString z3950(const QString &database = QStringLiteral("Default")) const
    {
        return QStringLiteral("127.0.0.1:%1/%2").arg(m_port).arg(database);
    }
    QProcess m_ztest;
    quint16 m_port = 0;
};

void LookupZ3950Test::initTestCase()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("yaz-ztest"));
    QVERIFY2(!program.isEmpty(), "yaz-ztest is not installed (package yaz)");
    m_port = freePort();
    m_ztest.setProgram(program);
    m_ztest.setArguments({QStringLiteral("-l"), QStringLiteral("/dev/null"),
                          QStringLiteral("tcp:127.0.0.1:%1").arg(m_port)});
    m_ztest.start();
    QVERIFY(m_ztest.waitForStarted());
    // Ready when it takes connections.
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        ready = probe.waitForConnected(100);
        if (!ready)
            QTest::qWait(50);
    }
    QVERIFY(ready);
}

void LookupZ3950Test::cleanupTestCase()
{
    m_ztest.terminate();
    m_ztest.waitForFinished(3000);
}

void LookupZ3950Test::hit_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("syntax");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("Z39.50 USMARC") << QString() << QStringLiteral("USMARC") << QString();
    QTest::newRow("Z39.50 USMARC, converted")
        << QString() << QStringLiteral("USMARC") << QStringLiteral("marc-8");
    QTest::newRow("Z39.50 MARCXML") << QString() << QStringLiteral("MARCXML") << QString();
    QTest::newRow("SRU") << QStringLiteral("http") << QStringLiteral("MARCXML") << QString();
}

void LookupZ3950Test::hit()
{
    QFETCH(QString, address);
    QFETCH(QString, syntax);
    QFETCH(QString, encoding);
    CatalogueServer s =
        server(address.isEmpty() ? z3950() : QStringLiteral("http://") + z3950(), syntax);
    s.encoding = encoding;
    const CopyAnswer a = CopyCatalogueSearch::search(s, QStringLiteral(" 978-7-115-11311-5 "), 10);
    QVERIFY2(a.error.isEmpty(), qPrintable(a.error));
    QCOMPARE(a.isbn, QStringLiteral("978-7-115-11311-5"));
    QVERIFY(a.hits > 0);
    QCOMPARE(a.books.size(), qMin(a.hits, CopyCatalogueSearch::kMaxRecords));
    QCOMPARE(a.books[0].name, QStringLiteral("How to program a computer"));
    QCOMPARE(a.books[0].author, QStringLiteral("Jack Collins"));
    QCOMPARE(a.books[0].place, QStringLiteral("Penguin"));
}

void LookupZ3950Test::miss()
{
    const CopyAnswer a =
        CopyCatalogueSearch::search(server(z3950()), QStringLiteral("0000000000"), 10);
    QVERIFY2(a.error.isEmpty(), qPrintable(a.error));
    QCOMPARE(a.hits, 0);
    QVERIFY(a.books.isEmpty());
}

void LookupZ3950Test::queryIsbn_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("isbn");
    QTest::newRow("plain") << QStringLiteral("9787115113115") << QStringLiteral("9787115113115");
    QTest::newRow("hyphens and x")
        << QStringLiteral(" 7-302-02368-x ") << QStringLiteral("7-302-02368-X");
    QTest::newRow("query syntax taken out")
        << QStringLiteral("1\" @or @attr 1=4 \"a") << QStringLiteral("114");
    QTest::newRow("nothing left") << QStringLiteral("条码") << QString();
}

void LookupZ3950Test::queryIsbn()
{
    QFETCH(QString, barcode);
    QFETCH(QString, isbn);
    QCOMPARE(CopyCatalogueSearch::queryIsbn(barcode), isbn);
    if (isbn.isEmpty())
        QCOMPARE(CopyCatalogueSearch::search(server(z3950()), barcode, 1).error,
                 QStringLiteral("条码中没有 ISBN"));
}

void LookupZ3950Test::unreachablePort()
{
    const CopyAnswer a =
        CopyCatalogueSearch::search(server(QStringLiteral("127.0.0.1:%1/Default").arg(freePort())),
                                    QStringLiteral("9787115113115"), 5);
    QVERIFY2(a.error.startsWith(QStringLiteral("连接失败")), qPrintable(a.error));
    QVERIFY(a.books.isEmpty());
}

// A server that takes the connection and never answers: the search ends after the time-out
// while the window's thread goes on.
void LookupZ3950Test::silentServerTimesOut()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    CopyCatalogue c;
    c.setTimeoutSeconds(1);
    QSignalSpy answered(&c, &CopyCatalogue::answered);
    QSignalSpy finished(&c, &CopyCatalogue::finished);
    c.search({server(QStringLiteral("127.0.0.1:%1/Default").arg(silent.serverPort()))},
             QStringLiteral("9787115113115"));
    QVERIFY(c.isBusy());
    QVERIFY(finished.wait(8000));
    QCOMPARE(answered.size(), 1);
    const CopyAnswer a = answered.at(0).at(0).value<CopyAnswer>();
    QCOMPARE(a.error, QStringLiteral("1 秒内没有应答"));
    QVERIFY(!c.isBusy());
}

void LookupZ3950Test::severalServersAnswerAsTheyCome()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    CopyCatalogue c;
    c.setTimeoutSeconds(2);
    QSignalSpy answered(&c, &CopyCatalogue::answered);
    QSignalSpy finished(&c, &CopyCatalogue::finished);
    CatalogueServer slow = server(QStringLiteral("127.0.0.1:%1/Default").arg(silent.serverPort()));
    slow.name = QStringLiteral("慢");
    CatalogueServer quick = server(z3950());
    quick.name = QStringLiteral("快");
    c.search({slow, quick}, QStringLiteral("9787115113115"));
    QVERIFY(answered.wait(5000));
    QCOMPARE(answered.at(0).at(0).value<CopyAnswer>().server.name, QStringLiteral("快"));
    QVERIFY(finished.wait(8000));
    QCOMPARE(answered.size(), 2);
    QCOMPARE(answered.at(1).at(0).value<CopyAnswer>().server.name, QStringLiteral("慢"));
}

QTEST_GUILESS_MAIN(LookupZ3950Test)
#include "lookup_z3950_test.moc"
