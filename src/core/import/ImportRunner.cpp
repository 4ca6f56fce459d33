#include "ImportRunner.h"

#include "SheetReader.h"
#include "db/SharedConnection.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QThread>

namespace {

// How often the window hears of the progress: often enough for a smooth bar, seldom enough
// that a fast import is not slowed by repainting.
constexpr int kSignalEveryMs = 40;

} // namespace

ImportRunner::ImportRunner(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<FailedRow>();
    qRegisterMetaType<QVector<FailedRow>>();
    qRegisterMetaType<ImportSummary>();
}

ImportRunner::~ImportRunner()
{
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
}

void ImportRunner::start(std::shared_ptr<const ImportMapping> mapping, const QString &path,
                         const ImportNumbering &numbering, const ImportContext &context)
{
    if (m_thread)
        return;
    m_stop = false;
    m_summary = ImportSummary();
    m_thread = QThread::create(
        [this, mapping, path, numbering, context] { work(mapping, path, numbering, context); });
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        emit finished(m_summary);
    });
    m_thread->start();
}

void ImportRunner::stop()
{
    m_stop = true;
}

void ImportRunner::work(std::shared_ptr<const ImportMapping> mapping, QString path,
                        ImportNumbering numbering, ImportContext context)
{
    QElapsedTimer timer;
    timer.start();
    const QString connection =
        QStringLiteral("tsgl-import-%1").arg(reinterpret_cast<quintptr>(this));
    {
        QString error;
        SheetReader reader;
        if (!reader.open(path, &error)) {
            m_summary.fileError = error;
        } else if (!SharedConnection::openCopy(connection, &error)) {
            m_summary.databaseError = error;
        } else {
            QElapsedTimer sinceSignal;
            sinceSignal.start();
            QVector<FailedRow> failed;
            int lastHandled = 0;
            ImportLoop::Callbacks callbacks;
            callbacks.stopRequested = [this] { return m_stop.load(); };
            callbacks.failed = [&failed](const FailedRow &row) { failed.append(row); };
            callbacks.progress = [&](int row, int lastRow) {
                lastHandled = row;
                if (sinceSignal.elapsed() < kSignalEveryMs)
                    return;
                sinceSignal.restart();
                emit advanced(row, lastRow, failed);
                failed.clear();
            };
            ImportLoop loop(*mapping, numbering, context);
            loop.setBatchSize(m_batchSize);
            m_summary = loop.run(reader, QSqlDatabase::database(connection, false), callbacks);
            emit advanced(lastHandled, reader.rowCount(), failed);
            QSqlDatabase::database(connection, false).close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    m_summary.elapsedMs = timer.elapsed();
}
