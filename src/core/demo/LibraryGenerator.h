#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <functional>

// Fills an open library database (either backend) with a made-up but realistic library:
// reference lists, books, periodicals, readers, several years of loans (most returned with
// their rent and fine, some open, some overdue), reservations and the income journal. The
// counters agree with the loans: a reader's 未还数量 is the number of his open loans, an
// item's 数量 is its copies less its open loans, 借出次数 and 累计借阅次数 count the loans.
// The same seed and day give the same library.
class LibraryGenerator {
public:
    struct Size {
        int books = 1000000;
        int readers = 200000;
        int loans = 5000000;
        int periodicals = 50000;
    };
    struct Options {
        quint64 seed = 20240901;
        QDate today = QDate::currentDate(); // the last lending day
        int years = 5;                      // loans reach back this far
        // SQLite only, for a new file: no journal, no syncing, indexes built at the end.
        // A crash during generation leaves a broken file.
        bool bulkLoad = false;
    };
    // Told after each phase: its name, the rows written and the time taken.
    using PhaseReport = std::function<void(const QString &phase, qint64 rows, qint64 msecs)>;

    explicit LibraryGenerator(QSqlDatabase db);
    LibraryGenerator(QSqlDatabase db, Options options);
    void setPhaseReport(PhaseReport report) { m_report = std::move(report); }

    // The database must hold the tables and no books or readers yet. Rows are committed in
    // large batches, so a generation that fails part-way leaves the rows written so far: it
    // is meant for a new database, which the caller discards on failure.
    bool generate(const Size &size, QString *error);

    // The small library of the demonstration database: about 200 books, 20 periodicals,
    // 50 readers and their loans.
    static Size demoSize();
    static bool fillDemo(QSqlDatabase db, QString *error);

private:
    class Run;
    QSqlDatabase m_db;
    Options m_options;
    PhaseReport m_report;
};
