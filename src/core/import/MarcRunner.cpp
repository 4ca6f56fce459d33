#include "MarcRunner.h"

#include "MarcImport.h"
#include "db/SharedConnection.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QThread>

namespace {

constexpr int kSignalEveryMs = 40;

} // namespace

MarcRunner::MarcRunner(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<FailedRow>();
    qRegisterMetaType<QVector<FailedRow>>();
    qRegisterMetaType<ImportSummary>();
    qRegisterMetaType<MarcReadResult>();
    qRegisterMetaType<QVector<MarcBook>>();
}

MarcRunner::~MarcRunner()
{
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
}

void MarcRunner::run(std::function<void()> work, std::function<void()> done)
{
    m_stop = false;
    m_thread = QThread::create(std::move(work));
    connect(m_thread, &QThread::finished, this, [this, done] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        done();
    });
    m_thread->start();
}

void MarcRunner::read(const QString &path)
{
    if (m_thread)
        return;
    m_result = MarcReadResult();
    m_books.clear();
    run(
        [this, path] {
            QElapsedTimer timer;
            timer.start();
            QElapsedTimer sinceSignal;
            sinceSignal.start();
            m_result =
                MarcReader::readFile(path, MarcReader::kMaxRecords, [&](qint64 done, qint64 total) {
                    if (sinceSignal.elapsed() >= kSignalEveryMs) {
                        sinceSignal.restart();
                        emit readProgress(done, total);
                    }
                    return !m_stop.load();
                });
            m_books.reserve(m_result.records.size());
            for (const MarcRecord &record : std::as_const(m_result.records))
                m_books.append(MarcBook::fromRecord(record));
            // The window keeps the books; the records themselves are not needed any more.
            m_result.records.clear();
            m_result.records.squeeze();
            m_elapsed = timer.elapsed();
        },
        [this] { emit readFinished(m_result, m_books, m_elapsed); });
}

void MarcRunner::import(const QVector<MarcBook> &books, qint32 start, const ImportContext &context)
{
    if (m_thread)
        return;
    m_summary = ImportSummary();
    run(
        [this, books, start, context] {
            QElapsedTimer timer;
            timer.start();
            const QString connection =
                QStringLiteral("tsgl-marc-%1").arg(reinterpret_cast<quintptr>(this));
            {
                QString error;
                if (!SharedConnection::openCopy(connection, &error)) {
                    m_summary.databaseError = error;
                } else {
                    QElapsedTimer sinceSignal;
                    sinceSignal.start();
                    QVector<FailedRow> failed;
                    int handled = 0;
                    MarcImport::Callbacks callbacks;
                    callbacks.stopRequested = [this] { return m_stop.load(); };
                    callbacks.failed = [&failed](const FailedRow &row) { failed.append(row); };
                    callbacks.progress = [&](int done, int total) {
                        handled = done;
                        if (sinceSignal.elapsed() < kSignalEveryMs)
                            return;
                        sinceSignal.restart();
                        emit importAdvanced(done, total, failed);
                        failed.clear();
                    };
                    m_summary =
                        MarcImport::run(books, start, QSqlDatabase::database(connection, false),
                                        context, callbacks, m_batchSize);
                    emit importAdvanced(handled, books.size(), failed);
                    QSqlDatabase::database(connection, false).close();
                }
            }
            QSqlDatabase::removeDatabase(connection);
            m_summary.elapsedMs = timer.elapsed();
        },
        [this] { emit importFinished(m_summary); });
}
