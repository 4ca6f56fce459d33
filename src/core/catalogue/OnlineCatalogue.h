#pragma once

#include "CatalogueScraper.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QNetworkAccessManager;

class QTimer;

// The lookup of one ISBN in the web catalogue, without blocking: each step is an HTTP GET that
// bypasses caches, limited in time (10 s unless set otherwise) and in size; a step that fails
// ends the lookup with a message that says why. One request at a time.
//
// Connecting reads the entry page (CatalogueBase + "/F") for the address of its query form,
// which the catalogue makes for each visitor and which is kept for the life of the object; a
// lookup without it connects first. Deleting the object during a request abandons the request.
class OnlineCatalogue : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 10000;
    static constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;

    struct Outcome {
        QString barcode; // as given
        bool ok = false; // the catalogue answered (found or not)
        QString message; // why it did not answer, or the not-found message; empty on a find
        CatalogueBook book;
        bool found() const { return ok && book.found(); }
    };

    explicit OnlineCatalogue(const QString &catalogueBase, QObject *parent = nullptr);
    ~OnlineCatalogue() override;

    int timeoutMs() const { return m_timeoutMs; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    QString catalogueBase() const { return m_base; }
    QString formAddress() const { return m_formAddress; }
    bool isBusy() const { return m_reply != nullptr; }

    // Reads the form address; connected() follows.
    void connectServer();
    // Looks the barcode up (trimmed); lookedUp() follows.
    void lookup(const QString &barcode);

    static QString connectedMessage(); // "连接成功,可以联网获取资料!"
    static QString notFoundMessage(const QString &barcode);

signals:
    void connected(bool ok, const QString &message);
    void lookedUp(const OnlineCatalogue::Outcome &outcome);

private:
    using Done = std::function<void(const QString &error, const QByteArray &page)>;
    void get(const QString &address, Done done);
    void readEntryPage(const std::function<void(const QString &error)> &then);
    void query(const QString &barcode);
    void finishRequest();

    QString m_base;
    QString m_formAddress;
    int m_timeoutMs = kDefaultTimeoutMs;
    QNetworkAccessManager *m_manager = nullptr;
    QTimer *m_timer = nullptr;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    bool m_timedOut = false;
    bool m_tooLarge = false;
    Done m_done;
};
