#include "WebSite.h"

#include "CatalogueSearch.h"
#include "WebHtml.h"
#include "WebVisit.h"
#include "db/SharedConnection.h"

#include <httplib.h>

#include <QAtomicInt>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QStringDecoder>
#include <chrono>

using WebHtml::escape;

namespace {

// The worker thread's own connection: opened on first use, closed when the thread ends.
struct ThreadConnection {
    QString name;
    ~ThreadConnection()
    {
        if (name.isEmpty())
            return;
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
};

QAtomicInt connectionCount;

QString cookieValue(const httplib::Request &req, const std::string &name)
{
    const std::string header = req.get_header_value("Cookie");
    size_t pos = 0;
    while (pos < header.size()) {
        size_t end = header.find(';', pos);
        if (end == std::string::npos)
            end = header.size();
        std::string part = header.substr(pos, end - pos);
        const size_t start = part.find_first_not_of(' ');
        part = start == std::string::npos ? std::string() : part.substr(start);
        if (part.size() > name.size() && part.compare(0, name.size(), name) == 0 &&
            part[name.size()] == '=')
            return QString::fromLatin1(part.substr(name.size() + 1).c_str());
        pos = end + 1;
    }
    return QString();
}

QString statusTitle(int status)
{
    switch (status) {
    case 400:
        return QStringLiteral("请求有误");
    case 403:
        return QStringLiteral("不能这样做");
    case 404:
        return QStringLiteral("没有这个页面");
    case 405:
        return QStringLiteral("不能这样访问这个页面");
    case 413:
        return QStringLiteral("提交的内容太大");
    case 414:
        return QStringLiteral("网址太长");
    case 429:
        return QStringLiteral("请稍后再试");
    case 503:
        return QStringLiteral("服务器正忙");
    default:
        return status >= 500 ? QStringLiteral("服务器出错") : QStringLiteral("出错了");
    }
}

QString statusText(int status)
{
    switch (status) {
    case 400:
        return QStringLiteral("请求的格式不正确, 请从首页重新开始.");
    case 404:
        return QStringLiteral("您要找的页面不存在.");
    case 413:
        return QStringLiteral("提交的内容超过了允许的大小.");
    case 414:
        return QStringLiteral("网址超过了允许的长度.");
    case 503:
        return QStringLiteral("现在访问的人太多, 请稍后再试.");
    default:
        return status >= 500 ? QStringLiteral("服务器暂时无法完成这个请求, 请稍后再试.")
                             : QStringLiteral("无法完成这个请求.");
    }
}

std::string utf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QString pageLinks(const QString &base, int page, int pageCount)
{
    if (pageCount <= 1)
        return QString();
    QString out = QStringLiteral("<p class=\"pages\">");
    if (page > 1)
        out += QStringLiteral("<a href=\"%1page=%2\">上一页</a>").arg(escape(base)).arg(page - 1);
    out += QStringLiteral("<span>第 %1 / %2 页</span>").arg(page).arg(pageCount);
    if (page < pageCount)
        out += QStringLiteral("<a href=\"%1page=%2\">下一页</a>").arg(escape(base)).arg(page + 1);
    return out + QStringLiteral("</p>");
}

} // namespace

WebSite::WebSite(const Options &options)
    : m_options(options)
{}

qint64 WebSite::clock()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QSqlDatabase WebSite::connection(QString *error)
{
    thread_local ThreadConnection own;
    if (own.name.isEmpty()) {
        const QString name =
            QStringLiteral("tsgl-web-%1").arg(connectionCount.fetchAndAddOrdered(1));
        QString reason;
        if (!SharedConnection::openCopy(name, &reason)) {
            QSqlDatabase::removeDatabase(name);
            if (error)
                *error = reason;
            return QSqlDatabase();
        }
        own.name = name;
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.driverName() == QLatin1String("QSQLITE")) {
            // The pages mostly read: the file mapped into memory (shared by every worker
            // through the system's cache) instead of copied page by page, and a larger cache.
            QSqlQuery(db).exec(QStringLiteral("pragma mmap_size=1073741824"));
            QSqlQuery(db).exec(QStringLiteral("pragma cache_size=-8000"));
        }
    }
    return QSqlDatabase::database(own.name, false);
}

void WebSite::logDetail(const QString &where, const QString &detail)
{
    if (!detail.isEmpty())
        qWarning("%s: %s", qPrintable(where), qPrintable(detail));
}

LibraryPages::Library WebSite::library(const QSqlDatabase &db)
{
    // The name, address and telephone change seldom: read at most every ten seconds.
    const qint64 now = clock();
    {
        std::lock_guard<std::mutex> lock(m_libraryMutex);
        if (m_library && now - m_libraryRead < 10000)
            return *m_library;
    }
    LibraryPages::Library lib;
    if (db.isValid()) {
        QString detail;
        lib = LibraryPages::library(db, &detail);
        logDetail(QStringLiteral("系统设置"), detail);
    } else {
        lib.name = QStringLiteral("图书馆");
    }
    std::lock_guard<std::mutex> lock(m_libraryMutex);
    m_library = lib;
    m_libraryRead = now;
    return lib;
}

WebSite::Visit WebSite::begin(const httplib::Request &req, httplib::Response &res)
{
    Visit v{req, res, std::nullopt, clock(), QDateTime::currentDateTime(), QSqlDatabase(),
            {},  {},  false};
    QString error;
    v.db = connection(&error);
    v.library = library(v.db);
    const QString id = cookieValue(req, cookieName());
    if (!id.isEmpty())
        v.session = m_sessions.find(id, v.clock);
    if (!v.db.isValid()) {
        logDetail(QStringLiteral("数据库"), error);
        statusPage(res, 503, QStringLiteral("图书馆的数据库暂时无法使用, 请稍后再试."));
        v.done = true;
    }
    return v;
}

WebSite::Field WebSite::field(const httplib::Request &req, const char *name, int maxChars,
                              QString *out)
{
    out->clear();
    if (!req.has_param(name))
        return Field::Missing;
    const std::string raw = req.get_param_value(name);
    // Each character takes at most 4 bytes: longer texts need not be decoded at all.
    if (raw.size() > size_t(maxChars) * 4)
        return Field::TooLong;
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(QByteArrayView(raw.data(), qsizetype(raw.size())));
    if (decode.hasError())
        return Field::BadText;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\r') &&
            c != QLatin1Char('\t'))
            return Field::BadText;
    }
    if (text.size() > maxChars)
        return Field::TooLong;
    *out = text;
    return Field::Ok;
}

bool WebSite::refuseField(Visit &v, Field problem, const QString &caption)
{
    switch (problem) {
    case Field::Ok:
        return false;
    case Field::Missing:
        statusPage(v.res, 400, QStringLiteral("请求中缺少“%1”.").arg(caption));
        break;
    case Field::BadText:
        statusPage(v.res, 400,
                   QStringLiteral("“%1”中有无法识别的字符 (不是有效的 UTF-8 文字).").arg(caption));
        break;
    case Field::TooLong:
        statusPage(v.res, 400, QStringLiteral("“%1”太长了.").arg(caption));
        break;
    }
    v.done = true;
    return true;
}

bool WebSite::checkToken(Visit &v)
{
    QString token;
    if (field(v.req, "token", 100, &token) == Field::Ok && v.session &&
        WebSessions::sameToken(token, v.session->token))
        return true;
    send(v, 403, statusTitle(403),
         WebHtml::message(QStringLiteral("这个表单已经过期或不是从本站页面提交的, 没有执行. "
                                         "请重新打开页面再试."),
                          QStringLiteral("error")) +
             QStringLiteral("<p><a href=\"/\">返回首页</a></p>"));
    return false;
}

void WebSite::setSessionCookie(Visit &v, const QString &id, int maxAgeSeconds)
{
    // The reverse proxy that ends HTTPS says so; the cookie then travels only over HTTPS.
    const bool secure = v.req.get_header_value("X-Forwarded-Proto") == "https";
    v.res.set_header("Set-Cookie",
                     utf8(QStringLiteral("%1=%2; Path=/; Max-Age=%3; HttpOnly; SameSite=Strict%4")
                              .arg(QString::fromLatin1(cookieName()), id)
                              .arg(maxAgeSeconds)
                              .arg(secure ? QStringLiteral("; Secure") : QString())));
}

void WebSite::send(Visit &v, int status, const QString &title, const QString &body)
{
    WebHtml::Frame frame;
    frame.library = v.library;
    frame.title = title;
    frame.searchText = v.searchText;
    if (v.session && !v.session->readerNumber.isEmpty()) {
        frame.readerName =
            v.session->readerName.isEmpty() ? v.session->readerNumber : v.session->readerName;
        frame.token = v.session->token;
        // The cookie lives as long as the session may stay idle, counted from now.
        setSessionCookie(v, v.session->id, WebSessions::cookieSeconds());
    }
    v.res.status = status;
    v.res.set_content(utf8(WebHtml::page(frame, body)), "text/html; charset=utf-8");
    v.done = true;
}

void WebSite::redirect(httplib::Response &res, const QString &to)
{
    res.status = 303;
    res.set_header("Location", utf8(to));
    res.set_content("", "text/plain");
}

void WebSite::statusPage(httplib::Response &res, int status, const QString &text)
{
    WebHtml::Frame frame;
    {
        std::lock_guard<std::mutex> lock(m_libraryMutex);
        frame.library = m_library ? *m_library : LibraryPages::Library{};
    }
    if (frame.library.name.isEmpty())
        frame.library.name = QStringLiteral("图书馆");
    frame.title = statusTitle(status);
    res.status = status;
    if (status == 503)
        res.set_header("Retry-After", "5");
    const QString body =
        WebHtml::message(text.isEmpty() ? statusText(status) : text, QStringLiteral("error")) +
        QStringLiteral("<p><a href=\"/\">返回首页</a></p>");
    res.set_content(utf8(WebHtml::page(frame, body)), "text/html; charset=utf-8");
}

bool WebSite::requireReader(Visit &v)
{
    if (v.session && !v.session->readerNumber.isEmpty())
        return true;
    redirect(v.res, QStringLiteral("/login"));
    v.done = true;
    return false;
}

// ---- home ----

void WebSite::home(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done)
        return;
    const LibraryPages::Home home = LibraryPages::home(v.db);
    logDetail(QStringLiteral("首页"), home.detail);
    QString body;
    if (!v.library.notice.isEmpty())
        body += QStringLiteral("<h2>公告</h2><div class=\"notice\">%1</div>")
                    .arg(WebHtml::escapeLines(v.library.notice));
    body += QStringLiteral("<div class=\"grid\"><section><h2>推荐图书</h2>");
    if (home.recommendations.isEmpty())
        body += QStringLiteral("<p class=\"meta\">暂无推荐.</p>");
    for (const LibraryPages::Recommendation &r : home.recommendations) {
        body += QStringLiteral("<div class=\"card\"><h3><a href=\"/search?q=%1\">%2</a></h3>"
                               "<p class=\"meta\">%3%4</p><p>推荐理由: %5</p>"
                               "<p class=\"meta\">%6</p></div>")
                    .arg(escape(WebHtml::urlValue(r.number)), escape(r.title),
                         WebHtml::field(QStringLiteral("作者"), r.author),
                         WebHtml::field(QStringLiteral("存放位置"), r.location), escape(r.reason),
                         WebHtml::field(QStringLiteral("推荐人"), r.by));
    }
    body += QStringLiteral("</section><section><h2>新书</h2>");
    if (home.newest.isEmpty())
        body += QStringLiteral("<p class=\"meta\">暂无新书.</p>");
    for (const LibraryPages::NewBook &b : home.newest) {
        body += QStringLiteral("<div class=\"card\"><h3><a href=\"/search?q=%1\">%2</a></h3>"
                               "<p class=\"meta\">%3%4%5%6</p><p class=\"avail %7\">%8</p></div>")
                    .arg(escape(WebHtml::urlValue(b.number)), escape(b.title),
                         WebHtml::field(QStringLiteral("作者"), b.author),
                         WebHtml::field(QStringLiteral("索书号"), b.callNumber),
                         WebHtml::field(QStringLiteral("存放位置"), b.location),
                         WebHtml::field(QStringLiteral("入库"),
                                        b.added.toString(QStringLiteral("yyyy-MM-dd"))),
                         b.onShelf > 0 ? QStringLiteral("on") : QStringLiteral("out"),
                         b.onShelf > 0 ? QStringLiteral("在架 %1 本").arg(b.onShelf)
                                       : QStringLiteral("已全部借出"));
    }
    body += QStringLiteral("</section></div>");
    if (!home.ok)
        body += WebHtml::message(QStringLiteral("部分内容暂时无法读取."), QStringLiteral("info"));
    send(v, 200, QString(), body);
}

// ---- search ----

namespace {

// The page number of a request: absent means 1; anything but a whole number from 1 is refused.
bool pageNumber(const httplib::Request &req, int *page)
{
    *page = 1;
    if (!req.has_param("page"))
        return true;
    const std::string raw = req.get_param_value("page");
    if (raw.empty() || raw.size() > 6)
        return false;
    int n = 0;
    for (char c : raw) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    *page = n;
    return n >= 1;
}

} // namespace

void WebSite::search(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done)
        return;
    QString text;
    const Field f = field(req, "q", CatalogueSearch::kMaxTextLength, &text);
    if (f == Field::Missing || (f == Field::Ok && text.trimmed().isEmpty())) {
        send(
            v, 200, QStringLiteral("馆藏查询"),
            WebHtml::message(QStringLiteral("请输入书名、作者、ISBN、条形码或分类号, 然后按“查找”. "
                                            "输入三个字以上查找更快."),
                             QStringLiteral("info")));
        return;
    }
    if (refuseField(v, f, QStringLiteral("查找的文字")))
        return;
    int page = 1;
    if (!pageNumber(req, &page) || page > CatalogueSearch::kMaxPage) {
        statusPage(res, 400, QStringLiteral("页码不正确."));
        return;
    }
    v.searchText = text.trimmed();
    const CatalogueSearch::Result r = CatalogueSearch::search(v.db, text, page, v.now);
    if (!r.ok) {
        logDetail(QStringLiteral("查找"), r.detail);
        send(v, r.detail.isEmpty() ? 400 : 500, QStringLiteral("馆藏查询"),
             WebHtml::message(r.message, QStringLiteral("error")));
        return;
    }
    const bool signedIn = v.session && !v.session->readerNumber.isEmpty();
    QString body = QStringLiteral("<p class=\"meta\">找到 %1 种图书.</p>").arg(r.matches);
    if (r.books.isEmpty())
        body += WebHtml::message(r.matches > 0 ? QStringLiteral("这一页没有结果.")
                                               : QStringLiteral("没有找到符合的图书."),
                                 QStringLiteral("info"));
    for (const CatalogueSearch::Book &b : r.books) {
        body += QStringLiteral("<div class=\"card\"><h3>%1</h3>").arg(escape(b.title));
        body += QStringLiteral("<p class=\"meta\">%1%2%3</p><p class=\"meta\">%4%5%6%7</p>")
                    .arg(WebHtml::field(QStringLiteral("作者"), b.author),
                         WebHtml::field(QStringLiteral("出版社"), b.publisher),
                         WebHtml::field(QStringLiteral("ISBN"), b.isbn),
                         WebHtml::field(QStringLiteral("索书号"), b.callNumber),
                         WebHtml::field(QStringLiteral("存放位置"), b.location),
                         WebHtml::field(QStringLiteral("编号"), b.number),
                         WebHtml::field(QStringLiteral("条形码"), b.barcode));
        QString state;
        if (b.notForLoan)
            state = QStringLiteral("<span class=\"avail out\">不外借 (馆内阅览)</span>");
        else if (b.onShelf > 0)
            state = QStringLiteral("<span class=\"avail on\">在架 %1 本</span>").arg(b.onShelf);
        else
            state = QStringLiteral("<span class=\"avail out\">已全部借出</span>");
        if (b.reserved)
            state += QStringLiteral(" &nbsp; <span class=\"avail held\">已被预定</span>");
        body += QStringLiteral("<p>") + state + QStringLiteral("</p>");
        if (!b.notForLoan && b.onShelf <= 0 && !b.reserved) {
            if (signedIn)
                body += QStringLiteral("<form method=\"post\" action=\"/reserve\">%1"
                                       "<input type=\"hidden\" name=\"book\" value=\"%2\">"
                                       "<button type=\"submit\">预定</button></form>")
                            .arg(WebHtml::tokenField(v.session->token), escape(b.number));
            else
                body +=
                    QStringLiteral("<p class=\"meta\"><a href=\"/login\">登录</a>后可以预定.</p>");
        }
        body += QStringLiteral("</div>");
    }
    body +=
        pageLinks(QStringLiteral("/search?q=") + WebHtml::urlValue(r.text) + QStringLiteral("&"),
                  r.page, r.pageCount());
    send(v, 200, QStringLiteral("馆藏查询"), body);
}

void WebSite::apiSearch(const httplib::Request &req, httplib::Response &res)
{
    auto answer = [&res](int status, const QJsonObject &object) {
        res.status = status;
        const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
        res.set_content(std::string(json.constData(), size_t(json.size())),
                        "application/json; charset=utf-8");
    };
    auto refuse = [&answer](int status, const QString &message) {
        answer(status, QJsonObject{{QStringLiteral("error"), message}});
    };
    QString error;
    const QSqlDatabase db = connection(&error);
    if (!db.isValid()) {
        logDetail(QStringLiteral("数据库"), error);
        res.set_header("Retry-After", "5");
        refuse(503, QStringLiteral("图书馆的数据库暂时无法使用, 请稍后再试."));
        return;
    }
    QString text;
    switch (field(req, "q", CatalogueSearch::kMaxTextLength, &text)) {
    case Field::Ok:
        break;
    case Field::Missing:
        refuse(400, QStringLiteral("请求中缺少查找的文字 q."));
        return;
    case Field::BadText:
        refuse(400, QStringLiteral("查找的文字不是有效的 UTF-8 文字."));
        return;
    case Field::TooLong:
        refuse(400, QStringLiteral("查找的文字太长了."));
        return;
    }
    int page = 1;
    if (!pageNumber(req, &page) || page > CatalogueSearch::kMaxPage) {
        refuse(400, QStringLiteral("页码不正确."));
        return;
    }
    const CatalogueSearch::Result r =
        CatalogueSearch::search(db, text, page, QDateTime::currentDateTime());
    if (!r.ok) {
        logDetail(QStringLiteral("查找"), r.detail);
        refuse(r.detail.isEmpty() ? 400 : 500, r.message);
        return;
    }
    QJsonArray books;
    for (const CatalogueSearch::Book &b : r.books) {
        books.append(QJsonObject{
            {QStringLiteral("number"), b.number},
            {QStringLiteral("barcode"), b.barcode},
            {QStringLiteral("title"), b.title},
            {QStringLiteral("author"), b.author},
            {QStringLiteral("publisher"), b.publisher},
            {QStringLiteral("isbn"), b.isbn},
            {QStringLiteral("classification"), b.classNo},
            {QStringLiteral("callNumber"), b.callNumber},
            {QStringLiteral("location"), b.location},
            {QStringLiteral("onShelf"), b.onShelf},
            {QStringLiteral("forLoan"), !b.notForLoan},
            {QStringLiteral("reserved"), b.reserved},
        });
    }
    answer(200, QJsonObject{
                    {QStringLiteral("query"), r.text},
                    {QStringLiteral("page"), r.page},
                    {QStringLiteral("pageSize"), CatalogueSearch::kPageSize},
                    {QStringLiteral("pageCount"), r.pageCount()},
                    {QStringLiteral("matches"), r.matches},
                    {QStringLiteral("books"), books},
                });
}
