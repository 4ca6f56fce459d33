#include "OnlineCatalogue.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

OnlineCatalogue::OnlineCatalogue(const QString &catalogueBase, QObject *parent)
    : QObject(parent)
    , m_base(catalogueBase.trimmed())
    , m_manager(new QNetworkAccessManager(this))
    , m_timer(new QTimer(this))
{
    while (m_base.endsWith(QLatin1Char('/')))
        m_base.chop(1);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_reply) {
            m_timedOut = true;
            m_reply->abort();
        }
    });
}

OnlineCatalogue::~OnlineCatalogue()
{
    // A request still under way is dropped without calling back into a half-destroyed object.
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

QString OnlineCatalogue::connectedMessage()
{
    return QStringLiteral("连接成功,可以联网获取资料!");
}

QString OnlineCatalogue::notFoundMessage(const QString &barcode)
{
    return barcode.trimmed() + QStringLiteral(" 服务器中无改条码的图书资料!");
}

void OnlineCatalogue::get(const QString &address, Done done)
{
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        done(QStringLiteral("地址不对: \"%1\" (应是 http:// 或 https:// 开头的网址).").arg(address),
             QByteArray());
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Internet Explorer 6.0"));

    m_body.clear();
    m_timedOut = false;
    m_tooLarge = false;
    m_done = std::move(done);
    QNetworkReply *reply = m_manager->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_body += reply->readAll();
        if (m_body.size() > kMaxPageBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, &OnlineCatalogue::finishRequest);
    m_timer->start(m_timeoutMs);
}

void OnlineCatalogue::finishRequest()
{
    m_timer->stop();
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    if (!m_tooLarge && !m_timedOut && reply->isOpen())
        m_body += reply->readAll();

    QString error;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_timedOut)
        error = QStringLiteral("连接服务器超时: %1 秒内没有应答.")
                    .arg(QString::number(m_timeoutMs / 1000.0));
    else if (m_tooLarge)
        error = QStringLiteral("服务器的应答太大 (超过 %1 MB), 已放弃.")
                    .arg(kMaxPageBytes / (1024 * 1024));
    else if (status >= 400)
        error = QStringLiteral("服务器应答出错: HTTP %1.").arg(status);
    else if (reply->error() != QNetworkReply::NoError)
        error = QStringLiteral("连接服务器失败: ") + reply->errorString();

    const QByteArray page =
        error.isEmpty() ? CatalogueScraper::pageBytes(
                              m_body, reply->header(QNetworkRequest::ContentTypeHeader).toString())
                        : QByteArray();
    m_body.clear();
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(error, page);
}

void OnlineCatalogue::readEntryPage(const std::function<void(const QString &)> &then)
{
    const QString entry = m_base + QStringLiteral("/F");
    get(entry, [this, then, entry](const QString &error, const QByteArray &page) {
        if (!error.isEmpty()) {
            then(error);
            return;
        }
        QString form = CatalogueScraper::formAddress(page);
        if (!form.isEmpty()) {
            // A relative action address is taken from the entry page's own address.
            form = QUrl(entry).resolved(QUrl(form)).toString();
        }
        m_formAddress = form;
        then(form.isEmpty() ? QStringLiteral("连接服务器失败: %1 的页面上没有检索表单.").arg(entry)
                            : QString());
    });
}

void OnlineCatalogue::connectServer()
{
    if (isBusy())
        return;
    readEntryPage([this](const QString &error) {
        emit connected(error.isEmpty(), error.isEmpty() ? connectedMessage() : error);
    });
}

void OnlineCatalogue::lookup(const QString &barcode)
{
    if (isBusy())
        return;
    if (!m_formAddress.isEmpty()) {
        query(barcode);
        return;
    }
    readEntryPage([this, barcode](const QString &error) {
        if (!error.isEmpty()) {
            Outcome outcome;
            outcome.barcode = barcode;
            outcome.message = error;
            emit lookedUp(outcome);
            return;
        }
        query(barcode);
    });
}

void OnlineCatalogue::query(const QString &barcode)
{
    get(CatalogueScraper::queryAddress(m_formAddress, barcode),
        [this, barcode](const QString &error, const QByteArray &page) {
            Outcome outcome;
            outcome.barcode = barcode;
            outcome.ok = error.isEmpty();
            if (outcome.ok) {
                outcome.book = CatalogueScraper::read(page);
                if (!outcome.book.found())
                    outcome.message = notFoundMessage(barcode);
            } else {
                outcome.message = error;
            }
            emit lookedUp(outcome);
        });
}
