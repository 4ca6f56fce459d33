#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVector>

// One entry of the lending queue, in the order and under the captions the desk shows.
struct LendingEntry {
    QString number;  // 编号
    QString barcode; // 条形码
    QString title;   // 名称
    QString kind;    // 类别: 图书 or 期刊, also the table the item is re-read from
    QString days;    // 天数
    QString rent;    // 租金: the rent per day in force at lending
    QString level;   // 物品级别

    static const QStringList &captions();
    QStringList fields() const;
};

// The borrowing desk without a screen: the current reader with his category values, the
// current item and the lending queue, with the operations of the borrowing window. The
// switches (rent, validity, loan limit, reservations) and the administrator's name are read
// from loginContext() when an operation runs. Every operation that depends on the time
// takes the moment from the caller.
class LendingDesk {
public:
    static const QString Book;       // 图书
    static const QString Periodical; // 期刊
    static const QString ByNumber;   // 编号
    static const QString ByBarcode;  // 条形码

    // ---- reader ----
    struct ReaderOutcome {
        enum Status { Accepted, NotFound, Refused, CategoryProblem, Failed };
        Status status = Failed;
        QString message; // empty when accepted without remark
    };
    // Finds the reader by 读者编号 or CardId (blanks around the text removed) and accepts him
    // when his state is "正常", his validity (when checked) has not passed and his category
    // gives usable loan days, loan limit and rent. A refused reader is dropped; a reader with
    // a category problem stays current but nothing can be queued or lent for him.
    ReaderOutcome acceptReader(const QString &typed, const QDate &today);
    bool hasReader() const { return !m_reader.isEmpty(); }
    const QSqlRecord &reader() const { return m_reader; }
    QString readerNumber() const;
    // The category values as shown: 借阅数量限制, 借阅天数, 租金 (empty when none).
    QString loanLimit() const { return m_loanLimit; }
    QString loanDays() const { return m_loanDays; }
    QString categoryRent() const { return m_categoryRent; }
    // Why nothing can be queued or lent for the current reader, or empty.
    QString categoryProblem() const { return m_categoryProblem; }

    // ---- items ----
    struct LookupOutcome {
        bool ok = false;
        QString message;
        QVector<QSqlRecord> rows; // every row found, in 编号 order
    };
    // Lapses old book reservations (when reservations are on), then finds the rows of the
    // kind whose lookup column equals the typed text (not trimmed). Refused without a reader.
    LookupOutcome lookUpItems(const QString &kind, const QString &column, const QString &typed,
                              const QDateTime &now);

    struct QueueOutcome {
        enum Status { Queued, AlreadyQueued, Refused, Failed };
        Status status = Failed;
        QString message;              // the refusal, or the loan-limit notice
        bool loanLimitNotice = false; // queued, but more than the reader may have
    };
    // Makes the row the current item and queues it after the checks: copies on the shelf,
    // loan state, reservation, level limit (unreturned loans and queued entries of the level).
    QueueOutcome queueItem(const QString &kind, const QSqlRecord &item);
    const QSqlRecord &currentItem() const { return m_item; }
    QString currentItemKind() const { return m_itemKind; }
    // The rent of the current item's level ("0" when it has none).
    QString itemLevelRent() const { return m_itemLevelRent; }

    const QVector<LendingEntry> &queue() const { return m_queue; }
    // "您是否要删除" with the entry's 编号 and 名称, asked before removing it.
    QString removeQuestion(int index) const;
    void removeEntry(int index);
    // Drops the reader, the item, the category values and the queue.
    void clear();

    // ---- lending ----
    struct LendOutcome {
        enum Status { Lent, NoReader, NothingQueued, Refused, Failed };
        Status status = Failed;
        QString message;      // 借阅完毕! or why nothing (more) was lent
        QStringList refusals; // one line per entry not lent: 编号 "名称": reason
        QVector<LendingEntry> lent;
        QByteArray receipt; // the receipt bytes, when asked for and something was lent
        // The text to show before "借阅完毕!" when entries were refused, or empty.
        QString refusalMessage() const;
    };
    // Lends every queued entry to the current reader, each in its own transaction (loan row,
    // reader counters, item counters); an entry whose last copy is gone meanwhile is refused
    // with "数量不足." and the others go on. When all entries were handled the desk is
    // cleared; a database error stops at that entry and leaves it and the later ones queued.
    LendOutcome lend(const QDateTime &now, bool printReceipt);

    // The receipt: a blank line, the library name, "n:名称" per lent item, the time, the
    // administrator, the paper feed; GBK with CR LF.
    static QByteArray receipt(const QString &libraryName, const QStringList &titles,
                              const QDateTime &now, const QString &adminName);

    // The lookup column the settings ask for when the desk is shown: 借阅焦点编号 selects 编号,
    // then 借阅焦点条形码 selects 条形码; with neither set the current choice stays.
    static QString lookupColumnFromSettings(const QString &current);

private:
    enum class EntryResult { Lent, Refused, Failed };
    EntryResult lendEntry(const LendingEntry &entry, const QDate &today, int days, QString *reason,
                          QString *title);
    void dropReader();

    QSqlRecord m_reader;
    QString m_loanLimit;
    QString m_loanDays;
    QString m_categoryRent;
    QString m_categoryProblem;
    QSqlRecord m_item;
    QString m_itemKind;
    QString m_itemLevelRent = QStringLiteral("0");
    QVector<LendingEntry> m_queue;
};
