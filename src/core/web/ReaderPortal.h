#pragma once

#include "circulation/ReturnCharges.h"
#include "db/Money.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <optional>

class KeyedLoginThrottle;

// What a reader may see and do from the library's web pages, without any HTTP: sign in with
// his 读者编号 or card number and his 密码, see his own loans, loan history and account,
// change his password, and place, list and cancel his own reservations of books.
//
// Every call after the sign-in names the reader by 读者编号 (the number a sign-in returned);
// every statement is bound to that number and reads or writes nothing of another reader.
// Nothing is written but the reader's own 密码 and the reservation columns 预定状况 and
// 预定到期时间 of item rows.
//
// The library's switches are read from loginContext() when a call runs, as the desk does:
// readerValidityEnabled (whether 有效期 is enforced), reservationEnabled, overdueFinePerDay,
// rentEnabled and overdueFineEnabled. Every call that depends on the time takes the moment
// from the caller.
//
// Threads: one ReaderPortal per thread and connection. The database is the connection given
// (a connection belongs to the thread that opened it: a server thread passes its own copy,
// see SharedConnection::openCopy); the throttle is shared by all threads and is thread-safe.
//
// Results carry a message in Chinese for the page, and, when the database failed, the
// database's own text in `detail` for the server's log (not for the reader's page).
class ReaderPortal {
public:
    // Typed values longer than these are refused before they reach the database.
    static constexpr int MaxNumberLength = 64;
    static constexpr int MaxPasswordLength = 128;
    // A new password has from 6 to 64 characters (so never the four-digit default password).
    static constexpr int MinNewPasswordLength = 6;
    static constexpr int MaxNewPasswordLength = 64;
    // How long a reservation holds when the configuration names no period.
    static constexpr int DefaultReservationDays = 3;
    // Rows of one loan history page: pageSize is kept between 1 and MaxPageSize.
    static constexpr int MaxPageSize = 100;

    ReaderPortal(KeyedLoginThrottle &throttle, QSqlDatabase db = QSqlDatabase());

    // ---- sign-in ----
    struct SignIn {
        enum Status {
            SignedIn,
            WrongPassword, // also: no such reader, an empty or overlong text (not told apart)
            Throttled,     // five wrong passwords in a row: wait waitMs before the next try
            Suspended,     // right password, but 状态 is not "正常"
            Expired,       // right password, but 有效期 has passed (when validity is enforced)
            Failed,        // the database failed; detail holds its text
        };
        Status status = Failed;
        QString readerNumber; // 读者编号, only when SignedIn
        QString message;      // for the page; empty when SignedIn
        qint64 waitMs = 0;    // Throttled: milliseconds until the next try is checked
        // SignedIn with the default password still in use: the page should ask for a new one.
        bool defaultPassword = false;
        QString detail;
    };
    // typed: a 读者编号, or a CardId where no reader has that number (a card number that
    // several readers share finds nobody); blanks around it are dropped. The password is taken
    // as typed. A stored 密码 that is still plain text (the default password of a new reader,
    // older data) is accepted once and replaced by its hash in the same step; two sign-ins at
    // once cannot clash over it. Wrong passwords count per reader (per typed text where no
    // reader matches, so that numbers cannot be probed): after five in a row every try waits.
    // The state and validity are told only after a right password. now: the moment of the try
    // (validity date and the pause).
    SignIn signIn(const QString &typed, const QString &password, const QDateTime &now);

    // Whether the signed-in reader may still use the pages: his row exists, 状态 is "正常"
    // and 有效期 (when enforced) has not passed. Reserving asks this itself; the pages may ask
    // it on every request to end a session of a reader suspended meanwhile.
    struct Standing {
        enum Status { Active, Gone, Suspended, Expired, Failed };
        Status status = Failed;
        QString message; // empty when Active
        QString detail;
    };
    Standing standing(const QString &readerNumber, const QDateTime &now);

    // ---- account ----
    struct Account {
        bool ok = false;
        QString message; // why not, when !ok
        QString detail;
        QString readerNumber; // 读者编号
        QString name;         // 读者姓名
        QString cardId;       // CardId, may be empty
        QString category;     // 类别
        QString state;        // 状态
        QDate validUntil;     // 有效期; invalid when not set
        Money balance;        // 卡内金额
        int onLoan = 0;       // 未还数量
        int totalLoans = 0;   // 累计借阅次数
        int loanDays = 0;     // 借阅天数 of the category, 0 when the category is missing
        int loanLimit = 0;    // 借阅数量限制 of the category, 0 when missing
        bool validityEnforced = false; // 启用读者有效期
    };
    Account account(const QString &readerNumber);

    // ---- loans ----
    struct Loan {
        qint64 id = 0;      // 借出记录.id
        QString kind;       // 类别: "图书" or "期刊"
        QString itemNumber; // 编号
        QString title;      // 名称
        QString barcode;    // 条形码 ("n" = none)
        QDate lentOn;       // 借阅日期; invalid when missing
        QDate dueOn;        // 应还日期; invalid when missing
        // Open loans: the rent period, rent, days overdue and fine as the return desk would
        // compute them today (charges.known is false when a date is missing).
        ReturnCharges charges;
        // Loan history only:
        bool returned = false;            // 已还 = "是"
        QDate returnedOn;                 // 归还日期
        std::optional<Money> fineCharged; // 罚金 recorded at the return
        std::optional<Money> rentCharged; // 实际租金 recorded at the return
        QString condition;                // 物品状况
    };
    struct OpenLoans {
        bool ok = false;
        QString message;
        QString detail;
        QVector<Loan> loans; // by due date, the earliest first
        Money totalFine;     // sum of the fines so far
        // Whether the return charges them (启用超期罚金, 启用租金功能): the pages show the
        // fine and the rent only then.
        bool finesCharged = false;
        bool rentCharged = false;
    };
    // The reader's unreturned loans (已还 = "否"), with the charges as of now.date().
    OpenLoans openLoans(const QString &readerNumber, const QDateTime &now);

    struct LoanHistory {
        bool ok = false;
        QString message;
        QString detail;
        QVector<Loan> loans; // every loan of the reader, returned or not, the newest first
        int total = 0;       // loans of the reader in all pages
        int page = 0;        // the page given, from 0
        int pageSize = 0;    // the page size used
        int pageCount() const { return pageSize > 0 ? (total + pageSize - 1) / pageSize : 0; }
    };
    // page from 0; a page past the end gives no rows (and the right total).
    LoanHistory loanHistory(const QString &readerNumber, int page, int pageSize);

    // ---- password ----
    struct PasswordChange {
        enum Status {
            Changed,
            WrongOldPassword, // "旧密码输入错误！"
            Mismatch,         // "两次输入的新密码不一致！"
            Unacceptable,     // too short, too long or only blanks; message says which
            Throttled,        // too many wrong old passwords in a row; waitMs as for SignIn
            Failed,
        };
        Status status = Failed;
        QString message; // also the success text "密码修改成功."
        qint64 waitMs = 0;
        QString detail;
    };
    // The old password is checked against the stored one (hash or plain text; wrong ones
    // count in the sign-in pause), the new one must have MinNewPasswordLength to
    // MaxNewPasswordLength characters, not only blanks, and equal the confirmation; it is stored as
    // its hash, only if 密码 is still what was checked.
    PasswordChange changePassword(const QString &readerNumber, const QString &oldPassword,
                                  const QString &newPassword, const QString &confirmation,
                                  const QDateTime &now);

    // Why a new password is not acceptable ("新密码至少要6位." …), or empty. For the form.
    static QString passwordRuleProblem(const QString &newPassword);
    // "新密码长度为6到64位." — the rule as the form states it.
    static QString passwordRule();

    // ---- reservations ----
    struct Reservation {
        QString kind; // "图书" or "期刊" (periodicals reserved at the desk are listed too)
        QString itemNumber;   // 编号
        QString title;        // 名称
        QString barcode;      // 条形码
        QString location;     // 存放位置
        QString callNumber;   // 索书号 (books)
        QDateTime until;      // 预定到期时间; invalid when the reservation never lapses
        bool onShelf = false; // 数量 > 0: a copy is there to be fetched
    };
    struct Reservations {
        bool ok = false;
        QString message;
        QString detail;
        QVector<Reservation> rows; // the books first, then the periodicals, by 编号
    };
    // The reservations the reader holds now: 预定状况 is his number and 预定到期时间 is not
    // before now (or null). Lapsed ones still written in a row are not listed.
    Reservations reservations(const QString &readerNumber, const QDateTime &now);

    struct ReserveOutcome {
        enum Status {
            Placed,
            NotFound,        // no book with that 编号
            OnShelf,         // a copy is on the shelf: borrow it at the desk
            NotForLoan,      // 状态 "不外借"
            ReservedByOther, // another reader's reservation holds (who is not told)
            AlreadyYours,    // the reader holds it already; until says how long
            ReaderRefused,   // the reader is suspended, expired or gone
            Disabled,        // 启用预定功能 is off: the desk would not honour it
            Failed,
        };
        Status status = Failed;
        QString message; // with the time it holds to, when placed or already the reader's
        QDateTime until; // Placed, AlreadyYours: when the reservation lapses (invalid: never)
        QString detail;
    };
    // Reserves the book (图书 by 编号) for the reader until now + periodDays days (1 to 365;
    // DefaultReservationDays when out of range), as the desk rules allow: no copy on the
    // shelf (数量 0 or less), not "不外借", and no reservation of another reader that still
    // holds (one whose 预定到期时间 is before now has lapsed and is taken over). The checks
    // and the write are one conditional update (ReservationPlacement), so two readers cannot
    // both take the same book. Periodicals are not reserved here: the desk never lapses their
    // reservations, so one would hold until the staff clear it.
    ReserveOutcome reserve(const QString &readerNumber, const QString &bookNumber,
                           const QDateTime &now, int periodDays = DefaultReservationDays);

    struct CancelOutcome {
        enum Status { Cancelled, NotYours, Failed };
        Status status = Failed;
        QString message;
        QString detail;
    };
    // Clears 预定状况 and 预定到期时间 of the item (kind "图书" or "期刊", by 编号) only while
    // 预定状况 is the reader's own number: one conditional update.
    CancelOutcome cancelReservation(const QString &readerNumber, const QString &kind,
                                    const QString &itemNumber);

private:
    KeyedLoginThrottle &m_throttle;
    QSqlDatabase m_db;
};
