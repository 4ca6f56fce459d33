#include "RowPrefetch.h"

#include "SheetSource.h"

namespace {

// Rows handed over at once, and chunks kept ahead: a handover costs a lock, not a row.
constexpr int kChunkRows = 256;
constexpr size_t kChunksAhead = 8;

} // namespace

RowPrefetch::RowPrefetch(SheetSource &source, int first, int end)
    : m_thread([this, &source, first, end] { read(source, first, end); })
{}

RowPrefetch::~RowPrefetch()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void RowPrefetch::read(SheetSource &source, int first, int end)
{
    int row = first;
    bool failed = false;
    while (row < end && !failed) {
        Chunk chunk;
        chunk.first = row;
        chunk.rows.reserve(kChunkRows);
        while (row < end && int(chunk.rows.size()) < kChunkRows) {
            QStringList cells;
            if (!source.readRow(row, &cells, &chunk.error)) {
                failed = true;
                break;
            }
            chunk.rows.push_back(std::move(cells));
            ++row;
        }
        std::vector<Chunk> spent;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kChunksAhead; });
            if (m_stop)
                return;
            m_ready.push_back(std::move(chunk));
            spent.swap(m_spent);
            m_changed.notify_all();
        }
        // Freed here, outside the lock.
        spent.clear();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
}

bool RowPrefetch::next(int *row, QStringList *cells, QString *error)
{
    while (m_position >= m_current.rows.size()) {
        if (!m_current.error.isEmpty()) {
            if (error)
                *error = m_current.error;
            return false;
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_current.rows.empty() && !m_done)
            m_spent.push_back(std::move(m_current));
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
        if (m_ready.empty())
            return false;
        m_current = std::move(m_ready.front());
        m_ready.pop_front();
        m_position = 0;
        m_changed.notify_all();
    }
    *row = m_current.first + int(m_position);
    // A shared copy: the texts are freed with the chunk, by the thread that made them.
    *cells = m_current.rows[m_position];
    ++m_position;
    return true;
}
