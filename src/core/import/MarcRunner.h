#pragma once

#include "ImportBatch.h"
#include "ImportLoop.h"
#include "MarcBook.h"
#include "MarcReader.h"

#include <QObject>
#include <QVector>

#include <atomic>

class QThread;

// Reads a MARC file and imports its records on a worker thread, so that the MARC import window
// stays responsive however large the file or slow the database. Progress and refused records
// come back as signals, a few dozen times a second at most; stop() ends a reading or an import
// between records, keeping what was read or written.
class MarcRunner : public QObject {
    Q_OBJECT

public:
    explicit MarcRunner(QObject *parent = nullptr);
    ~MarcRunner() override; // stops the work and waits for it

    void read(const QString &path);
    void import(const QVector<MarcBook> &books, qint32 start, const ImportContext &context);
    void stop() { m_stop = true; }
    bool isRunning() const { return m_thread != nullptr; }
    void setBatchSize(int rows) { m_batchSize = rows; }

signals:
    void readProgress(qint64 done, qint64 total);
    // The records read (their books in file order) and what was skipped or went wrong.
    void readFinished(const MarcReadResult &result, const QVector<MarcBook> &books,
                      qint64 elapsedMs);
    void importAdvanced(int done, int total, const QVector<FailedRow> &failed);
    void importFinished(const ImportSummary &summary);

private:
    void run(std::function<void()> work, std::function<void()> done);

    QThread *m_thread = nullptr;
    std::atomic_bool m_stop{false};
    int m_batchSize = ImportBatch::kDefaultRows;
    MarcReadResult m_result;
    QVector<MarcBook> m_books;
    qint64 m_elapsed = 0;
    ImportSummary m_summary;
};

Q_DECLARE_METATYPE(MarcReadResult)
