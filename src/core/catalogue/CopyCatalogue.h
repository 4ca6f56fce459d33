#pragma once

#include "LookupSettings.h"
#include "import/MarcBook.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVector>

// What one Z39.50 or SRU server answered for an ISBN.
struct CopyAnswer {
    CatalogueServer server;
    QString isbn;
    int hits = 0;            // how many records the server has for it
    QVector<MarcBook> books; // the records fetched (at most maxRecords), as books
    QString error;           // why the server gave no answer; empty when it answered
    qint64 elapsedMs = 0;
};
Q_DECLARE_METATYPE(CopyAnswer)

// Copy cataloguing: the records of an ISBN from Z39.50 servers (record syntax USMARC, UNIMARC
// or MARCXML) and SRU servers (MARCXML), through YAZ's ZOOM interface. The records are read by
// MarcReader and given to the book by MarcBook's mapping.
namespace CopyCatalogueSearch {

constexpr int kMaxRecords = 5;

// The ISBN as the query takes it: digits, X and hyphens only (empty when nothing is left).
QString queryIsbn(const QString &barcode);
// Asks one server and waits for its answer, at most timeoutSeconds per network step.
CopyAnswer search(const CatalogueServer &server, const QString &barcode, int timeoutSeconds,
                  int maxRecords = kMaxRecords);

} // namespace CopyCatalogueSearch

// Asks several servers at once, each on its own thread, and reports each answer as it comes
// (the first answer first). Deleting the object abandons the answers still to come; their
// threads end by themselves within the time-out.
class CopyCatalogue : public QObject {
    Q_OBJECT
public:
    explicit CopyCatalogue(QObject *parent = nullptr);

    int timeoutSeconds() const { return m_timeoutSeconds; }
    void setTimeoutSeconds(int seconds) { m_timeoutSeconds = seconds; }
    bool isBusy() const { return m_pending > 0; }

    // One answered() per server, then finished().
    void search(const QVector<CatalogueServer> &servers, const QString &barcode);

signals:
    void answered(const CopyAnswer &answer);
    void finished();

private:
    void take(const CopyAnswer &answer);

    int m_timeoutSeconds = LookupSettings::kDefaultTimeoutSeconds;
    int m_pending = 0;
};
