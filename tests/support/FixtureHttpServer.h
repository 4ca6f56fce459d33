#pragma once

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

// A small HTTP server on 127.0.0.1 for the online lookup's tests, run by the test's own event
// loop. Each request's path (with its query) is recorded and given to the handler, which
// answers with a status, a content type and a body; "%BASE%" in a body becomes the server's
// own address. A silent server accepts connections and never answers.
class FixtureHttpServer : public QTcpServer {
public:
    struct Response {
        int status = 200;
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
    };
    using Handler = std::function<Response(const QString &path)>;

    explicit FixtureHttpServer(Handler handler = {}, bool silent = false)
        : m_handler(std::move(handler))
        , m_silent(silent)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                s->setParent(this);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { readFrom(s); });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    ++m_disconnects;
                    s->deleteLater();
                });
            }
        });
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    const QStringList &paths() const { return m_paths; }
    int disconnects() const { return m_disconnects; }

    // A file of tests/data/lookup with %BASE% replaced.
    Response page(const QString &name, QByteArray contentType = "text/html; charset=utf-8") const
    {
        QFile f(QStringLiteral(TSGL_TEST_DATA "/lookup/") + name);
        f.open(QIODevice::ReadOnly);
        Response r;
        r.contentType = contentType;
        r.body = f.readAll().replace("%BASE%", base().toLatin1());
        return r;
    }

private:
    void readFrom(QTcpSocket *s)
    {
        QByteArray &buffer = m_buffers[s];
        buffer += s->readAll();
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> first = buffer.left(buffer.indexOf("\r\n")).split(' ');
        const QString path = QString::fromLatin1(first.value(1));
        m_buffers.remove(s);
        m_paths.append(path);
        if (m_silent)
            return;
        const Response r = m_handler ? m_handler(path) : Response{404, "text/plain", "none"};
        QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) +
                          " X\r\nContent-Type: " + r.contentType +
                          "\r\nContent-Length: " + QByteArray::number(r.body.size()) +
                          "\r\nConnection: close\r\n\r\n";
        s->write(head + r.body);
        s->disconnectFromHost();
    }

    Handler m_handler;
    bool m_silent = false;
    QStringList m_paths;
    QMap<QTcpSocket *, QByteArray> m_buffers;
    int m_disconnects = 0;
};
