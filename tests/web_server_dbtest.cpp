// The readers' web pages through a real server on 127.0.0.1: the catalogue search and its
// availability, the sign-in, the reader's own pages, reservations honoured at the desk, the
// form token, and requests that are malformed or too large.
#include "TestDb.h"

#include "circulation/Lending.h"
#include "db/LoginContext.h"
#include "db/Statement.h"
#include "web/WebServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTest>
#include <QUrlQuery>
#include <memory>
#include <thread>

namespace {

struct Reply {
    int status = 0;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QString text() const { return QString::fromUtf8(body); }
    QByteArray header(const char *name) const { return headers.value(QByteArray(name)); }
};

// A server of its own thread for one test.
class RunningServer {
public:
    explicit RunningServer(WebServer::Options options = {})
    {
        options.host = QStringLiteral("127.0.0.1");
        options.port = 0;
        if (options.workers == WebServer::Options().workers)
            options.workers = 4;
        m_server = std::make_unique<WebServer>(options);
        QString error;
        m_ok = m_server->bind(&error);
        if (!m_ok)
            return;
        m_thread = std::thread([this] { m_server->run(); });
        for (int i = 0; i < 200 && !m_server->isRunning(); ++i)
            QTest::qWait(10);
    }
    ~RunningServer()
    {
        if (m_thread.joinable()) {
            m_server->stop();
            m_thread.join();
        }
    }
    bool ok() const { return m_ok && m_server->isRunning(); }
    int port() const { return m_server->port(); }

private:
    std::unique_ptr<WebServer> m_server;
    std::thread m_thread;
    bool m_ok = false;
};

// Sends the bytes as they are and reads the whole answer (the server closes the connection).
Reply exchange(int port, const QByteArray &request)
{
    Reply reply;
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    if (!socket.waitForConnected(5000))
        return reply;
    socket.write(request);
    QByteArray raw;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000))
        raw += socket.readAll();
    raw += socket.readAll();
    const int end = raw.indexOf("\r\n\r\n");
    if (end < 0)
        return reply;
    const QList<QByteArray> lines = raw.left(end).split('\n');
    const QList<QByteArray> statusLine = lines.value(0).split(' ');
    reply.status = statusLine.value(1).toInt();
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines[i].indexOf(':');
        if (colon > 0)
            reply.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                 lines[i].mid(colon + 1).trimmed());
    }
    reply.body = raw.mid(end + 4);
    return reply;
}

QByteArray pathOf(const QString &path, const QList<QPair<QString, QString>> &query)
{
    QByteArray out = path.toUtf8();
    if (!query.isEmpty()) {
        out += '?';
        QByteArrayList parts;
        for (const auto &q : query)
            parts << q.first.toUtf8() + '=' + QUrl::toPercentEncoding(q.second);
        out += parts.join('&');
    }
    return out;
}

// The session cookie ("tsgl_session=…") that a reply sets, or empty.
QByteArray sessionCookie(const Reply &r)
{
    const QByteArray set = r.header("set-cookie");
    return set.left(set.indexOf(';'));
}

// The hidden token field of a page's first form.
QString tokenIn(const QString &html)
{
    const QString mark = QStringLiteral("name=\"token\" value=\"");
    const int at = html.indexOf(mark);
    return at < 0 ? QString() : html.mid(at + mark.size(), 64);
}

const QString kRightPassword = QStringLiteral("8888");

} // namespace

class WebServerTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void homeShowsLibraryNoticeRecommendationsAndNewest();
    void search_data();
    void search();
    void searchEscapesEveryValue();
    void searchPages_data();
    void searchPages();
    void availabilityFollowsTheDesk();
    void signIn_data();
    void signIn();
    void sessionCookieIsHttpOnlyAndStrict();
    void anotherReadersDataIsUnreachable();
    void reservationHonouredAtTheDesk();
    void reservationRefusals();
    void cancelOnlyOwnReservation();
    void formWithoutTokenRefused_data();
    void formWithoutTokenRefused();
    void badRequests_data();
    void badRequests();
    void connectionsOverTheLimitAreToldBusy();

private:
    Reply get(const QString &path, const QList<QPair<QString, QString>> &query = {},
              const QByteArray &cookie = {});
    Reply post(const QString &path, const QList<QPair<QString, QString>> &form,
               const QByteArray &cookie = {});
    // Signs the reader in; the session cookie, or empty.
    QByteArray signIn(const QString &reader, const QString &password);
    QJsonObject apiSearch(const QString &text);
    QJsonObject bookIn(const QJsonObject &result, const QString &number);

    TestDb m_db;
    std::unique_ptr<RunningServer> m_server;
};

Reply WebServerTest::get(const QString &path, const QList<QPair<QString, QString>> &query,
                         const QByteArray &cookie)
{
    QByteArray request = "GET " + pathOf(path, query) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!cookie.isEmpty())
        request += "Cookie: " + cookie + "\r\n";
    request += "Connection: close\r\n\r\n";
    return exchange(m_server->port(), request);
}

Reply WebServerTest::post(const QString &path, const QList<QPair<QString, QString>> &form,
                          const QByteArray &cookie)
{
    QUrlQuery body;
    QByteArrayList parts;
    for (const auto &f : form)
        parts << f.first.toUtf8() + '=' + QUrl::toPercentEncoding(f.second);
    const QByteArray content = parts.join('&');
    QByteArray request = "POST " + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!cookie.isEmpty())
        request += "Cookie: " + cookie + "\r\n";
    request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               QByteArray::number(content.size()) + "\r\nConnection: close\r\n\r\n" + content;
    return exchange(m_server->port(), request);
}

QByteArray WebServerTest::signIn(const QString &reader, const QString &password)
{
    const Reply form = get(QStringLiteral("/login"));
    const QByteArray cookie = sessionCookie(form);
    const Reply r = post(QStringLiteral("/login"),
                         {{QStringLiteral("token"), tokenIn(form.text())},
                          {QStringLiteral("reader"), reader},
                          {QStringLiteral("password"), password}},
                         cookie);
    return r.status == 303 ? sessionCookie(r) : QByteArray();
}

QJsonObject WebServerTest::apiSearch(const QString &text)
{
    const Reply r = get(QStringLiteral("/api/search"), {{QStringLiteral("q"), text}});
    return QJsonDocument::fromJson(r.body).object();
}

QJsonObject WebServerTest::bookIn(const QJsonObject &result, const QString &number)
{
    for (const QJsonValue &b : result.value(QStringLiteral("books")).toArray()) {
        if (b.toObject().value(QStringLiteral("number")).toString() == number)
            return b.toObject();
    }
    return {};
}

void WebServerTest::init()
{
    m_server.reset();
    TSGL_FRESH_DB(m_db);
    loginContext().reservationEnabled = true;
    loginContext().adminName = QStringLiteral("张三");
    auto run = [](const QString &sql, const QVariantList &values = {}) {
        QString error;
        QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
    };
    run(QStringLiteral("delete from 系统设置"));
    run(QStringLiteral("insert into 系统设置 (图书馆名, 地址, 电话, WebNotice, 启用预定功能) "
                       "values (?, ?, ?, ?, 1)"),
        {QStringLiteral("东城图书馆"), QStringLiteral("东城路 1 号"),
         QStringLiteral("010-12345678"), QStringLiteral("周一闭馆\n春节照常开放")});
    run(QStringLiteral("insert into 读者类别 values ('学生', 14, 5, null)"));
    const QString reader = QStringLiteral(
        "insert into 读者库 (读者编号, 读者姓名, CardId, 状态, 类别, 有效期, 密码, 卡内金额, "
        "未还数量, 累计借阅次数) values (?, ?, ?, ?, '学生', ?, ?, 10, 0, 0)");
    run(reader, {QStringLiteral("R1"), QStringLiteral("王小明"), QStringLiteral("C1"),
                 QStringLiteral("正常"), sqlDate(QDate(2099, 1, 1)), kRightPassword});
    run(reader, {QStringLiteral("R2"), QStringLiteral("李秘密"), QStringLiteral("C2"),
                 QStringLiteral("正常"), sqlDate(QDate(2099, 1, 1)), kRightPassword});
    run(reader, {QStringLiteral("R3"), QStringLiteral("赵停用"), QStringLiteral("C3"),
                 QStringLiteral("停用"), sqlDate(QDate(2099, 1, 1)), kRightPassword});
    const QString book = QStringLiteral(
        "insert into 图书 (编号, 条形码, 名称, 作者, 出版社, 分类号, 索书号, 存放位置, 数量, "
        "状态, isbn, 入库时间, 价格, 借出次数) values (?, ?, ?, ?, '高等教育出版社', ?, ?, ?, ?, "
        "?, ?, ?, 20, 0)");
    const QDateTime added(QDate(2024, 3, 1), QTime(9, 0));
    auto addBook = [&](const QString &number, const QString &barcode, const QString &title,
                       const QString &author, const QString &classNo, int copies,
                       const QString &isbn, int minutes,
                       const QString &state = QStringLiteral("正常")) {
        run(book, {number, barcode, title, author, classNo, classNo + QStringLiteral("/1"),
                   QStringLiteral("二楼书库"), copies, state, isbn,
                   sqlDateTime(added.addSecs(60 * minutes))});
    };
    addBook(QStringLiteral("B1"), QStringLiteral("9787040001111"), QStringLiteral("数据结构教程"),
            QStringLiteral("严蔚敏"), QStringLiteral("TP311.12"), 1,
            QStringLiteral("7-04-000111-1"), 1);
    addBook(QStringLiteral("B2"), QStringLiteral("9787040002222"), QStringLiteral("数据结构习题集"),
            QStringLiteral("严蔚敏"), QStringLiteral("TP311.12"), 0,
            QStringLiteral("7-04-000222-2"), 2);
    addBook(QStringLiteral("B3"), QStringLiteral("9787040003333"), QStringLiteral("操作系统原理"),
            QStringLiteral("汤子瀛"), QStringLiteral("TP316"), 2, QStringLiteral("7-04-000333-3"),
            3);
    addBook(QStringLiteral("B4"), QStringLiteral("9787040004444"), QStringLiteral("古籍善本选"),
            QStringLiteral("佚名"), QStringLiteral("K204"), 1, QStringLiteral("7-04-000444-4"), 4,
            QStringLiteral("不外借"));
    addBook(QStringLiteral("B5"), QStringLiteral("9787040005555"), QStringLiteral("秘密花园之书"),
            QStringLiteral("伯内特"), QStringLiteral("I561"), 0, QStringLiteral("7-04-000555-5"),
            5);
    run(QStringLiteral("insert into b_tuiJian (编号, 名称, 作者, 分类, 存放位置, 推荐人, memo) "
                       "values ('B3', '操作系统原理', '汤子瀛', '计算机', '二楼书库', '张三', "
                       "'入门必读')"));
    // R2 has B5 on loan: R1 must never see it.
    run(QStringLiteral("insert into 借出记录 (读者编号, 读者姓名, 条形码, 编号, 名称, 类别, "
                       "借阅日期, 应还日期, 已还) values ('R2', '李秘密', '9787040005555', 'B5', "
                       "'秘密花园之书', '图书', ?, ?, '否')"),
        {sqlDate(QDate::currentDate().addDays(-20)), sqlDate(QDate::currentDate().addDays(-6))});
    m_server = std::make_unique<RunningServer>();
    QVERIFY(m_server->ok());
}

void WebServerTest::homeShowsLibraryNoticeRecommendationsAndNewest()
{
    const Reply r = get(QStringLiteral("/"));
    QCOMPARE(r.status, 200);
    QVERIFY(r.header("content-type").startsWith("text/html; charset=utf-8"));
    const QString html = r.text();
    for (const QString &part :
         {QStringLiteral("东城图书馆"), QStringLiteral("东城路 1 号"),
          QStringLiteral("010-12345678"), QStringLiteral("周一闭馆<br>春节照常开放"),
          QStringLiteral("入门必读"), QStringLiteral("推荐人: 张三"),
          QStringLiteral("秘密花园之书")})
        QVERIFY2(html.contains(part), qPrintable(part));
    // The newest first.
    QVERIFY(html.indexOf(QStringLiteral("秘密花园之书")) <
            html.indexOf(QStringLiteral("古籍善本选")));
    QVERIFY(!html.contains(QStringLiteral("<script")));
}

void WebServerTest::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("title") << QStringLiteral("数据结构") << QStringList{"B1", "B2"};
    QTest::newRow("title, three characters") << QStringLiteral("系统原") << QStringList{"B3"};
    QTest::newRow("title, two characters") << QStringLiteral("习题") << QStringList{"B2"};
    QTest::newRow("author") << QStringLiteral("严蔚敏") << QStringList{"B1", "B2"};
    QTest::newRow("author, two characters") << QStringLiteral("子瀛") << QStringList{"B3"};
    QTest::newRow("isbn part") << QStringLiteral("000333") << QStringList{"B3"};
    QTest::newRow("barcode") << QStringLiteral("9787040004444") << QStringList{"B4"};
    QTest::newRow("item number") << QStringLiteral("B5") << QStringList{"B5"};
    QTest::newRow("classification prefix")
        << QStringLiteral("TP31") << QStringList{"B1", "B2", "B3"};
    QTest::newRow("classification exact") << QStringLiteral("TP316") << QStringList{"B3"};
    QTest::newRow("wildcards are literal") << QStringLiteral("%_") << QStringList{};
    QTest::newRow("quote") << QStringLiteral("O'Brien\"") << QStringList{};
    QTest::newRow("nothing") << QStringLiteral("量子力学") << QStringList{};
}

void WebServerTest::search()
{
    QFETCH(QString, text);
    QFETCH(QStringList, numbers);
    const QJsonObject result = apiSearch(text);
    QStringList found;
    for (const QJsonValue &b : result.value(QStringLiteral("books")).toArray())
        found << b.toObject().value(QStringLiteral("number")).toString();
    QCOMPARE(found, numbers);
    QCOMPARE(result.value(QStringLiteral("matches")).toInt(), numbers.size());

    const Reply page = get(QStringLiteral("/search"), {{QStringLiteral("q"), text}});
    QCOMPARE(page.status, 200);
    for (const QString &n : numbers)
        QVERIFY(page.text().contains(QStringLiteral("编号: ") + n));
}

void WebServerTest::searchEscapesEveryValue()
{
    QVERIFY(Statement(QStringLiteral("insert into 图书 (编号, 条形码, 名称, 作者, 数量, 状态) "
                                     "values ('B9', 'n', ?, ?, 1, '正常')"),
                      {QStringLiteral("<b>粗体</b>标题"), QStringLiteral("\"作者\" & 'Co'")})
                .run());
    const Reply r =
        get(QStringLiteral("/search"), {{QStringLiteral("q"), QStringLiteral("<b>粗体")}});
    QCOMPARE(r.status, 200);
    QVERIFY(r.text().contains(QStringLiteral("&lt;b&gt;粗体&lt;/b&gt;标题")));
    QVERIFY(r.text().contains(QStringLiteral("&quot;作者&quot; &amp; &#39;Co&#39;")));
    QVERIFY(!r.text().contains(QStringLiteral("<b>粗体")));
    // The search text put back into the box is escaped too.
    QVERIFY(r.text().contains(QStringLiteral("value=\"&lt;b&gt;粗体\"")));
}

void WebServerTest::searchPages_data()
{
    // Two characters are searched without the trigram index (their keys kept a minute),
    // three with it: both page alike.
    QTest::addColumn<QString>("text");
    QTest::newRow("two characters") << QStringLiteral("史记");
    QTest::newRow("three characters") << QStringLiteral("史记选");
}

void WebServerTest::searchPages()
{
    QFETCH(QString, text);
    for (int i = 1; i <= 25; ++i)
        QVERIFY(Statement(QStringLiteral("insert into 图书 (编号, 条形码, 名称, 数量, 状态) values "
                                         "(?, 'n', ?, 1, '正常')"),
                          {QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0')),
                           QStringLiteral("史记选读 第%1册").arg(i)})
                    .run());
    QStringList seen;
    for (int page = 1; page <= 3; ++page) {
        const Reply r =
            get(QStringLiteral("/api/search"),
                {{QStringLiteral("q"), text}, {QStringLiteral("page"), QString::number(page)}});
        QCOMPARE(r.status, 200);
        const QJsonObject o = QJsonDocument::fromJson(r.body).object();
        QCOMPARE(o.value(QStringLiteral("matches")).toInt(), 25);
        QCOMPARE(o.value(QStringLiteral("pageCount")).toInt(), 2);
        const QJsonArray books = o.value(QStringLiteral("books")).toArray();
        QCOMPARE(books.size(), page == 1 ? 20 : page == 2 ? 5 : 0);
        for (const QJsonValue &b : books)
            seen << b.toObject().value(QStringLiteral("number")).toString();
    }
    QCOMPARE(seen.size(), 25);
    QCOMPARE(QSet<QString>(seen.begin(), seen.end()).size(), 25);
    const Reply html = get(QStringLiteral("/search"), {{QStringLiteral("q"), text}});
    QVERIFY(html.text().contains(QStringLiteral("第 1 / 2 页")));
    QVERIFY(html.text().contains(QStringLiteral("page=2\">下一页")));
}

void WebServerTest::availabilityFollowsTheDesk()
{
    QJsonObject b1 = bookIn(apiSearch(QStringLiteral("数据结构教程")), QStringLiteral("B1"));
    QCOMPARE(b1.value(QStringLiteral("onShelf")).toInt(), 1);
    QCOMPARE(b1.value(QStringLiteral("location")).toString(), QStringLiteral("二楼书库"));
    QCOMPARE(b1.value(QStringLiteral("callNumber")).toString(), QStringLiteral("TP311.12/1"));
    QCOMPARE(b1.value(QStringLiteral("reserved")).toBool(), false);

    // The desk lends the last copy while the server runs.
    const QDateTime now = QDateTime::currentDateTime();
    LendingDesk desk;
    QCOMPARE(desk.acceptReader(QStringLiteral("R1"), now.date()).status,
             LendingDesk::ReaderOutcome::Accepted);
    const LendingDesk::LookupOutcome found =
        desk.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber, QStringLiteral("B1"), now);
    QVERIFY(found.ok);
    QCOMPARE(desk.queueItem(LendingDesk::Book, found.rows.first()).status,
             LendingDesk::QueueOutcome::Queued);
    QCOMPARE(desk.lend(now, false).status, LendingDesk::LendOutcome::Lent);

    b1 = bookIn(apiSearch(QStringLiteral("数据结构教程")), QStringLiteral("B1"));
    QCOMPARE(b1.value(QStringLiteral("onShelf")).toInt(), 0);
    const Reply page =
        get(QStringLiteral("/search"), {{QStringLiteral("q"), QStringLiteral("B1")}});
    QVERIFY(page.text().contains(QStringLiteral("已全部借出")));

    // A reservation shows as reserved, never by whom.
    QVERIFY(
        Statement(QStringLiteral("update 图书 set 预定状况='R2', 预定到期时间=? where 编号='B1'"),
                  {sqlDateTime(now.addDays(2))})
            .run());
    const Reply api =
        get(QStringLiteral("/api/search"), {{QStringLiteral("q"), QStringLiteral("B1")}});
    QVERIFY(bookIn(QJsonDocument::fromJson(api.body).object(), QStringLiteral("B1"))
                .value(QStringLiteral("reserved"))
                .toBool());
    QVERIFY(!api.text().contains(QStringLiteral("R2")));
    const Reply reservedPage =
        get(QStringLiteral("/search"), {{QStringLiteral("q"), QStringLiteral("B1")}});
    QVERIFY(reservedPage.text().contains(QStringLiteral("已被预定")));
    QVERIFY(!reservedPage.text().contains(QStringLiteral("R2")));

    // A lapsed reservation no longer counts.
    QVERIFY(Statement(QStringLiteral("update 图书 set 预定到期时间=? where 编号='B1'"),
                      {sqlDateTime(now.addDays(-1))})
                .run());
    QVERIFY(!bookIn(apiSearch(QStringLiteral("B1")), QStringLiteral("B1"))
                 .value(QStringLiteral("reserved"))
                 .toBool());
}

void WebServerTest::signIn_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("shown");
    QTest::newRow("right, by number") << "R1" << kRightPassword << 303 << QString();
    QTest::newRow("right, by card") << "C1" << kRightPassword << 303 << QString();
    QTest::newRow("wrong password") << "R1"
                                    << "1234" << 401 << QString();
    QTest::newRow("no such reader") << "R404" << kRightPassword << 401 << QString();
    QTest::newRow("suspended") << "R3" << kRightPassword << 403 << QStringLiteral("停用");
}

void WebServerTest::signIn()
{
    QFETCH(QString, reader);
    QFETCH(QString, password);
    QFETCH(int, status);
    QFETCH(QString, shown);
    const Reply form = get(QStringLiteral("/login"));
    QCOMPARE(form.status, 200);
    const Reply r = post(QStringLiteral("/login"),
                         {{QStringLiteral("token"), tokenIn(form.text())},
                          {QStringLiteral("reader"), reader},
                          {QStringLiteral("password"), password}},
                         sessionCookie(form));
    QCOMPARE(r.status, status);
    if (status == 303) {
        // The default password asks for a new one; the session id is a new one.
        QCOMPARE(r.header("location"), QByteArray("/password?first=1"));
        QVERIFY(sessionCookie(r) != sessionCookie(form));
        const Reply account = get(QStringLiteral("/account"), {}, sessionCookie(r));
        QCOMPARE(account.status, 200);
        QVERIFY(account.text().contains(QStringLiteral("王小明")));
        // The plain-text password was replaced by its hash.
        QVERIFY(scalar(QStringLiteral("select 密码 from 读者库 where 读者编号='R1'")).toString() !=
                kRightPassword);
    } else {
        QVERIFY(!shown.isEmpty() || r.text().contains(QStringLiteral("密码")));
        QVERIFY(r.text().contains(shown));
        // The form stays there for another try.
        QVERIFY(r.text().contains(QStringLiteral("action=\"/login\"")));
        QVERIFY(get(QStringLiteral("/account"), {}, sessionCookie(form)).status == 303);
    }
}

void WebServerTest::sessionCookieIsHttpOnlyAndStrict()
{
    const Reply form = get(QStringLiteral("/login"));
    const QByteArray set = form.header("set-cookie");
    QVERIFY2(set.startsWith("tsgl_session="), set.constData());
    QVERIFY(set.contains("; HttpOnly"));
    QVERIFY(set.contains("; SameSite=Strict"));
    QVERIFY(set.contains("; Max-Age=1800"));
    QVERIFY(set.contains("; Path=/"));
    // A made-up session id is nobody.
    QCOMPARE(get(QStringLiteral("/account"), {}, "tsgl_session=" + QByteArray(64, 'a')).status,
             303);
    // Signing out ends the session on the server, whatever the browser keeps.
    const QByteArray cookie = signIn(QStringLiteral("R1"), kRightPassword);
    QVERIFY(!cookie.isEmpty());
    const Reply account = get(QStringLiteral("/account"), {}, cookie);
    QCOMPARE(post(QStringLiteral("/logout"), {{QStringLiteral("token"), tokenIn(account.text())}},
                  cookie)
                 .status,
             303);
    QCOMPARE(get(QStringLiteral("/account"), {}, cookie).status, 303);
}

void WebServerTest::anotherReadersDataIsUnreachable()
{
    // Not signed in: the own pages lead to the sign-in.
    for (const QString &path :
         {QStringLiteral("/account"), QStringLiteral("/history"), QStringLiteral("/password")}) {
        const Reply r = get(path);
        QCOMPARE(r.status, 303);
        QCOMPARE(r.header("location"), QByteArray("/login"));
    }
    const QByteArray cookie = signIn(QStringLiteral("R1"), kRightPassword);
    QVERIFY(!cookie.isEmpty());
    // No page takes a reader from the request: naming R2 still shows R1's own data.
    const QList<QPair<QString, QString>> asking = {
        {QStringLiteral("reader"), QStringLiteral("R2")},
        {QStringLiteral("读者编号"), QStringLiteral("R2")}};
    for (const QString &path : {QStringLiteral("/account"), QStringLiteral("/history")}) {
        const Reply r = get(path, asking, cookie);
        QCOMPARE(r.status, 200);
        QVERIFY2(!r.text().contains(QStringLiteral("秘密花园之书")), qPrintable(path));
        QVERIFY(!r.text().contains(QStringLiteral("李秘密")));
        QVERIFY(!r.text().contains(QStringLiteral(">R2<")));
        QCOMPARE(r.header("cache-control"), QByteArray("no-store"));
    }
    // R2 sees his own loan, with the days overdue.
    const QByteArray other = signIn(QStringLiteral("R2"), kRightPassword);
    const Reply own = get(QStringLiteral("/account"), {}, other);
    QVERIFY(own.text().contains(QStringLiteral("秘密花园之书")));
    QVERIFY(own.text().contains(QStringLiteral("超期 6 天")));
}

void WebServerTest::reservationHonouredAtTheDesk()
{
    const QByteArray cookie = signIn(QStringLiteral("R1"), kRightPassword);
    const Reply results = get(QStringLiteral("/search"),
                              {{QStringLiteral("q"), QStringLiteral("数据结构习题集")}}, cookie);
    QVERIFY(results.text().contains(QStringLiteral("action=\"/reserve\"")));
    const QDateTime before = QDateTime::currentDateTime();
    const Reply r = post(QStringLiteral("/reserve"),
                         {{QStringLiteral("token"), tokenIn(results.text())},
                          {QStringLiteral("book"), QStringLiteral("B2")}},
                         cookie);
    QCOMPARE(r.status, 200);
    QCOMPARE(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='B2'")).toString(),
             QStringLiteral("R1"));
    const QDateTime until =
        dateTimeFromSql(scalar(QStringLiteral("select 预定到期时间 from 图书 where 编号='B2'")));
    QVERIFY(until >= before.addDays(3).addSecs(-2) &&
            until <= QDateTime::currentDateTime().addDays(3));
    // The reader sees it among his reservations, and others see it reserved.
    QVERIFY(get(QStringLiteral("/account"), {}, cookie)
                .text()
                .contains(QStringLiteral("数据结构习题集")));
    QVERIFY(bookIn(apiSearch(QStringLiteral("B2")), QStringLiteral("B2"))
                .value(QStringLiteral("reserved"))
                .toBool());

    // A copy comes back; the desk refuses it to another reader and lends it to R1.
    QVERIFY(Statement(QStringLiteral("update 图书 set 数量=1 where 编号='B2'")).run());
    const QDateTime now = QDateTime::currentDateTime();
    LendingDesk desk;
    QCOMPARE(desk.acceptReader(QStringLiteral("R2"), now.date()).status,
             LendingDesk::ReaderOutcome::Accepted);
    LendingDesk::LookupOutcome found =
        desk.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber, QStringLiteral("B2"), now);
    QVERIFY(found.ok);
    const LendingDesk::QueueOutcome refused = desk.queueItem(LendingDesk::Book, found.rows.first());
    QCOMPARE(refused.status, LendingDesk::QueueOutcome::Refused);
    QVERIFY2(refused.message.contains(QStringLiteral("预定")), qPrintable(refused.message));

    desk.clear();
    QCOMPARE(desk.acceptReader(QStringLiteral("R1"), now.date()).status,
             LendingDesk::ReaderOutcome::Accepted);
    found = desk.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber, QStringLiteral("B2"), now);
    QCOMPARE(desk.queueItem(LendingDesk::Book, found.rows.first()).status,
             LendingDesk::QueueOutcome::Queued);
    QCOMPARE(desk.lend(now, false).status, LendingDesk::LendOutcome::Lent);
    QVERIFY(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='B2'")).isNull());
}

void WebServerTest::reservationRefusals()
{
    QVERIFY(
        Statement(QStringLiteral("update 图书 set 预定状况='R2', 预定到期时间=? where 编号='B5'"),
                  {sqlDateTime(QDateTime::currentDateTime().addDays(1))})
            .run());
    const QByteArray cookie = signIn(QStringLiteral("R1"), kRightPassword);
    const QString token = tokenIn(get(QStringLiteral("/account"), {}, cookie).text());
    struct Case {
        QString book;
        int status;
    };
    // On the shelf, not for loan, reserved by another reader, no such book.
    for (const Case &c : {Case{QStringLiteral("B3"), 409}, Case{QStringLiteral("B4"), 409},
                          Case{QStringLiteral("B5"), 409}, Case{QStringLiteral("B404"), 404}}) {
        const Reply r =
            post(QStringLiteral("/reserve"),
                 {{QStringLiteral("token"), token}, {QStringLiteral("book"), c.book}}, cookie);
        QCOMPARE(r.status, c.status);
        QVERIFY(!r.text().contains(QStringLiteral("R2")));
    }
    QCOMPARE(scalar(QStringLiteral("select count(*) from 图书 where 预定状况='R1'")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='B5'")).toString(),
             QStringLiteral("R2"));
}

void WebServerTest::cancelOnlyOwnReservation()
{
    const QString until = sqlDateTime(QDateTime::currentDateTime().addDays(1)).toString();
    QVERIFY(
        Statement(QStringLiteral("update 图书 set 预定状况='R1', 预定到期时间=? where 编号='B2'"),
                  {until})
            .run());
    QVERIFY(
        Statement(QStringLiteral("update 图书 set 预定状况='R2', 预定到期时间=? where 编号='B5'"),
                  {until})
            .run());
    const QByteArray cookie = signIn(QStringLiteral("R1"), kRightPassword);
    const QString token = tokenIn(get(QStringLiteral("/account"), {}, cookie).text());
    const Reply other = post(QStringLiteral("/reservations/cancel"),
                             {{QStringLiteral("token"), token},
                              {QStringLiteral("kind"), QStringLiteral("图书")},
                              {QStringLiteral("item"), QStringLiteral("B5")}},
                             cookie);
    QCOMPARE(other.status, 404);
    QCOMPARE(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='B5'")).toString(),
             QStringLiteral("R2"));
    const Reply own = post(QStringLiteral("/reservations/cancel"),
                           {{QStringLiteral("token"), token},
                            {QStringLiteral("kind"), QStringLiteral("图书")},
                            {QStringLiteral("item"), QStringLiteral("B2")}},
                           cookie);
    QCOMPARE(own.status, 200);
    QVERIFY(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='B2'")).isNull());
}

void WebServerTest::formWithoutTokenRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("token"); // "none", "wrong" or "other" (another session's)
    QTest::newRow("reserve, none") << "/reserve"
                                   << "none";
    QTest::newRow("reserve, wrong") << "/reserve"
                                    << "wrong";
    QTest::newRow("reserve, another session's") << "/reserve"
                                                << "other";
    QTest::newRow("password, none") << "/password"
                                    << "none";
    QTest::newRow("cancel, wrong") << "/reservations/cancel"
                                   << "wrong";
    QTest::newRow("sign-in, none") << "/login"
                                   << "none";
    QTest::newRow("sign-out, none") << "/logout"
                                    << "none";
}

void WebServerTest::formWithoutTokenRefused()
{
    QFETCH(QString, path);
    QFETCH(QString, token);
    QVERIFY(Statement(QStringLiteral("update 图书 set 预定状况='R1' where 编号='B5'")).run());
    const QByteArray cookie = signIn(QStringLiteral("R1"), kRightPassword);
    const QByteArray otherCookie = signIn(QStringLiteral("R2"), kRightPassword);
    const QString otherToken = tokenIn(get(QStringLiteral("/account"), {}, otherCookie).text());
    const QString passwordBefore =
        scalar(QStringLiteral("select 密码 from 读者库 where 读者编号='R1'")).toString();
    QList<QPair<QString, QString>> form = {
        {QStringLiteral("book"), QStringLiteral("B2")},
        {QStringLiteral("kind"), QStringLiteral("图书")},
        {QStringLiteral("item"), QStringLiteral("B5")},
        {QStringLiteral("old"), kRightPassword},
        {QStringLiteral("new"), QStringLiteral("neues-passwort")},
        {QStringLiteral("confirm"), QStringLiteral("neues-passwort")},
        {QStringLiteral("reader"), QStringLiteral("R1")},
        {QStringLiteral("password"), kRightPassword},
    };
    if (token == QLatin1String("wrong"))
        form << qMakePair(QStringLiteral("token"), QString(64, QLatin1Char('0')));
    else if (token == QLatin1String("other"))
        form << qMakePair(QStringLiteral("token"), otherToken);
    const Reply r = post(path, form, cookie);
    QCOMPARE(r.status, 403);
    QVERIFY(r.text().contains(QStringLiteral("表单已经过期")));
    // Nothing was written, and the session still works.
    QVERIFY(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='B2'")).isNull());
    QCOMPARE(scalar(QStringLiteral("select 预定状况 from 图书 where 编号='B5'")).toString(),
             QStringLiteral("R1"));
    QCOMPARE(scalar(QStringLiteral("select 密码 from 读者库 where 读者编号='R1'")).toString(),
             passwordBefore);
    QCOMPARE(get(QStringLiteral("/account"), {}, cookie).status, 200);
}

void WebServerTest::badRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    const QByteArray end = " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    QTest::newRow("long URL") << "GET /search?q=" + QByteArray(10000, 'a') + end << 414;
    QTest::newRow("search text too long") << "GET /search?q=" + QByteArray(300, 'a') + end << 400;
    QTest::newRow("bad UTF-8") << "GET /search?q=%ff%fe%41" + end << 400;
    QTest::newRow("bad UTF-8, json") << "GET /api/search?q=%c3%28" + end << 400;
    QTest::newRow("control character") << "GET /search?q=a%00b" + end << 400;
    QTest::newRow("page 0") << "GET /search?q=abc&page=0" + end << 400;
    QTest::newRow("page negative") << "GET /search?q=abc&page=-3" + end << 400;
    QTest::newRow("page not a number") << "GET /api/search?q=abc&page=zwei" + end << 400;
    QTest::newRow("page huge") << "GET /search?q=abc&page=99999999999999" + end << 400;
    QTest::newRow("json without q") << "GET /api/search" + end << 400;
    QTest::newRow("unknown page") << "GET /admin" + end << 404;
    QTest::newRow("garbage") << QByteArray("HELLO WORLD\r\n\r\n") << 400;
    QTest::newRow("huge body") << QByteArray(
                                      "POST /login HTTP/1.1\r\nHost: x\r\nContent-Type: "
                                      "application/x-www-form-urlencoded\r\n"
                                      "Content-Length: 10000000\r\nConnection: close\r\n\r\n") +
                                      QByteArray(1000, 'a')
                               << 413;
    QTest::newRow("header line too long")
        << "GET / HTTP/1.1\r\nX-A: " + QByteArray(10000, 'b') + "\r\nConnection: close\r\n\r\n"
        << 400;
    QTest::newRow("sign-in without fields")
        << QByteArray("POST /login HTTP/1.1\r\nHost: x\r\n"
                      "Content-Length: 0\r\nConnection: close\r\n\r\n")
        << 403;
}

void WebServerTest::badRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    const Reply r = exchange(m_server->port(), request);
    QCOMPARE(r.status, status);
    // A page in Chinese that says what went wrong, never the database's text.
    QVERIFY(r.header("content-type").startsWith("text/html") ||
            r.header("content-type").startsWith("application/json"));
    QVERIFY(!r.body.isEmpty());
    // The server goes on serving.
    QCOMPARE(get(QStringLiteral("/")).status, 200);
}

void WebServerTest::connectionsOverTheLimitAreToldBusy()
{
    WebServer::Options options;
    options.workers = 2;
    options.maxConnections = 2;
    RunningServer small(options);
    QVERIFY(small.ok());
    // Two clients hold both places without sending anything.
    QTcpSocket idle[2];
    for (QTcpSocket &s : idle) {
        s.connectToHost(QStringLiteral("127.0.0.1"), quint16(small.port()));
        QVERIFY(s.waitForConnected(5000));
    }
    QTest::qWait(200);
    const QByteArray request = "GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const Reply busy = exchange(small.port(), request);
    QCOMPARE(busy.status, 503);
    QCOMPARE(busy.header("retry-after"), QByteArray("5"));
    for (QTcpSocket &s : idle)
        s.disconnectFromHost();
    QTest::qWait(300);
    QCOMPARE(exchange(small.port(), request).status, 200);
}

QTEST_GUILESS_MAIN(WebServerTest)
#include "web_server_dbtest.moc"
