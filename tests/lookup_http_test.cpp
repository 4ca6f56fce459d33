// The web catalogue lookup against a real HTTP server on 127.0.0.1 serving fixture pages.
#include "FixtureHttpServer.h"

#include "catalogue/OnlineCatalogue.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString kHitBarcode = QStringLiteral("9787302023685");

// The catalogue: its entry page, the record of one ISBN, the not-found page for the others.
FixtureHttpServer::Handler catalogue(FixtureHttpServer *&self,
                                     const QString &hitPage = QStringLiteral("hit.html"),
                                     const QByteArray &hitType = "text/html; charset=utf-8")
{
    return [&self, hitPage, hitType](const QString &path) {
        if (path == QLatin1String("/F"))
            return self->page(QStringLiteral("entry.html"));
        if (path.startsWith(QLatin1String("/F/VISITOR-123?func=find-m&request=") + kHitBarcode))
            return self->page(hitPage, hitType);
        if (path.startsWith(QLatin1String("/F/VISITOR-123?")))
            return self->page(QStringLiteral("miss.html"));
        return FixtureHttpServer::Response{404, "text/plain", "not here"};
    };
}

OnlineCatalogue::Outcome lookup(OnlineCatalogue &c, const QString &barcode, int waitMs = 5000)
{
    QSignalSpy spy(&c, &OnlineCatalogue::lookedUp);
    c.lookup(barcode);
    if (!spy.wait(waitMs))
        return OnlineCatalogue::Outcome{
            barcode, false, QStringLiteral("no answer in the test"), {}};
    return spy.at(0).at(0).value<OnlineCatalogue::Outcome>();
}

// A port nobody listens on.
quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

} // namespace

Q_DECLARE_METATYPE(OnlineCatalogue::Outcome)

class LookupHttpTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<OnlineCatalogue::Outcome>(); }
    void hitConnectsThenQueries();
    void hitFromAPageInGbk();
    void missGivesTheNotFoundMessage();
    void pageWithoutMarkers();
    void connectReportsTheOutcome();
    void entryPageWithoutForm();
    void silentServerTimesOut();
    void defaultTimeoutIsTenSeconds();
    void unreachablePort();
    void serverError();
    void oversizedAnswerIsRefused();
    void deletingDuringARequestIsSafe();
};

void LookupHttpTest::hitConnectsThenQueries()
{
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s(catalogue(server));
    server = &s;
    OnlineCatalogue c(s.base() + QStringLiteral("/"));
    const OnlineCatalogue::Outcome o =
        lookup(c, QStringLiteral(" ") + kHitBarcode + QStringLiteral(" "));
    QVERIFY2(o.found(), qPrintable(o.message));
    QCOMPARE(o.message, QString());
    QCOMPARE(o.book.title, QStringLiteral("数据结构"));
    QCOMPARE(o.book.author, QStringLiteral("严蔚敏,吴伟民编著"));
    QCOMPARE(o.book.publisher, QStringLiteral("清华大学出版社"));
    QCOMPARE(o.book.classNumber, QStringLiteral("TP311.12"));
    QCOMPARE(o.barcode, QStringLiteral(" ") + kHitBarcode + QStringLiteral(" "));
    QCOMPARE(c.formAddress(), s.base() + QStringLiteral("/F/VISITOR-123"));
    QCOMPARE(s.paths(),
             QStringList({QStringLiteral("/F"),
                          QStringLiteral("/F/VISITOR-123?func=find-m&request=") + kHitBarcode +
                              QStringLiteral("&find_code=ISB&FIND_BASE=NLC01")}));
    // The form address is kept: the next lookup goes straight to the query.
    lookup(c, kHitBarcode);
    QCOMPARE(s.paths().size(), 3);
    QVERIFY(s.paths().last().startsWith(QLatin1String("/F/VISITOR-123?")));
}

void LookupHttpTest::hitFromAPageInGbk()
{
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s(
        catalogue(server, QStringLiteral("hit-gbk.html"), "text/html; charset=GBK"));
    server = &s;
    OnlineCatalogue c(s.base());
    const OnlineCatalogue::Outcome o = lookup(c, kHitBarcode);
    QVERIFY(o.found());
    QCOMPARE(o.book.title, QStringLiteral("数据结构"));
    QCOMPARE(o.book.summary,
             QStringLiteral("本书系统地介绍了各种类型的数据结构和查找、排序的各种方法。"));
}

void LookupHttpTest::missGivesTheNotFoundMessage()
{
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s(catalogue(server));
    server = &s;
    OnlineCatalogue c(s.base());
    const OnlineCatalogue::Outcome o = lookup(c, QStringLiteral(" 9787000000000"));
    QVERIFY(o.ok);
    QVERIFY(!o.found());
    QCOMPARE(o.message, QStringLiteral("9787000000000 服务器中无改条码的图书资料!"));
}

void LookupHttpTest::pageWithoutMarkers()
{
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s([&server](const QString &path) {
        return path == QLatin1String("/F") ? server->page(QStringLiteral("entry.html"))
                                           : server->page(QStringLiteral("nomarkers.html"));
    });
    server = &s;
    OnlineCatalogue c(s.base());
    const OnlineCatalogue::Outcome o = lookup(c, kHitBarcode);
    QVERIFY(o.ok);
    QVERIFY(!o.found());
    QCOMPARE(o.book.title, QStringLiteral("没有找到名称!"));
    QCOMPARE(o.book.classNumber, QString());
    QCOMPARE(o.book.summary, QString());
    QCOMPARE(o.message, kHitBarcode + QStringLiteral(" 服务器中无改条码的图书资料!"));
}

void LookupHttpTest::connectReportsTheOutcome()
{
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s(catalogue(server));
    server = &s;
    OnlineCatalogue c(s.base());
    QSignalSpy spy(&c, &OnlineCatalogue::connected);
    c.connectServer();
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("连接成功,可以联网获取资料!"));
    QCOMPARE(c.formAddress(), s.base() + QStringLiteral("/F/VISITOR-123"));
}

// A connection that found no query form is not reported as a success.
void LookupHttpTest::entryPageWithoutForm()
{
    FixtureHttpServer *server = nullptr;
    FixtureHttpServer s(
        [&server](const QString &) { return server->page(QStringLiteral("miss.html")); });
    server = &s;
    OnlineCatalogue c(s.base());
    QSignalSpy spy(&c, &OnlineCatalogue::connected);
    c.connectServer();
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(spy.at(0).at(1).toString().contains(QStringLiteral("没有检索表单")));
    QCOMPARE(c.formAddress(), QString());
    const OnlineCatalogue::Outcome o = lookup(c, kHitBarcode);
    QVERIFY(!o.ok);
    QVERIFY(o.message.startsWith(QStringLiteral("连接服务器失败")));
}

void LookupHttpTest::silentServerTimesOut()
{
    FixtureHttpServer s({}, true);
    OnlineCatalogue c(s.base());
    c.setTimeoutMs(300);
    QElapsedTimer t;
    t.start();
    const OnlineCatalogue::Outcome o = lookup(c, kHitBarcode);
    QVERIFY(!o.ok);
    QCOMPARE(o.message, QStringLiteral("连接服务器超时: 0.3 秒内没有应答."));
    QVERIFY(t.elapsed() < 4000);
    QVERIFY(!c.isBusy());
}

void LookupHttpTest::defaultTimeoutIsTenSeconds()
{
    OnlineCatalogue c(QStringLiteral("http://127.0.0.1:1"));
    QCOMPARE(c.timeoutMs(), 10000);
}

void LookupHttpTest::unreachablePort()
{
    OnlineCatalogue c(QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
    QSignalSpy spy(&c, &OnlineCatalogue::connected);
    c.connectServer();
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY2(spy.at(0).at(1).toString().startsWith(QStringLiteral("连接服务器失败: ")),
             qPrintable(spy.at(0).at(1).toString()));
    const OnlineCatalogue::Outcome o = lookup(c, kHitBarcode);
    QVERIFY(!o.ok);
    QVERIFY(o.message.startsWith(QStringLiteral("连接服务器失败: ")));
}

void LookupHttpTest::serverError()
{
    FixtureHttpServer s([](const QString &) {
        return FixtureHttpServer::Response{500, "text/html", "<html>题名与责任</html>"};
    });
    OnlineCatalogue c(s.base());
    const OnlineCatalogue::Outcome o = lookup(c, kHitBarcode);
    QVERIFY(!o.ok);
    QCOMPARE(o.message, QStringLiteral("服务器应答出错: HTTP 500."));
}

void LookupHttpTest::oversizedAnswerIsRefused()
{
    FixtureHttpServer s([](const QString &) {
        return FixtureHttpServer::Response{200, "text/html",
                                           QByteArray(OnlineCatalogue::kMaxPageBytes + 1, 'x')};
    });
    OnlineCatalogue c(s.base());
    const OnlineCatalogue::Outcome o = lookup(c, kHitBarcode, 20000);
    QVERIFY(!o.ok);
    QCOMPARE(o.message, QStringLiteral("服务器的应答太大 (超过 8 MB), 已放弃."));
}

void LookupHttpTest::deletingDuringARequestIsSafe()
{
    FixtureHttpServer s({}, true);
    auto *c = new OnlineCatalogue(s.base());
    bool answered = false;
    connect(c, &OnlineCatalogue::lookedUp, this, [&answered] { answered = true; });
    c->lookup(kHitBarcode);
    QTRY_COMPARE(s.paths().size(), 1);
    delete c;
    // The server sees the connection closed; nothing calls back.
    QTRY_COMPARE(s.disconnects(), 1);
    QTest::qWait(50);
    QVERIFY(!answered);
}

QTEST_GUILESS_MAIN(LookupHttpTest)
#include "lookup_http_test.moc"
