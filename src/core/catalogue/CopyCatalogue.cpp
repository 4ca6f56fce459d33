#include "CopyCatalogue.h"

#include "import/MarcReader.h"

#include <QElapsedTimer>
#include <QThread>

#include <yaz/zoom.h>

#include <climits>

namespace {

// Owns the ZOOM objects of one search.
struct ZoomSearch {
    ZOOM_options options = ZOOM_options_create();
    ZOOM_connection connection = nullptr;
    ZOOM_query query = ZOOM_query_create();
    ZOOM_resultset results = nullptr;
    ~ZoomSearch()
    {
        if (results)
            ZOOM_resultset_destroy(results);
        ZOOM_query_destroy(query);
        if (connection)
            ZOOM_connection_destroy(connection);
        ZOOM_options_destroy(options);
    }
};

// The connection's error as a message; empty when there is none.
QString zoomError(ZOOM_connection c, int timeoutSeconds)
{
    const char *message = nullptr;
    const char *info = nullptr;
    const int code = ZOOM_connection_error(c, &message, &info);
    if (code == 0)
        return QString();
    if (code == ZOOM_ERROR_TIMEOUT)
        return QStringLiteral("%1 秒内没有应答").arg(timeoutSeconds);
    QString text = QString::fromUtf8(message ? message : "");
    if (info && *info)
        text += QStringLiteral(" (") + QString::fromUtf8(info) + QLatin1Char(')');
    return QStringLiteral("连接失败: ") + text;
}

// A thread that asks one server and hands the answer back.
class SearchThread : public QThread {
    Q_OBJECT
public:
    SearchThread(const CatalogueServer &server, const QString &barcode, int timeoutSeconds)
        : m_server(server)
        , m_barcode(barcode)
        , m_timeoutSeconds(timeoutSeconds)
    {}
signals:
    void answered(const CopyAnswer &answer);

protected:
    void run() override
    {
        emit answered(CopyCatalogueSearch::search(m_server, m_barcode, m_timeoutSeconds));
    }

private:
    const CatalogueServer m_server;
    const QString m_barcode;
    const int m_timeoutSeconds;
};

} // namespace

namespace CopyCatalogueSearch {

QString queryIsbn(const QString &barcode)
{
    QString isbn;
    for (const QChar c : barcode) {
        if (c.isDigit() && c.unicode() < 128)
            isbn += c;
        else if (c == QLatin1Char('X') || c == QLatin1Char('x'))
            isbn += QLatin1Char('X');
        else if (c == QLatin1Char('-'))
            isbn += c;
    }
    return isbn;
}

CopyAnswer search(const CatalogueServer &server, const QString &barcode, int timeoutSeconds,
                  int maxRecords)
{
    CopyAnswer answer;
    answer.server = server;
    answer.isbn = queryIsbn(barcode);
    QElapsedTimer clock;
    clock.start();
    if (answer.isbn.isEmpty()) {
        answer.error = QStringLiteral("条码中没有 ISBN");
        return answer;
    }

    ZoomSearch z;
    const QByteArray timeout = QByteArray::number(qMax(1, timeoutSeconds));
    const bool xml = server.syntax == QLatin1String("MARCXML") || server.sru();
    ZOOM_options_set(z.options, "timeout", timeout.constData());
    ZOOM_options_set(z.options, "preferredRecordSyntax",
                     xml ? "xml" : server.syntax.toLatin1().constData());
    if (!xml)
        ZOOM_options_set(z.options, "elementSetName", "F"); // full records
    ZOOM_options_set(z.options, "count", QByteArray::number(maxRecords).constData());
    if (server.sru()) {
        ZOOM_options_set(z.options, "sru", "get");
        ZOOM_options_set(z.options, "sru_version", "1.2");
        ZOOM_options_set(z.options, "schema", "marcxml");
    }
    z.connection = ZOOM_connection_create(z.options);
    ZOOM_connection_connect(z.connection, server.address.toUtf8().constData(), 0);
    answer.error = zoomError(z.connection, timeoutSeconds);
    if (answer.error.isEmpty()) {
        // Z39.50: Bib-1 use attribute 7 (ISBN); SRU: the CQL index isbn.
        const QByteArray isbn = answer.isbn.toLatin1();
        const int bad =
            server.sru() ? ZOOM_query_cql(z.query, ("isbn=\"" + isbn + "\"").constData())
                         : ZOOM_query_prefix(z.query, ("@attr 1=7 \"" + isbn + "\"").constData());
        if (bad != 0)
            answer.error = QStringLiteral("检索式不对");
    }
    if (answer.error.isEmpty()) {
        z.results = ZOOM_connection_search(z.connection, z.query);
        answer.error = zoomError(z.connection, timeoutSeconds);
    }
    if (answer.error.isEmpty()) {
        const size_t size = ZOOM_resultset_size(z.results);
        answer.hits = size > size_t(INT_MAX) ? INT_MAX : int(size);
        // ISO 2709 records are taken as the server sends them (MarcReader knows GBK and UTF-8)
        // unless their character set is configured, when YAZ converts them to MARCXML in UTF-8.
        QByteArray type = "raw";
        if (!xml && !server.encoding.isEmpty())
            type = "xml; charset=" + server.encoding.toLatin1() + ",utf-8";
        for (int i = 0; i < qMin(answer.hits, maxRecords); ++i) {
            ZOOM_record record = ZOOM_resultset_record(z.results, size_t(i));
            if (!record)
                break;
            int length = 0;
            const char *data = ZOOM_record_get(record, type.constData(), &length);
            if (!data || length <= 0)
                continue;
            const MarcReadResult read = MarcReader::read(QByteArray(data, length), 1);
            for (const MarcRecord &r : read.records)
                answer.books.append(MarcBook::fromRecord(r));
        }
        answer.error = zoomError(z.connection, timeoutSeconds);
    }
    answer.elapsedMs = clock.elapsed();
    return answer;
}

} // namespace CopyCatalogueSearch

CopyCatalogue::CopyCatalogue(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<CopyAnswer>();
}

void CopyCatalogue::search(const QVector<CatalogueServer> &servers, const QString &barcode)
{
    if (servers.isEmpty()) {
        emit finished();
        return;
    }
    for (const CatalogueServer &server : servers) {
        // The thread belongs to no one: it deletes itself when done, so a window closed during
        // a search leaves nothing waiting on it.
        auto *thread = new SearchThread(server, barcode, m_timeoutSeconds);
        connect(thread, &SearchThread::answered, this, &CopyCatalogue::take, Qt::QueuedConnection);
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        ++m_pending;
        thread->start();
    }
}

void CopyCatalogue::take(const CopyAnswer &answer)
{
    --m_pending;
    emit answered(answer);
    if (m_pending == 0)
        emit finished();
}

#include "CopyCatalogue.moc"
