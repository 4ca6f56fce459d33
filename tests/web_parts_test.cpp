// The parts of the web pages that need no server: escaping, the --listen value, the
// reservation period of de.ini, and the sessions' lifetime and tokens.
#include "app/WebCommands.h"
#include "db/IniFile.h"
#include "web/WebHtml.h"
#include "web/WebServer.h"
#include "web/WebSessions.h"

#include <QTemporaryDir>
#include <QTest>

class WebPartsTest : public QObject {
    Q_OBJECT
private slots:
    void escape_data();
    void escape();
    void listen_data();
    void listen();
    void reserveDays_data();
    void reserveDays();
    void sessionsExpire();
    void sessionsAreBounded();
    void tokens();
};

void WebPartsTest::escape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::newRow("plain") << QStringLiteral("数据结构") << QStringLiteral("数据结构");
    QTest::newRow("markup") << QStringLiteral("<script>alert(1)</script>")
                            << QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;");
    QTest::newRow("attribute breakers") << QStringLiteral("\" onmouseover='x' &")
                                        << QStringLiteral("&quot; onmouseover=&#39;x&#39; &amp;");
}

void WebPartsTest::escape()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QCOMPARE(WebHtml::escape(text), html);
    QCOMPARE(WebHtml::escapeLines(QStringLiteral("a<\r\nb")), QStringLiteral("a&lt;<br>b"));
}

void WebPartsTest::listen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("default") << QString() << true << "127.0.0.1" << 8080;
    QTest::newRow("all addresses") << "0.0.0.0:80" << true << "0.0.0.0" << 80;
    QTest::newRow("IPv6") << "[::1]:8081" << true << "::1" << 8081;
    QTest::newRow("no port") << "127.0.0.1" << false << "" << 0;
    QTest::newRow("port 0") << "127.0.0.1:0" << false << "" << 0;
    QTest::newRow("port too big") << "127.0.0.1:70000" << false << "" << 0;
    QTest::newRow("host name") << "library.example:8080" << false << "" << 0;
    QTest::newRow("text") << "abc:def" << false << "" << 0;
}

void WebPartsTest::listen()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, host);
    QFETCH(int, port);
    QString h;
    int p = 0;
    QString error;
    QCOMPARE(WebServer::parseListen(text, &h, &p, &error), ok);
    if (ok) {
        QCOMPARE(h, host);
        QCOMPARE(p, port);
    } else {
        QVERIFY(error.contains(QStringLiteral("--listen")));
    }
}

void WebPartsTest::reserveDays_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("days");
    QTest::newRow("no key") << "[part1]\nabc=a\n" << true << 3;
    QTest::newRow("seven") << "[web]\nReserveDays=7\n" << true << 7;
    QTest::newRow("blank") << "[web]\nReserveDays= \n" << true << 3;
    QTest::newRow("zero") << "[web]\nReserveDays=0\n" << false << 3;
    QTest::newRow("text") << "[web]\nReserveDays=drei\n" << false << 3;
    QTest::newRow("over a year") << "[web]\nReserveDays=400\n" << false << 3;
}

void WebPartsTest::reserveDays()
{
    QFETCH(QString, content);
    QFETCH(bool, ok);
    QFETCH(int, days);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("de.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content.toUtf8());
    file.close();
    int read = 0;
    QString error;
    QCOMPARE(WebCommands::reserveDays(IniFile(file.fileName()), &read, &error), ok);
    QCOMPARE(read, days);
    QCOMPARE(error.isEmpty(), ok);
}

void WebPartsTest::sessionsExpire()
{
    WebSessions sessions;
    const WebSessions::Session s = sessions.create(QStringLiteral("R1"), QStringLiteral("甲"), 0);
    QCOMPARE(s.id.size(), 64);
    QVERIFY(s.id != s.token);
    // Each request starts the idle time again, up to the whole lifetime.
    qint64 t = 0;
    for (; t + WebSessions::kIdleMs - 1 < WebSessions::kLifetimeMs; t += WebSessions::kIdleMs - 1)
        QVERIFY(sessions.find(s.id, t));
    QVERIFY(!sessions.find(s.id, WebSessions::kLifetimeMs + 1));
    const WebSessions::Session idle = sessions.create(QStringLiteral("R2"), QString(), 0);
    QVERIFY(!sessions.find(idle.id, WebSessions::kIdleMs + 1));
    const WebSessions::Session gone = sessions.create(QStringLiteral("R3"), QString(), 0);
    sessions.remove(gone.id);
    QVERIFY(!sessions.find(gone.id, 1));
    QVERIFY(!sessions.find(QStringLiteral("short"), 1));
}

void WebPartsTest::sessionsAreBounded()
{
    // A signed-in reader's session outlasts a flood of sign-in forms opened after it.
    WebSessions sessions;
    const WebSessions::Session reader = sessions.create(QStringLiteral("R1"), QString(), 0);
    const WebSessions::Session first = sessions.create(QString(), QString(), 1);
    for (int i = 2; i <= WebSessions::kMaxSessions + 1; ++i)
        sessions.create(QString(), QString(), i);
    QCOMPARE(sessions.size(), WebSessions::kMaxSessions);
    QVERIFY(!sessions.find(first.id, WebSessions::kMaxSessions + 2));
    QVERIFY(sessions.find(reader.id, WebSessions::kMaxSessions + 2));
}

void WebPartsTest::tokens()
{
    QVERIFY(WebSessions::sameToken(QStringLiteral("abc"), QStringLiteral("abc")));
    QVERIFY(!WebSessions::sameToken(QStringLiteral("abc"), QStringLiteral("abd")));
    QVERIFY(!WebSessions::sameToken(QStringLiteral("abc"), QStringLiteral("abcd")));
    QVERIFY(!WebSessions::sameToken(QString(), QString()));
}

QTEST_GUILESS_MAIN(WebPartsTest)
#include "web_parts_test.moc"
