#pragma once

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class SheetSource;

// Reads the rows of an open sheet ahead, in a thread of its own, while the caller writes the
// rows already read: unpacking and parsing a large workbook then takes no time of its own in an
// import, whose database work takes longer. The thread keeps at most a few thousand rows
// ahead, so memory stays bounded, and stops as soon as the prefetch is destroyed.
//
// The source is read by the thread alone from construction on; the caller must not use it
// until the prefetch is gone.
class RowPrefetch {
public:
    // Reads the rows first .. end-1 (0-based) of source.
    RowPrefetch(SheetSource &source, int first, int end);
    ~RowPrefetch();
    RowPrefetch(const RowPrefetch &) = delete;
    RowPrefetch &operator=(const RowPrefetch &) = delete;

    // The next row in order: its 0-based number and texts (shared with the prefetch until the
    // next call). False at the end, or when the file turned out damaged (error then says why;
    // the rows before were all given).
    bool next(int *row, QStringList *cells, QString *error);

private:
    struct Chunk {
        int first = 0;
        std::vector<QStringList> rows;
        QString error; // set on the last chunk when reading failed after its rows
    };

    void read(SheetSource &source, int first, int end);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_ready;
    // Chunks handed out, given back to the thread to be freed where their texts were made:
    // freeing memory of another thread's heap costs a lock for every text.
    std::vector<Chunk> m_spent;
    bool m_done = false; // the thread has put its last chunk
    bool m_stop = false;
    Chunk m_current; // being handed out by next()
    size_t m_position = 0;
    std::thread m_thread;
};
