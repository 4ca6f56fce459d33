#pragma once

#include "ImportBatch.h"
#include "ImportLoop.h"

#include <QObject>
#include <QVector>

#include <atomic>
#include <memory>

class QThread;

// Runs an import on a worker thread, so that the window stays responsive however long the
// sheet takes to read and the rows to write (a large shared-strings part, a busy lock held by
// another workstation, a slow server all block inside one call, which the event loop could not
// cut into chunks). The worker opens the sheet again and a database connection of its own
// with the shared connection's settings. Progress and failed rows come back as signals, a
// few dozen times a second at most; stop() ends the import between rows, keeping what was
// written.
class ImportRunner : public QObject {
    Q_OBJECT

public:
    explicit ImportRunner(QObject *parent = nullptr);
    ~ImportRunner() override; // stops a running import and waits for it

    void start(std::shared_ptr<const ImportMapping> mapping, const QString &path,
               const ImportNumbering &numbering, const ImportContext &context);
    void stop();
    bool isRunning() const { return m_thread != nullptr; }
    // Rows per transaction (tests make batches small).
    void setBatchSize(int rows) { m_batchSize = rows; }

signals:
    // The row last handled, the last row of the sheet, and the rows that failed since the
    // last signal.
    void advanced(int row, int lastRow, const QVector<FailedRow> &failed);
    void finished(const ImportSummary &summary);

private:
    void work(std::shared_ptr<const ImportMapping> mapping, QString path, ImportNumbering numbering,
              ImportContext context);

    QThread *m_thread = nullptr;
    std::atomic_bool m_stop{false};
    ImportSummary m_summary;
    int m_batchSize = ImportBatch::kDefaultRows;
};
