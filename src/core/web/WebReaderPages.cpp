// The signed-in pages of the web site: sign-in and sign-out, own loans, account, history,
// password and reservations. Everything a reader sees or changes goes through ReaderPortal,
// always for the reader of the session.
#include "ReaderPortal.h"
#include "WebHtml.h"
#include "WebSite.h"
#include "WebVisit.h"

#include <httplib.h>

using WebHtml::escape;

namespace {

QString date(const QDate &d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString moment(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("不限");
}

QString loginFormHtml(const QString &token, const QString &typed)
{
    return QStringLiteral("<form class=\"stack\" method=\"post\" action=\"/login\">%1"
                          "<label for=\"reader\">读者编号或借书证号</label>"
                          "<input id=\"reader\" name=\"reader\" value=\"%2\" maxlength=\"64\" "
                          "autocomplete=\"username\" required>"
                          "<label for=\"password\">密码</label>"
                          "<input id=\"password\" name=\"password\" type=\"password\" "
                          "maxlength=\"128\" autocomplete=\"current-password\" required>"
                          "<br><button type=\"submit\">登录</button></form>")
        .arg(WebHtml::tokenField(token), escape(typed));
}

QString passwordFormHtml(const QString &token)
{
    return QStringLiteral("<form class=\"stack\" method=\"post\" action=\"/password\">%1"
                          "<label for=\"old\">旧密码</label>"
                          "<input id=\"old\" name=\"old\" type=\"password\" maxlength=\"128\" "
                          "autocomplete=\"current-password\" required>"
                          "<label for=\"new\">新密码</label>"
                          "<input id=\"new\" name=\"new\" type=\"password\" maxlength=\"64\" "
                          "autocomplete=\"new-password\" required>"
                          "<label for=\"confirm\">再输一次新密码</label>"
                          "<input id=\"confirm\" name=\"confirm\" type=\"password\" "
                          "maxlength=\"64\" autocomplete=\"new-password\" required>"
                          "<p class=\"meta\">%2</p>"
                          "<button type=\"submit\">修改密码</button></form>")
        .arg(WebHtml::tokenField(token), escape(ReaderPortal::passwordRule()));
}

} // namespace

// ---- sign-in and sign-out ----

void WebSite::loginForm(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done)
        return;
    if (v.session && !v.session->readerNumber.isEmpty()) {
        redirect(res, QStringLiteral("/account"));
        return;
    }
    // The sign-in form is a form that writes (a password may be rehashed): it gets its token
    // from a session of its own, still without a reader.
    if (!v.session) {
        v.session = m_sessions.create(QString(), QString(), v.clock);
        setSessionCookie(v, v.session->id, WebSessions::cookieSeconds());
    }
    send(v, 200, QStringLiteral("读者登录"), loginFormHtml(v.session->token, QString()));
}

void WebSite::login(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !checkToken(v))
        return;
    QString typed;
    QString password;
    if (refuseField(v, field(req, "reader", 200, &typed), QStringLiteral("读者编号")) ||
        refuseField(v, field(req, "password", 200, &password), QStringLiteral("密码")))
        return;
    ReaderPortal portal(m_throttle, v.db);
    const ReaderPortal::SignIn s = portal.signIn(typed, password, v.now);
    if (s.status == ReaderPortal::SignIn::SignedIn) {
        const ReaderPortal::Account account = portal.account(s.readerNumber);
        // A new session id at the sign-in: an id known before it is worth nothing after it.
        m_sessions.remove(v.session->id);
        v.session =
            m_sessions.create(s.readerNumber, account.ok ? account.name : QString(), v.clock);
        setSessionCookie(v, v.session->id, WebSessions::cookieSeconds());
        redirect(res, s.defaultPassword ? QStringLiteral("/password?first=1")
                                        : QStringLiteral("/account"));
        return;
    }
    logDetail(QStringLiteral("登录"), s.detail);
    int status = 401;
    switch (s.status) {
    case ReaderPortal::SignIn::Throttled:
        status = 429;
        res.set_header("Retry-After",
                       std::to_string(qMax<qint64>(1, (s.waitMs + 999) / 1000)).c_str());
        break;
    case ReaderPortal::SignIn::Suspended:
    case ReaderPortal::SignIn::Expired:
        status = 403;
        break;
    case ReaderPortal::SignIn::Failed:
        status = 500;
        break;
    default:
        break;
    }
    const QString text = s.message.isEmpty() ? QStringLiteral("登录没有成功.") : s.message;
    send(v, status, QStringLiteral("读者登录"),
         WebHtml::message(text, QStringLiteral("error")) +
             loginFormHtml(v.session->token, typed.trimmed().left(64)));
}

void WebSite::logout(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !checkToken(v))
        return;
    m_sessions.remove(v.session->id);
    setSessionCookie(v, QStringLiteral("x"), 0);
    redirect(res, QStringLiteral("/"));
}

// ---- own account ----

// The reader must still be allowed to use the pages: a reader suspended or expired since the
// sign-in is signed out.
static bool standingHolds(ReaderPortal &portal, const QString &reader, const QDateTime &now,
                          QString *message)
{
    const ReaderPortal::Standing s = portal.standing(reader, now);
    if (s.status == ReaderPortal::Standing::Active)
        return true;
    *message = s.message.isEmpty() ? QStringLiteral("您的读者账户现在不能使用.") : s.message;
    return false;
}

void WebSite::account(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !requireReader(v))
        return;
    const QString reader = v.session->readerNumber;
    ReaderPortal portal(m_throttle, v.db);
    QString refusal;
    if (!standingHolds(portal, reader, v.now, &refusal)) {
        m_sessions.remove(v.session->id);
        v.session.reset();
        send(v, 403, QStringLiteral("我的借阅"),
             WebHtml::message(refusal, QStringLiteral("error")));
        return;
    }
    const ReaderPortal::Account a = portal.account(reader);
    const ReaderPortal::OpenLoans loans = portal.openLoans(reader, v.now);
    const ReaderPortal::Reservations held = portal.reservations(reader, v.now);
    logDetail(QStringLiteral("我的借阅"), a.detail + loans.detail + held.detail);
    QString body;
    if (!a.ok) {
        send(v, 500, QStringLiteral("我的借阅"),
             WebHtml::message(a.message, QStringLiteral("error")));
        return;
    }
    body +=
        QStringLiteral("<dl class=\"facts\"><dt>读者编号</dt><dd>%1</dd><dt>姓名</dt><dd>%2</dd>")
            .arg(escape(a.readerNumber), escape(a.name));
    if (!a.cardId.isEmpty())
        body += QStringLiteral("<dt>借书证号</dt><dd>%1</dd>").arg(escape(a.cardId));
    body += QStringLiteral("<dt>类别</dt><dd>%1</dd><dt>状态</dt><dd>%2</dd>")
                .arg(escape(a.category), escape(a.state));
    if (a.validityEnforced && a.validUntil.isValid())
        body += QStringLiteral("<dt>有效期至</dt><dd>%1</dd>").arg(date(a.validUntil));
    body += QStringLiteral("<dt>卡内金额</dt><dd>%1 元</dd><dt>在借</dt><dd>%2 本%3</dd>"
                           "<dt>累计借阅</dt><dd>%4 次</dd></dl>")
                .arg(escape(a.balance.toFixed2()))
                .arg(a.onLoan)
                .arg(a.loanLimit > 0 ? QStringLiteral(" (最多 %1 本)").arg(a.loanLimit) : QString())
                .arg(a.totalLoans);

    body += QStringLiteral("<h2>在借图书</h2>");
    if (!loans.ok) {
        body += WebHtml::message(loans.message, QStringLiteral("error"));
    } else if (loans.loans.isEmpty()) {
        body += QStringLiteral("<p class=\"meta\">现在没有借书.</p>");
    } else {
        body += QStringLiteral("<div class=\"cards\">");
        for (const ReaderPortal::Loan &l : loans.loans) {
            const int overdue = l.charges.known ? qMax(0, l.charges.daysOverdue) : 0;
            QString charges;
            if (loans.finesCharged && overdue > 0)
                charges += WebHtml::field(QStringLiteral("罚金 (至今)"),
                                          l.charges.fine.toFixed2() + QStringLiteral(" 元"));
            if (loans.rentCharged && l.charges.rent)
                charges += WebHtml::field(QStringLiteral("租金 (至今)"),
                                          l.charges.rent->toFixed2() + QStringLiteral(" 元"));
            body +=
                QStringLiteral("<div class=\"card\"><h3>%1</h3><p class=\"meta\">%2%3%4</p>"
                               "<p>%5 %6</p></div>")
                    .arg(escape(l.title), WebHtml::field(QStringLiteral("编号"), l.itemNumber),
                         WebHtml::field(QStringLiteral("借阅日期"), date(l.lentOn)),
                         WebHtml::field(QStringLiteral("应还日期"), date(l.dueOn)),
                         overdue > 0 ? QStringLiteral("<span class=\"avail out\">超期 %1 天</span>")
                                           .arg(overdue)
                                     : QStringLiteral("<span class=\"avail on\">未超期</span>"),
                         charges);
        }
        body += QStringLiteral("</div>");
        if (loans.finesCharged)
            body += QStringLiteral("<p>罚金合计 (至今): %1 元</p>")
                        .arg(escape(loans.totalFine.toFixed2()));
    }

    body += QStringLiteral("<h2>我的预定</h2>");
    if (!held.ok) {
        body += WebHtml::message(held.message, QStringLiteral("error"));
    } else if (held.rows.isEmpty()) {
        body +=
            QStringLiteral("<p class=\"meta\">没有预定. 在查询结果中可以预定已全部借出的图书.</p>");
    }
    if (!held.rows.isEmpty())
        body += QStringLiteral("<div class=\"cards\">");
    for (const ReaderPortal::Reservation &r : held.rows) {
        body +=
            QStringLiteral("<div class=\"card\"><h3>%1</h3><p class=\"meta\">%2%3%4</p>"
                           "<p>%5 %6</p>"
                           "<form method=\"post\" action=\"/reservations/cancel\">%7"
                           "<input type=\"hidden\" name=\"kind\" value=\"%8\">"
                           "<input type=\"hidden\" name=\"item\" value=\"%9\">"
                           "<button type=\"submit\">取消预定</button></form></div>")
                .arg(escape(r.title), WebHtml::field(QStringLiteral("编号"), r.itemNumber),
                     WebHtml::field(QStringLiteral("索书号"), r.callNumber),
                     WebHtml::field(QStringLiteral("存放位置"), r.location),
                     WebHtml::field(QStringLiteral("保留到"), moment(r.until)),
                     r.onShelf ? QStringLiteral("<span class=\"avail on\">已在架, "
                                                "请到借阅台办理</span>")
                               : QStringLiteral("<span class=\"avail held\">等待归还</span>"),
                     WebHtml::tokenField(v.session->token), escape(r.kind), escape(r.itemNumber));
    }
    if (!held.rows.isEmpty())
        body += QStringLiteral("</div>");
    res.set_header("Cache-Control", "no-store");
    send(v, 200, QStringLiteral("我的借阅"), body);
}

void WebSite::history(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !requireReader(v))
        return;
    int page = 1;
    if (req.has_param("page")) {
        bool ok = false;
        const std::string raw = req.get_param_value("page");
        page = raw.size() <= 6 ? QString::fromLatin1(raw.c_str()).toInt(&ok) : 0;
        if (!ok || page < 1) {
            statusPage(res, 400, QStringLiteral("页码不正确."));
            return;
        }
    }
    constexpr int pageSize = 20;
    ReaderPortal portal(m_throttle, v.db);
    const ReaderPortal::LoanHistory h =
        portal.loanHistory(v.session->readerNumber, page - 1, pageSize);
    logDetail(QStringLiteral("借阅历史"), h.detail);
    if (!h.ok) {
        send(v, 500, QStringLiteral("借阅历史"),
             WebHtml::message(h.message, QStringLiteral("error")));
        return;
    }
    QString body = QStringLiteral("<p class=\"meta\">共 %1 次借阅.</p>").arg(h.total);
    if (!h.loans.isEmpty()) {
        body += QStringLiteral("<div class=\"cards\">");
        for (const ReaderPortal::Loan &l : h.loans) {
            body +=
                QStringLiteral("<div class=\"card\"><h3>%1</h3><p class=\"meta\">%2%3%4</p>"
                               "<p class=\"meta\">%5%6</p></div>")
                    .arg(escape(l.title), WebHtml::field(QStringLiteral("编号"), l.itemNumber),
                         WebHtml::field(QStringLiteral("借阅日期"), date(l.lentOn)),
                         WebHtml::field(QStringLiteral("应还日期"), date(l.dueOn)),
                         l.returned ? WebHtml::field(QStringLiteral("归还日期"), date(l.returnedOn))
                                    : QStringLiteral("<span class=\"avail out\">未还</span> "),
                         l.fineCharged && *l.fineCharged != Money()
                             ? WebHtml::field(QStringLiteral("罚金"),
                                              l.fineCharged->toFixed2() + QStringLiteral(" 元"))
                             : QString());
        }
        body += QStringLiteral("</div>");
    } else if (h.total > 0) {
        body += WebHtml::message(QStringLiteral("这一页没有记录."), QStringLiteral("info"));
    }
    if (h.pageCount() > 1) {
        body += QStringLiteral("<p class=\"pages\">");
        if (page > 1)
            body += QStringLiteral("<a href=\"/history?page=%1\">上一页</a>").arg(page - 1);
        body += QStringLiteral("<span>第 %1 / %2 页</span>").arg(page).arg(h.pageCount());
        if (page < h.pageCount())
            body += QStringLiteral("<a href=\"/history?page=%1\">下一页</a>").arg(page + 1);
        body += QStringLiteral("</p>");
    }
    res.set_header("Cache-Control", "no-store");
    send(v, 200, QStringLiteral("借阅历史"), body);
}

// ---- password ----

void WebSite::passwordForm(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !requireReader(v))
        return;
    QString body;
    if (req.has_param("first"))
        body += WebHtml::message(QStringLiteral("您还在使用初始密码, 请设置一个新密码."),
                                 QStringLiteral("info"));
    send(v, 200, QStringLiteral("修改密码"), body + passwordFormHtml(v.session->token));
}

void WebSite::changePassword(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !requireReader(v) || !checkToken(v))
        return;
    QString oldPassword;
    QString newPassword;
    QString confirmation;
    if (refuseField(v, field(req, "old", 200, &oldPassword), QStringLiteral("旧密码")) ||
        refuseField(v, field(req, "new", 200, &newPassword), QStringLiteral("新密码")) ||
        refuseField(v, field(req, "confirm", 200, &confirmation), QStringLiteral("再输一次新密码")))
        return;
    ReaderPortal portal(m_throttle, v.db);
    const ReaderPortal::PasswordChange c = portal.changePassword(
        v.session->readerNumber, oldPassword, newPassword, confirmation, v.now);
    logDetail(QStringLiteral("修改密码"), c.detail);
    if (c.status == ReaderPortal::PasswordChange::Changed) {
        send(v, 200, QStringLiteral("修改密码"),
             WebHtml::message(c.message, QStringLiteral("ok")) +
                 QStringLiteral("<p><a href=\"/account\">返回我的借阅</a></p>"));
        return;
    }
    int status = 400;
    if (c.status == ReaderPortal::PasswordChange::WrongOldPassword)
        status = 403;
    else if (c.status == ReaderPortal::PasswordChange::Throttled)
        status = 429;
    else if (c.status == ReaderPortal::PasswordChange::Failed)
        status = 500;
    send(v, status, QStringLiteral("修改密码"),
         WebHtml::message(c.message, QStringLiteral("error")) + passwordFormHtml(v.session->token));
}

// ---- reservations ----

void WebSite::reserve(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !requireReader(v) || !checkToken(v))
        return;
    QString book;
    if (refuseField(v, field(req, "book", 64, &book), QStringLiteral("图书编号")))
        return;
    ReaderPortal portal(m_throttle, v.db);
    const ReaderPortal::ReserveOutcome r =
        portal.reserve(v.session->readerNumber, book, v.now, m_options.reservationDays);
    logDetail(QStringLiteral("预定"), r.detail);
    int status = 409;
    switch (r.status) {
    case ReaderPortal::ReserveOutcome::Placed:
    case ReaderPortal::ReserveOutcome::AlreadyYours:
        status = 200;
        break;
    case ReaderPortal::ReserveOutcome::NotFound:
        status = 404;
        break;
    case ReaderPortal::ReserveOutcome::ReaderRefused:
    case ReaderPortal::ReserveOutcome::Disabled:
        status = 403;
        break;
    case ReaderPortal::ReserveOutcome::Failed:
        status = 500;
        break;
    default:
        break;
    }
    const QString text = r.message;
    send(v, status, QStringLiteral("预定"),
         WebHtml::message(text, status == 200 ? QStringLiteral("ok") : QStringLiteral("error")) +
             QStringLiteral("<p><a href=\"/account\">查看我的预定</a></p>"));
}

void WebSite::cancelReservation(const httplib::Request &req, httplib::Response &res)
{
    Visit v = begin(req, res);
    if (v.done || !requireReader(v) || !checkToken(v))
        return;
    QString kind;
    QString item;
    if (refuseField(v, field(req, "kind", 10, &kind), QStringLiteral("类别")) ||
        refuseField(v, field(req, "item", 64, &item), QStringLiteral("编号")))
        return;
    if (kind != QStringLiteral("图书") && kind != QStringLiteral("期刊")) {
        statusPage(res, 400, QStringLiteral("类别只能是图书或期刊."));
        return;
    }
    ReaderPortal portal(m_throttle, v.db);
    const ReaderPortal::CancelOutcome c =
        portal.cancelReservation(v.session->readerNumber, kind, item);
    logDetail(QStringLiteral("取消预定"), c.detail);
    const int status = c.status == ReaderPortal::CancelOutcome::Cancelled  ? 200
                       : c.status == ReaderPortal::CancelOutcome::NotYours ? 404
                                                                           : 500;
    send(v, status, QStringLiteral("取消预定"),
         WebHtml::message(c.message,
                          status == 200 ? QStringLiteral("ok") : QStringLiteral("error")) +
             QStringLiteral("<p><a href=\"/account\">返回我的借阅</a></p>"));
}
