#include "WebHtml.h"

#include <QUrl>

namespace WebHtml {

namespace {

// Narrow screens first: one column of cards; wider screens get more room and tables.
const char *const kStyle = R"css(
*{box-sizing:border-box}
body{margin:0;font-family:"Noto Sans CJK SC","Noto Sans SC","Microsoft YaHei",sans-serif;
font-size:16px;line-height:1.5;color:#222;background:#f4f3ee}
a{color:#1d5c8c}
header{background:#2e5e3e;color:#fff;padding:.6em 1em}
header h1{margin:0;font-size:1.3em}
header h1 a{color:#fff;text-decoration:none}
header p{margin:.1em 0 0;font-size:.85em;opacity:.9}
nav{background:#e4e9e2;padding:.4em 1em;display:flex;flex-wrap:wrap;gap:.3em 1em;align-items:center}
nav form{display:inline;margin:0}
nav button{background:none;border:0;color:#1d5c8c;text-decoration:underline;padding:0;
font:inherit;cursor:pointer}
main{max-width:980px;margin:0 auto;padding:.8em 1em 2em}
h2{font-size:1.15em;margin:1.2em 0 .5em;border-bottom:2px solid #c9d6c4;padding-bottom:.2em}
form.search{display:flex;gap:.4em;margin:.6em 0}
form.search input{flex:1;min-width:0}
input,button{font:inherit;padding:.45em .6em;border:1px solid #aaa;border-radius:4px}
button{background:#2e5e3e;color:#fff;border-color:#2e5e3e;cursor:pointer}
label{display:block;margin:.6em 0 .2em}
form.stack input{width:100%;max-width:22em}
form.stack button{margin-top:.8em}
.card{background:#fff;border:1px solid #d8d8d0;border-radius:6px;padding:.6em .8em;margin:.5em 0}
.card h3{margin:0 0 .2em;font-size:1.05em}
.card p{margin:.15em 0}
.meta{color:#555;font-size:.92em}
.f{display:inline-block;margin-right:1em}
.cards{display:grid;grid-template-columns:1fr;gap:0 1em}
.avail{font-weight:bold}
.on{color:#1b7a2f}.out{color:#a4461d}.held{color:#7a5a00}
.card form{margin:.4em 0 0}
.msg{padding:.6em .8em;border-radius:4px;margin:.6em 0}
.msg.ok{background:#e3f3e1;border:1px solid #9c9}
.msg.error{background:#fbe6e1;border:1px solid #d99}
.msg.info{background:#eef2f7;border:1px solid #abc}
.notice{background:#fffbe6;border:1px solid #e5d38a;padding:.6em .8em;border-radius:4px}
.pages{margin:1em 0;display:flex;gap:1em;flex-wrap:wrap}
.wide{overflow-x:auto}
table{border-collapse:collapse;width:100%;background:#fff}
th,td{border:1px solid #d8d8d0;padding:.35em .5em;text-align:left;vertical-align:top}
th{background:#eef0ea;white-space:nowrap}
td.num{text-align:right;white-space:nowrap}
dl.facts{display:grid;grid-template-columns:auto 1fr;gap:.2em 1em;background:#fff;
border:1px solid #d8d8d0;border-radius:6px;padding:.6em .8em}
dl.facts dt{color:#555}dl.facts dd{margin:0}
footer{color:#666;font-size:.85em;text-align:center;padding:1em;border-top:1px solid #ddd}
@media (min-width:1000px){
header,nav{padding-left:calc(50% - 490px + 1em);padding-right:calc(50% - 490px + 1em)}
}
@media (min-width:720px){
header h1{font-size:1.6em}
.grid,.cards{display:grid;grid-template-columns:1fr 1fr;gap:0 1em}
}
)css";

} // namespace

QString escape(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString escapeLines(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return escape(t).replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

QString urlValue(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString message(const QString &text, const QString &kind)
{
    return QStringLiteral("<p class=\"msg %1\">%2</p>").arg(kind, escapeLines(text));
}

QString field(const QString &label, const QString &value)
{
    if (value.trimmed().isEmpty())
        return QString();
    return QStringLiteral("<span class=\"f\">%1: %2</span> ").arg(label, escape(value));
}

QString tokenField(const QString &token)
{
    return QStringLiteral("<input type=\"hidden\" name=\"token\" value=\"%1\">").arg(escape(token));
}

QString page(const Frame &f, const QString &body)
{
    const LibraryPages::Library &lib = f.library;
    QString contact;
    if (!lib.address.isEmpty())
        contact += QStringLiteral("地址: ") + escape(lib.address);
    if (!lib.telephone.isEmpty()) {
        if (!contact.isEmpty())
            contact += QStringLiteral(" &nbsp; ");
        contact += QStringLiteral("电话: ") + escape(lib.telephone);
    }
    QString nav = QStringLiteral("<a href=\"/\">首页</a><a href=\"/search\">馆藏查询</a>");
    if (f.readerName.isEmpty()) {
        nav += QStringLiteral("<a href=\"/login\">读者登录</a>");
    } else {
        nav += QStringLiteral("<a href=\"/account\">我的借阅</a><a href=\"/history\">借阅历史</a>"
                              "<a href=\"/password\">修改密码</a>"
                              "<span>%1</span>"
                              "<form method=\"post\" action=\"/logout\">%2"
                              "<button type=\"submit\">退出登录</button></form>")
                   .arg(escape(f.readerName), tokenField(f.token));
    }
    const QString title = f.title.isEmpty()
                              ? escape(lib.name)
                              : escape(f.title) + QStringLiteral(" - ") + escape(lib.name);
    QString out;
    out += QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                          "<title>%1</title><style>%2</style></head><body>")
               .arg(title, QString::fromUtf8(kStyle));
    out += QStringLiteral("<header><h1><a href=\"/\">%1</a></h1>").arg(escape(lib.name));
    if (!contact.isEmpty())
        out += QStringLiteral("<p>") + contact + QStringLiteral("</p>");
    out += QStringLiteral("</header><nav>") + nav + QStringLiteral("</nav><main>");
    out += QStringLiteral("<form class=\"search\" method=\"get\" action=\"/search\">"
                          "<input type=\"search\" name=\"q\" value=\"%1\" maxlength=\"100\" "
                          "placeholder=\"书名、作者、ISBN、条形码或分类号\" aria-label=\"查找\">"
                          "<button type=\"submit\">查找</button></form>")
               .arg(escape(f.searchText));
    if (!f.title.isEmpty())
        out += QStringLiteral("<h2>%1</h2>").arg(escape(f.title));
    out += body;
    out += QStringLiteral("</main><footer>%1").arg(escape(lib.name));
    if (!contact.isEmpty())
        out += QStringLiteral("<br>") + contact;
    out += QStringLiteral("</footer></body></html>\n");
    return out;
}

} // namespace WebHtml
