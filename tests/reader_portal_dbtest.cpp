// The reader's side of the library's web pages: signing in (hash, plain text replaced once,
// state, validity, the pause after wrong passwords), his own loans with the desk's charges,
// history, account and password, and his own reservations, which the desk then honours.
#include "TestDb.h"

#include "admin/LoginThrottle.h"
#include "admin/PasswordHash.h"
#include "circulation/Lending.h"
#include "circulation/Returning.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "web/ReaderPortal.h"

#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <atomic>
#include <functional>

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(10, 0, 0));

void run(const QString &sql, const QVariantList &values = {})
{
    QString error;
    QVERIFY2(Statement(sql, values).run(&error), qPrintable(error));
}

QVariant nullText()
{
    return QVariant(QMetaType(QMetaType::QString));
}

void addReader(const QString &number, const QVariant &card, const QVariant &password,
               const QString &state = QStringLiteral("正常"),
               const QDate &validUntil = QDate(2030, 1, 1))
{
    run(QStringLiteral("insert into 读者库 (读者编号, 读者姓名, CardId, 密码, 状态, 类别, 有效期, "
                       "卡内金额, 未还数量, 累计借阅次数) values (?,?,?,?,?,?,?,?,?,?)"),
        {number, QStringLiteral("读者") + number, card.isValid() ? card : nullText(),
         password.isValid() ? password : nullText(), state, QStringLiteral("学生"),
         sqlDate(validUntil), QStringLiteral("12.5"), 0, 4});
}

struct Book {
    QString number;
    int copies = 0;
    QString state = QStringLiteral("正常");
    QVariant holder; // 预定状况
    QVariant until;  // 预定到期时间
    QString table = QStringLiteral("图书");
};

void addBook(const Book &b)
{
    run(QStringLiteral("insert into %1 (编号, 条形码, 名称, 数量, 状态, 存放位置, 预定状况, "
                       "预定到期时间, 价格, 借出次数) values (?,?,?,?,?,?,?,?,?,?)")
            .arg(b.table),
        {b.number, QStringLiteral("T") + b.number, QStringLiteral("书名") + b.number, b.copies,
         b.state, QStringLiteral("二楼"), b.holder.isValid() ? b.holder : nullText(),
         b.until.isValid() ? b.until : nullText(), QStringLiteral("20"), 1});
}

// "holder until" of an item row, "-" for null.
QString reservationOf(const QString &number, const QString &table = QStringLiteral("图书"))
{
    QSqlQuery q =
        Statement(QStringLiteral("select 预定状况, 预定到期时间 from %1 where 编号=").arg(table))
            .value(number)
            .exec();
    if (!q.next())
        return QStringLiteral("no row");
    const QDateTime until = dateTimeFromSql(q.value(1));
    return (q.value(0).isNull() ? QStringLiteral("-") : q.value(0).toString()) + QLatin1Char(' ') +
           (until.isValid() ? until.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                            : QStringLiteral("-"));
}

QString storedPassword(const QString &reader)
{
    return scalar(QStringLiteral("select 密码 from 读者库 where 读者编号='%1'").arg(reader))
        .toString();
}

void addLoan(const QString &reader, const QString &number, const QVariant &lent,
             const QVariant &due, const QVariant &rent, const QVariant &returned = {})
{
    run(QStringLiteral("insert into 借出记录 (读者编号, 读者姓名, 编号, 名称, 条形码, 类别, 价格, "
                       "租金, 借阅日期, 应还日期, 归还日期, 已还, 罚金) "
                       "values (?,?,?,?,?,'图书',20,?,?,?,?,?,?)"),
        {reader, QStringLiteral("读者") + reader, number, QStringLiteral("书名") + number,
         QStringLiteral("T") + number, rent.isValid() ? rent : nullText(),
         lent.isValid() ? lent : nullText(), due.isValid() ? due : nullText(),
         returned.isValid() ? returned : nullText(),
         returned.isValid() ? QStringLiteral("是") : QStringLiteral("否"),
         returned.isValid() ? QVariant(QStringLiteral("1.5")) : nullText()});
}

// Runs work(portal, i) in n threads at once, each with its own connection to the test's
// database and one pause table for all, as the server does. The number of threads that
// could not open their connection.
int inThreads(int n, KeyedLoginThrottle &throttle,
              const std::function<void(ReaderPortal &, int)> &work)
{
    std::atomic<int> failures{0};
    QList<QThread *> threads;
    for (int i = 0; i < n; ++i) {
        threads << QThread::create([&throttle, &failures, &work, i] {
            const QString name = QStringLiteral("portal-%1").arg(i);
            if (SharedConnection::openCopy(name)) {
                ReaderPortal portal(throttle, QSqlDatabase::database(name, false));
                work(portal, i);
            } else {
                ++failures;
            }
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        });
    }
    for (QThread *t : threads)
        t->start();
    for (QThread *t : threads) {
        if (!t->wait(60000))
            ++failures;
        delete t;
    }
    return failures;
}

} // namespace

class ReaderPortalTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void signIn_data();
    void signIn();
    void plainTextReplacedByItsHashOnce();
    void plainTextReplacedOnceWhenSignedInFromManyThreads();
    void oneOfManyReadersReservingAtOnceGetsTheBook();
    void pauseAfterFiveWrongPasswords();
    void openLoansChargedAsTheReturnDeskCharges();
    void loanHistoryPaged();
    void account();
    void changePassword_data();
    void changePassword();
    void reserve_data();
    void reserve();
    void ownReservationsListed();
    void cancelOwnOnly();
    void deskHonoursTheReservation();

private:
    TestDb m_db;
};

void ReaderPortalTest::init()
{
    TSGL_FRESH_DB(m_db);
    LoginContext &c = loginContext();
    c.readerValidityEnabled = true;
    c.reservationEnabled = true;
    c.overdueFineEnabled = true;
    c.overdueFinePerDay = Money::fromDouble(0.3);
    c.adminName = QStringLiteral("张三");
    run(QStringLiteral("insert into 读者类别 (类别名, 借阅天数, 借阅数量限制, 租金) "
                       "values ('学生', 14, 3, 0.5)"));
    addReader(QStringLiteral("R1"), QStringLiteral("C1"),
              PasswordHash::make(QStringLiteral("secret1")));
    addReader(QStringLiteral("R2"), QStringLiteral("C2"), QStringLiteral("8888"));
    addReader(QStringLiteral("R3"), QStringLiteral("C3"), QStringLiteral("8888"),
              QStringLiteral("停用"));
    addReader(QStringLiteral("R4"), QStringLiteral("C4"), QStringLiteral("8888"),
              QStringLiteral("正常"), QDate(2026, 2, 28));
    addReader(QStringLiteral("R5"), QStringLiteral("C5"), QVariant());
    addReader(QStringLiteral("R6"), QStringLiteral("DUP"), QStringLiteral("p6"));
    addReader(QStringLiteral("R7"), QStringLiteral("DUP"), QStringLiteral("p7"));
    // A reader whose number is R2's card number.
    addReader(QStringLiteral("C2"), QVariant(), QStringLiteral("pc2"));
    addReader(QStringLiteral("R8"), QVariant(), QStringLiteral("8888"), QStringLiteral("正常"),
              Now.date());
}

void ReaderPortalTest::signIn_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("validityEnforced");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("message");

    using S = ReaderPortal::SignIn;
    const QString wrong = QStringLiteral("读者编号/卡号或密码不正确.");
    QTest::newRow("number, hashed password") << "R1"
                                             << "secret1" << true << int(S::SignedIn) << "R1"
                                             << "";
    QTest::newRow("card number") << "C1"
                                 << "secret1" << true << int(S::SignedIn) << "R1"
                                 << "";
    QTest::newRow("blanks around the number") << " R1 "
                                              << "secret1" << true << int(S::SignedIn) << "R1"
                                              << "";
    QTest::newRow("wrong password") << "R1"
                                    << "secret2" << true << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("password not trimmed")
        << "R1"
        << " secret1" << true << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("unknown number, same answer")
        << "R99"
        << "secret1" << true << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("plain default password") << "R2"
                                            << "8888" << true << int(S::SignedIn) << "R2"
                                            << "";
    QTest::newRow("suspended") << "R3"
                               << "8888" << true << int(S::Suspended) << ""
                               << "您的借阅证状态是\"停用\"";
    QTest::newRow("suspended, wrong password: state not told")
        << "R3"
        << "1234" << true << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("expired") << "C4"
                             << "8888" << true << int(S::Expired) << ""
                             << "有效期是: 2026-02-28 ,已经过期";
    QTest::newRow("expired, validity not enforced") << "R4"
                                                    << "8888" << false << int(S::SignedIn) << "R4"
                                                    << "";
    QTest::newRow("valid until today") << "R8"
                                       << "8888" << true << int(S::SignedIn) << "R8"
                                       << "";
    QTest::newRow("no password stored") << "R5"
                                        << "x" << true << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("card shared by two readers")
        << "DUP"
        << "p6" << true << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("a number before a card") << "C2"
                                            << "pc2" << true << int(S::SignedIn) << "C2"
                                            << "";
    QTest::newRow("the card's reader not taken for the number")
        << "C2"
        << "8888" << true << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("empty") << ""
                           << "" << true << int(S::WrongPassword) << ""
                           << "请输入读者编号(或卡号)和密码.";
    QTest::newRow("overlong number") << QString(200, QLatin1Char('R')) << "secret1" << true
                                     << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("a NUL character") << QStringLiteral("R1") + QChar(0) << "secret1" << true
                                     << int(S::WrongPassword) << "" << wrong;
    QTest::newRow("quotes") << "R1' or '1'='1"
                            << "' or '1'='1" << true << int(S::WrongPassword) << "" << wrong;
}

void ReaderPortalTest::signIn()
{
    QFETCH(QString, typed);
    QFETCH(QString, password);
    QFETCH(bool, validityEnforced);
    QFETCH(int, status);
    QFETCH(QString, reader);
    QFETCH(QString, message);
    loginContext().readerValidityEnabled = validityEnforced;
    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    const ReaderPortal::SignIn r = portal.signIn(typed, password, Now);
    QCOMPARE(int(r.status), status);
    QCOMPARE(r.readerNumber, reader);
    QVERIFY2(message.isEmpty() ? r.message.isEmpty() : r.message.contains(message),
             qPrintable(r.message));
    QVERIFY(r.detail.isEmpty());
    QCOMPARE(r.defaultPassword,
             status == int(ReaderPortal::SignIn::SignedIn) && password == "8888");
}

void ReaderPortalTest::plainTextReplacedByItsHashOnce()
{
    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    QCOMPARE(portal.signIn(QStringLiteral("C2"), QStringLiteral("8888"), Now).status,
             ReaderPortal::SignIn::WrongPassword);
    QCOMPARE(storedPassword(QStringLiteral("R2")), QStringLiteral("8888"));

    QCOMPARE(portal.signIn(QStringLiteral("R2"), QStringLiteral("8888"), Now).status,
             ReaderPortal::SignIn::SignedIn);
    const QString hash = storedPassword(QStringLiteral("R2"));
    QVERIFY(PasswordHash::isHash(hash));
    QVERIFY(PasswordHash::matches(QStringLiteral("8888"), hash));
    // The next sign-in checks the hash and leaves it as it is.
    QCOMPARE(portal.signIn(QStringLiteral("R2"), QStringLiteral("8888"), Now).status,
             ReaderPortal::SignIn::SignedIn);
    QCOMPARE(storedPassword(QStringLiteral("R2")), hash);
    QCOMPARE(portal.signIn(QStringLiteral("R2"), hash, Now).status,
             ReaderPortal::SignIn::WrongPassword);
    // A suspended reader's right password is replaced as well; he is still told his state.
    QCOMPARE(portal.signIn(QStringLiteral("R3"), QStringLiteral("8888"), Now).status,
             ReaderPortal::SignIn::Suspended);
    QVERIFY(PasswordHash::isHash(storedPassword(QStringLiteral("R3"))));
    // Nobody else's password changed.
    QCOMPARE(storedPassword(QStringLiteral("R4")), QStringLiteral("8888"));
}

void ReaderPortalTest::plainTextReplacedOnceWhenSignedInFromManyThreads()
{
    KeyedLoginThrottle throttle;
    std::atomic<int> signedIn{0};
    const int failures = inThreads(4, throttle, [&signedIn](ReaderPortal &portal, int) {
        for (int k = 0; k < 3; ++k) {
            if (portal.signIn(QStringLiteral("R2"), QStringLiteral("8888"), Now).status ==
                ReaderPortal::SignIn::SignedIn)
                ++signedIn;
        }
    });
    QCOMPARE(failures, 0);
    QCOMPARE(signedIn.load(), 12);
    QVERIFY(PasswordHash::matches(QStringLiteral("8888"), storedPassword(QStringLiteral("R2"))));
}

void ReaderPortalTest::oneOfManyReadersReservingAtOnceGetsTheBook()
{
    addBook({QStringLiteral("OUT")});
    KeyedLoginThrottle throttle;
    const QStringList readers{QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R8"),
                              QStringLiteral("C2")};
    std::atomic<int> placed{0};
    std::atomic<int> refused{0};
    const int failures = inThreads(4, throttle, [&](ReaderPortal &portal, int i) {
        const auto r = portal.reserve(readers[i], QStringLiteral("OUT"), Now);
        if (r.status == ReaderPortal::ReserveOutcome::Placed)
            ++placed;
        else if (r.status == ReaderPortal::ReserveOutcome::ReservedByOther)
            ++refused;
    });
    QCOMPARE(failures, 0);
    QCOMPARE(placed.load(), 1);
    QCOMPARE(refused.load(), 3);
    QVERIFY(readers.contains(reservationOf(QStringLiteral("OUT")).section(QLatin1Char(' '), 0, 0)));
}

void ReaderPortalTest::pauseAfterFiveWrongPasswords()
{
    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    QDateTime t = Now;
    // Wrong by number and by card count together for the reader.
    for (int i = 0; i < LoginThrottle::FreeTries; ++i) {
        const QString typed = i % 2 ? QStringLiteral("C1") : QStringLiteral("R1");
        QCOMPARE(portal.signIn(typed, QStringLiteral("nope"), t).status,
                 ReaderPortal::SignIn::WrongPassword);
        t = t.addMSecs(100);
    }
    ReaderPortal::SignIn r = portal.signIn(QStringLiteral("R1"), QStringLiteral("secret1"), t);
    QCOMPARE(r.status, ReaderPortal::SignIn::Throttled);
    QCOMPARE(r.waitMs, LoginThrottle::WaitMs - 100);
    QCOMPARE(r.message, QStringLiteral("密码已连续输错5次,请等待5秒后再试."));
    QVERIFY(r.readerNumber.isEmpty());
    // Another reader is not held up.
    QCOMPARE(portal.signIn(QStringLiteral("R2"), QStringLiteral("8888"), t).status,
             ReaderPortal::SignIn::SignedIn);
    // Once the pause is over the right password is let in and the row of wrongs ends.
    t = t.addMSecs(LoginThrottle::WaitMs);
    QCOMPARE(portal.signIn(QStringLiteral("C1"), QStringLiteral("secret1"), t).status,
             ReaderPortal::SignIn::SignedIn);
    QCOMPARE(throttle.wrongInARow(QStringLiteral("R1")), 0);
    QCOMPARE(portal.signIn(QStringLiteral("R1"), QStringLiteral("nope"), t).status,
             ReaderPortal::SignIn::WrongPassword);
    QCOMPARE(portal.signIn(QStringLiteral("R1"), QStringLiteral("secret1"), t).status,
             ReaderPortal::SignIn::SignedIn);

    // A number nobody has is paused the same way, so it cannot be told from a real one.
    for (int i = 0; i < LoginThrottle::FreeTries; ++i)
        QCOMPARE(portal.signIn(QStringLiteral("R404"), QStringLiteral("nope"), t).status,
                 ReaderPortal::SignIn::WrongPassword);
    QCOMPARE(portal.signIn(QStringLiteral("R404"), QStringLiteral("nope"), t).status,
             ReaderPortal::SignIn::Throttled);
    // Wrong old passwords in the password form count too.
    for (int i = 0; i < LoginThrottle::FreeTries; ++i)
        QCOMPARE(portal
                     .changePassword(QStringLiteral("R2"), QStringLiteral("bad"),
                                     QStringLiteral("newpass1"), QStringLiteral("newpass1"), t)
                     .status,
                 ReaderPortal::PasswordChange::WrongOldPassword);
    QCOMPARE(portal.signIn(QStringLiteral("R2"), QStringLiteral("8888"), t).status,
             ReaderPortal::SignIn::Throttled);
}

void ReaderPortalTest::openLoansChargedAsTheReturnDeskCharges()
{
    loginContext().rentEnabled = true;
    addLoan(QStringLiteral("R1"), QStringLiteral("B1"), QStringLiteral("2026-02-01"),
            QStringLiteral("2026-02-15"), QStringLiteral("0.5"));
    addLoan(QStringLiteral("R1"), QStringLiteral("B2"), QStringLiteral("2026-02-20"),
            QStringLiteral("2026-03-06"), QVariant());
    // Due at noon: half a day is rounded to the even number.
    addLoan(QStringLiteral("R1"), QStringLiteral("B3"), QStringLiteral("2026-01-10"),
            QStringLiteral("2026-02-26 12:00:00"), QStringLiteral("0.25"));
    addLoan(QStringLiteral("R1"), QStringLiteral("B4"), QVariant(), QVariant(), QVariant());
    addLoan(QStringLiteral("R1"), QStringLiteral("B5"), QStringLiteral("2026-01-01"),
            QStringLiteral("2026-01-15"), QVariant(), QStringLiteral("2026-01-20"));
    addLoan(QStringLiteral("R2"), QStringLiteral("B6"), QStringLiteral("2026-01-01"),
            QStringLiteral("2026-01-15"), QStringLiteral("1"));

    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    const ReaderPortal::OpenLoans open = portal.openLoans(QStringLiteral("R1"), Now);
    QVERIFY2(open.ok, qPrintable(open.detail));
    QVERIFY(open.finesCharged && open.rentCharged);
    QStringList numbers;
    for (const ReaderPortal::Loan &l : open.loans)
        numbers << l.itemNumber;
    // By due date; the loan without one last; the returned one and R2's are not there.
    QCOMPARE(numbers, QStringList({"B1", "B3", "B2", "B4"}));
    QCOMPARE(open.loans[0].charges.daysOverdue, 14);
    QCOMPARE(open.loans[0].charges.fine, Money::fromDouble(4.2));
    QCOMPARE(open.loans[1].charges.daysOverdue, 2);
    QCOMPARE(open.loans[2].charges.daysOverdue, -5);
    QCOMPARE(open.loans[2].charges.fineText(), QStringLiteral("0"));
    QVERIFY(!open.loans[3].charges.known);
    QCOMPARE(open.totalFine, Money::fromDouble(4.8));
    QCOMPARE(open.loans[0].lentOn, QDate(2026, 2, 1));
    QCOMPARE(open.loans[0].dueOn, QDate(2026, 2, 15));
    QCOMPARE(open.loans[0].barcode, QStringLiteral("TB1"));

    // The return desk finds the same loans and computes the same values for each.
    Returning::Conditions byReader;
    byReader.readerNumber = QStringLiteral("R1");
    const Returning::SearchResult desk = Returning::search(byReader);
    QVERIFY(desk.ok);
    QCOMPARE(desk.loans.size(), open.loans.size());
    for (const Returning::Loan &d : desk.loans) {
        const ReturnCharges expected = Returning::chargesOf(d, Now.date());
        const auto mine = std::find_if(open.loans.cbegin(), open.loans.cend(),
                                       [&d](const ReaderPortal::Loan &l) { return l.id == d.id; });
        QVERIFY(mine != open.loans.cend());
        QCOMPARE(mine->charges.known, expected.known);
        QCOMPARE(mine->charges.rentPeriod, expected.rentPeriod);
        QCOMPARE(mine->charges.rentText(), expected.rentText());
        QCOMPARE(mine->charges.daysOverdue, expected.daysOverdue);
        QCOMPARE(mine->charges.fine, expected.fine);
    }
    // And charges that fine when the book comes back today.
    Returning::ReturnRequest request;
    request.loanId = open.loans[0].id;
    const Returning::ReturnOutcome returned = Returning::returnLoan(request, Now.date());
    QVERIFY2(returned.ok, qPrintable(returned.message));
    QCOMPARE(returned.fine, open.loans[0].charges.fine);
    QCOMPARE(returned.rent, *open.loans[0].charges.rent);

    // Another reader, an unknown one and an empty number see none of these.
    const ReaderPortal::OpenLoans other = portal.openLoans(QStringLiteral("R2"), Now);
    QVERIFY(other.ok);
    QCOMPARE(other.loans.size(), 1);
    QCOMPARE(other.loans[0].itemNumber, QStringLiteral("B6"));
    QVERIFY(portal.openLoans(QStringLiteral("R99"), Now).loans.isEmpty());
    QVERIFY(!portal.openLoans(QString(), Now).ok);
}

void ReaderPortalTest::loanHistoryPaged()
{
    // Seven loans of R1 on different days (the fourth still out, one without a date), and
    // one of R2 between them.
    for (int day = 1; day <= 6; ++day)
        addLoan(QStringLiteral("R1"), QStringLiteral("H%1").arg(day),
                sqlDate(QDate(2026, 1, day * 3)), sqlDate(QDate(2026, 1, day * 3 + 14)), QVariant(),
                day == 4 ? QVariant() : sqlDate(QDate(2026, 1, day * 3 + 5)));
    addLoan(QStringLiteral("R1"), QStringLiteral("H0"), QVariant(), QVariant(), QVariant(),
            QStringLiteral("2026-01-02"));
    addLoan(QStringLiteral("R2"), QStringLiteral("X"), QStringLiteral("2026-01-10"),
            QStringLiteral("2026-01-24"), QVariant());

    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    auto numbers = [&portal](int page, int size, int *total = nullptr) {
        const ReaderPortal::LoanHistory h = portal.loanHistory(QStringLiteral("R1"), page, size);
        QStringList out;
        if (!h.ok)
            return QStringList{h.detail};
        for (const ReaderPortal::Loan &l : h.loans)
            out << l.itemNumber + (l.returned ? QString() : QStringLiteral("*"));
        if (total)
            *total = h.total;
        return out;
    };
    int total = 0;
    QCOMPARE(numbers(0, 3, &total), QStringList({"H6", "H5", "H4*"}));
    QCOMPARE(total, 7);
    QCOMPARE(numbers(1, 3), QStringList({"H3", "H2", "H1"}));
    QCOMPARE(numbers(2, 3), QStringList({"H0"}));
    QCOMPARE(numbers(3, 3), QStringList());
    QCOMPARE(numbers(-5, 3), QStringList({"H6", "H5", "H4*"}));
    QCOMPARE(numbers(0, 0).size(), 1);      // the size is kept at 1 or more
    QCOMPARE(numbers(0, 100000).size(), 7); // and at most MaxPageSize
    const ReaderPortal::LoanHistory h = portal.loanHistory(QStringLiteral("R1"), 0, 1);
    QCOMPARE(h.pageCount(), 7);
    QCOMPARE(h.loans[0].returnedOn, QDate(2026, 1, 23));
    QCOMPARE(h.loans[0].fineCharged, std::optional<Money>(Money::fromDouble(1.5)));
    QCOMPARE(portal.loanHistory(QStringLiteral("R2"), 0, 10).total, 1);
    QCOMPARE(portal.loanHistory(QStringLiteral("R'1"), 0, 10).total, 0);
}

void ReaderPortalTest::account()
{
    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    const ReaderPortal::Account a = portal.account(QStringLiteral("R4"));
    QVERIFY2(a.ok, qPrintable(a.detail));
    QCOMPARE(a.readerNumber, QStringLiteral("R4"));
    QCOMPARE(a.name, QStringLiteral("读者R4"));
    QCOMPARE(a.cardId, QStringLiteral("C4"));
    QCOMPARE(a.category, QStringLiteral("学生"));
    QCOMPARE(a.state, QStringLiteral("正常"));
    QCOMPARE(a.validUntil, QDate(2026, 2, 28));
    QCOMPARE(a.balance, Money::fromDouble(12.5));
    QCOMPARE(a.totalLoans, 4);
    QCOMPARE(a.loanDays, 14);
    QCOMPARE(a.loanLimit, 3);
    QVERIFY(a.validityEnforced);
    for (const QString &nobody : {QStringLiteral("R99"), QString(), QStringLiteral("R4' or 1=1")})
        QVERIFY(!portal.account(nobody).ok);
}

void ReaderPortalTest::changePassword_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    using P = ReaderPortal::PasswordChange;
    QTest::newRow("hashed old password") << "R1"
                                         << "secret1"
                                         << "书山有路勤为径"
                                         << "书山有路勤为径" << int(P::Changed) << "密码修改成功.";
    QTest::newRow("plain old password") << "R2"
                                        << "8888"
                                        << "newpass"
                                        << "newpass" << int(P::Changed) << "密码修改成功.";
    QTest::newRow("wrong old password")
        << "R1"
        << "secret"
        << "newpass"
        << "newpass" << int(P::WrongOldPassword) << "旧密码输入错误！";
    QTest::newRow("another reader's password")
        << "R1"
        << "8888"
        << "newpass"
        << "newpass" << int(P::WrongOldPassword) << "旧密码输入错误！";
    QTest::newRow("confirmation differs")
        << "R1"
        << "secret1"
        << "newpass"
        << "newpasS" << int(P::Mismatch) << "两次输入的新密码不一致！";
    QTest::newRow("five characters") << "R2"
                                     << "8888"
                                     << "12345"
                                     << "12345" << int(P::Unacceptable) << "新密码至少要6位.";
    QTest::newRow("six characters") << "R2"
                                    << "8888"
                                    << "123456"
                                    << "123456" << int(P::Changed) << "密码修改成功.";
    QTest::newRow("65 characters")
        << "R2"
        << "8888" << QString(65, QLatin1Char('x')) << QString(65, QLatin1Char('x'))
        << int(P::Unacceptable) << "新密码最多64位.";
    QTest::newRow("blanks only") << "R2"
                                 << "8888"
                                 << "       "
                                 << "       " << int(P::Unacceptable) << "新密码不能全是空格.";
    QTest::newRow("no reader") << ""
                               << "8888"
                               << "newpass"
                               << "newpass" << int(P::WrongOldPassword) << "旧密码输入错误！";
}

void ReaderPortalTest::changePassword()
{
    QFETCH(QString, reader);
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QString before = reader.isEmpty() ? QString() : storedPassword(reader);
    const QString r2Before = storedPassword(QStringLiteral("R2"));
    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    const ReaderPortal::PasswordChange r =
        portal.changePassword(reader, oldPassword, newPassword, confirmation, Now);
    QCOMPARE(int(r.status), status);
    QCOMPARE(r.message, message);
    if (status != int(ReaderPortal::PasswordChange::Changed)) {
        if (!reader.isEmpty())
            QCOMPARE(storedPassword(reader), before);
        return;
    }
    const QString stored = storedPassword(reader);
    QVERIFY(PasswordHash::isHash(stored));
    QVERIFY(PasswordHash::matches(newPassword, stored));
    QCOMPARE(portal.signIn(reader, newPassword, Now).status, ReaderPortal::SignIn::SignedIn);
    QCOMPARE(portal.signIn(reader, oldPassword, Now).status, ReaderPortal::SignIn::WrongPassword);
    if (reader != QStringLiteral("R2"))
        QCOMPARE(storedPassword(QStringLiteral("R2")), r2Before);
}

void ReaderPortalTest::reserve_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("book");
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("row");     // the book's reservation afterwards
    QTest::addColumn<QString>("message"); // a part of the message

    using R = ReaderPortal::ReserveOutcome;
    const QString in3 = QStringLiteral("R1 2026-03-04 10:00:00");
    const QString r2 = QStringLiteral("R2 2026-03-02 10:00:00");
    QTest::newRow("all copies out") << "R1"
                                    << "OUT" << 3 << true << int(R::Placed) << in3
                                    << "已为您预定《书名OUT》,预定保留到 2026-03-04 10:00.";
    QTest::newRow("a period of 7 days")
        << "R1"
        << "OUT" << 7 << true << int(R::Placed) << "R1 2026-03-08 10:00:00"
        << "预定保留到 2026-03-08 10:00.";
    QTest::newRow("a period out of range: the default")
        << "R1"
        << "OUT" << 0 << true << int(R::Placed) << in3 << "预定保留到 2026-03-04 10:00.";
    QTest::newRow("on the shelf") << "R1"
                                  << "SHELF" << 3 << true << int(R::OnShelf) << "- -"
                                  << "现有2本在架";
    QTest::newRow("not for loan") << "R1"
                                  << "NOLOAN" << 3 << true << int(R::NotForLoan) << "- -"
                                  << "不外借";
    QTest::newRow("held by another reader")
        << "R1"
        << "OTHER" << 3 << true << int(R::ReservedByOther) << r2 << "其他读者预定";
    QTest::newRow("held for ever by another reader")
        << "R1"
        << "FOREVER" << 3 << true << int(R::ReservedByOther) << "R2 -"
        << "其他读者预定";
    QTest::newRow("held by empty text") << "R1"
                                        << "EMPTY" << 3 << true << int(R::ReservedByOther) << " -"
                                        << "其他读者预定";
    QTest::newRow("another reader's lapsed reservation")
        << "R1"
        << "LAPSED" << 3 << true << int(R::Placed) << in3 << "书名LAPSED";
    QTest::newRow("already the reader's")
        << "R1"
        << "MINE" << 3 << true << int(R::AlreadyYours) << "R1 2026-03-01 12:00:00"
        << "您已经预定了《书名MINE》,预定保留到 2026-03-01 12:00.";
    QTest::newRow("the reader's own, lapsed")
        << "R1"
        << "MINE_OLD" << 3 << true << int(R::Placed) << in3 << "预定保留到 2026-03-04 10:00.";
    QTest::newRow("no such book") << "R1"
                                  << "NONE" << 3 << true << int(R::NotFound) << "no row"
                                  << "没有编号为\"NONE\"的图书.";
    QTest::newRow("a NUL character")
        << "R1" << QStringLiteral("OUT") + QChar(0) << 3 << true << int(R::NotFound) << "no row"
        << "的图书.";
    QTest::newRow("a periodical") << "R1"
                                  << "QK" << 3 << true << int(R::NotFound) << "no row"
                                  << "没有编号为\"QK\"的图书.";
    QTest::newRow("a suspended reader") << "R3"
                                        << "OUT" << 3 << true << int(R::ReaderRefused) << "- -"
                                        << "停用";
    QTest::newRow("an expired reader") << "R4"
                                       << "OUT" << 3 << true << int(R::ReaderRefused) << "- -"
                                       << "已经过期";
    QTest::newRow("no such reader") << "R99"
                                    << "OUT" << 3 << true << int(R::ReaderRefused) << "- -"
                                    << "没有该读者的资料";
    QTest::newRow("reservations off") << "R1"
                                      << "OUT" << 3 << false << int(R::Disabled) << "- -"
                                      << "本馆没有开放预定.";
}

void ReaderPortalTest::reserve()
{
    QFETCH(QString, reader);
    QFETCH(QString, book);
    QFETCH(int, days);
    QFETCH(bool, enabled);
    QFETCH(int, status);
    QFETCH(QString, row);
    QFETCH(QString, message);
    loginContext().reservationEnabled = enabled;
    addBook({QStringLiteral("OUT")});
    addBook({QStringLiteral("SHELF"), 2});
    addBook({QStringLiteral("NOLOAN"), 0, QStringLiteral("不外借")});
    addBook({QStringLiteral("OTHER"), 0, QStringLiteral("正常"), QStringLiteral("R2"),
             sqlDateTime(Now.addDays(1))});
    addBook({QStringLiteral("FOREVER"), 0, QStringLiteral("正常"), QStringLiteral("R2")});
    addBook({QStringLiteral("EMPTY"), 0, QStringLiteral("正常"), QStringLiteral("")});
    addBook({QStringLiteral("LAPSED"), 0, QStringLiteral("正常"), QStringLiteral("R2"),
             sqlDateTime(Now.addSecs(-1))});
    addBook({QStringLiteral("MINE"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addSecs(7200))});
    addBook({QStringLiteral("MINE_OLD"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addDays(-1))});
    addBook({QStringLiteral("QK"), 0, QStringLiteral("正常"), {}, {}, QStringLiteral("期刊")});

    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    // The moment has milliseconds; the reservation is kept to the second.
    const ReaderPortal::ReserveOutcome r = portal.reserve(reader, book, Now.addMSecs(250), days);
    QCOMPARE(int(r.status), status);
    QVERIFY2(r.message.contains(message), qPrintable(r.message));
    QVERIFY2(!r.message.contains(QStringLiteral("R2")), qPrintable(r.message));
    QCOMPARE(reservationOf(book), row);
    // The time the reservation holds to, as the row keeps it.
    if (status == int(ReaderPortal::ReserveOutcome::Placed) ||
        status == int(ReaderPortal::ReserveOutcome::AlreadyYours))
        QCOMPARE(r.until.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), row.mid(3));
    else
        QVERIFY(!r.until.isValid());
    QCOMPARE(reservationOf(QStringLiteral("QK"), QStringLiteral("期刊")), QStringLiteral("- -"));
}

void ReaderPortalTest::ownReservationsListed()
{
    addBook({QStringLiteral("B2"), 1, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addDays(2))});
    addBook({QStringLiteral("B1"), 0, QStringLiteral("正常"), QStringLiteral("R1")});
    addBook({QStringLiteral("B3"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addSecs(-60))}); // lapsed
    addBook({QStringLiteral("B4"), 0, QStringLiteral("正常"), QStringLiteral("R2"),
             sqlDateTime(Now.addDays(2))});
    addBook({QStringLiteral("B5"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now)}); // lapses after this moment
    addBook({QStringLiteral("Q1"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addDays(1)), QStringLiteral("期刊")});

    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    const ReaderPortal::Reservations list = portal.reservations(QStringLiteral("R1"), Now);
    QVERIFY2(list.ok, qPrintable(list.detail));
    QStringList rows;
    for (const ReaderPortal::Reservation &r : list.rows)
        rows << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(r.kind, r.itemNumber, r.title, r.location,
                             r.until.isValid() ? r.until.toString(QStringLiteral("MM-dd HH:mm"))
                                               : QStringLiteral("-")) +
                    (r.onShelf ? QStringLiteral(" 在架") : QString());
    QCOMPARE(rows,
             QStringList({"图书 B1 书名B1 二楼 -", "图书 B2 书名B2 二楼 03-03 10:00 在架",
                          "图书 B5 书名B5 二楼 03-01 10:00", "期刊 Q1 书名Q1 二楼 03-02 10:00"}));
    const ReaderPortal::Reservations other = portal.reservations(QStringLiteral("R2"), Now);
    QCOMPARE(other.rows.size(), 1);
    QCOMPARE(other.rows[0].itemNumber, QStringLiteral("B4"));
    QVERIFY(!portal.reservations(QString(), Now).ok);
}

void ReaderPortalTest::cancelOwnOnly()
{
    addBook({QStringLiteral("MINE"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addDays(2))});
    addBook({QStringLiteral("OLD"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addDays(-2))});
    addBook({QStringLiteral("HIS"), 0, QStringLiteral("正常"), QStringLiteral("R2"),
             sqlDateTime(Now.addDays(2))});
    addBook({QStringLiteral("EMPTY"), 0, QStringLiteral("正常"), QStringLiteral("")});
    addBook({QStringLiteral("Q1"), 0, QStringLiteral("正常"), QStringLiteral("R1"),
             sqlDateTime(Now.addDays(1)), QStringLiteral("期刊")});

    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    using C = ReaderPortal::CancelOutcome;
    const QString book = QStringLiteral("图书");
    QCOMPARE(portal.cancelReservation(QStringLiteral("R1"), book, QStringLiteral("HIS")).status,
             C::NotYours);
    QCOMPARE(reservationOf(QStringLiteral("HIS")), QStringLiteral("R2 2026-03-03 10:00:00"));
    QCOMPARE(portal.cancelReservation(QString(), book, QStringLiteral("EMPTY")).status,
             C::NotYours);
    QCOMPARE(reservationOf(QStringLiteral("EMPTY")), QStringLiteral(" -"));
    QCOMPARE(
        portal
            .cancelReservation(QStringLiteral("R1"), QStringLiteral("读者库"), QStringLiteral("R1"))
            .status,
        C::NotYours);
    QCOMPARE(portal.cancelReservation(QStringLiteral("R1"), book, QStringLiteral("NONE")).status,
             C::NotYours);
    QCOMPARE(portal.cancelReservation(QStringLiteral("R1"), book, QStringLiteral("MINE") + QChar(0))
                 .status,
             C::NotYours);

    const C mine = portal.cancelReservation(QStringLiteral("R1"), book, QStringLiteral("MINE"));
    QCOMPARE(mine.status, C::Cancelled);
    QCOMPARE(mine.message, QStringLiteral("已取消预定."));
    QCOMPARE(reservationOf(QStringLiteral("MINE")), QStringLiteral("- -"));
    QCOMPARE(portal.cancelReservation(QStringLiteral("R1"), book, QStringLiteral("MINE")).status,
             C::NotYours);
    QCOMPARE(portal.cancelReservation(QStringLiteral("R1"), book, QStringLiteral("OLD")).status,
             C::Cancelled);
    QCOMPARE(
        portal.cancelReservation(QStringLiteral("R1"), QStringLiteral("期刊"), QStringLiteral("Q1"))
            .status,
        C::Cancelled);
    QCOMPARE(reservationOf(QStringLiteral("Q1"), QStringLiteral("期刊")), QStringLiteral("- -"));
    QCOMPARE(reservationOf(QStringLiteral("HIS")), QStringLiteral("R2 2026-03-03 10:00:00"));
}

void ReaderPortalTest::deskHonoursTheReservation()
{
    // R2 has the only copy out; R1 reserves it from the web pages.
    addBook({QStringLiteral("B1"), 1});
    {
        LendingDesk desk;
        QCOMPARE(desk.acceptReader(QStringLiteral("R2"), Now.date()).status,
                 LendingDesk::ReaderOutcome::Accepted);
        const auto found =
            desk.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber, QStringLiteral("B1"), Now);
        QVERIFY(found.ok);
        QCOMPARE(desk.queueItem(LendingDesk::Book, found.rows.first()).status,
                 LendingDesk::QueueOutcome::Queued);
        QCOMPARE(desk.lend(Now, false).status, LendingDesk::LendOutcome::Lent);
    }
    KeyedLoginThrottle throttle;
    ReaderPortal portal(throttle);
    const QDateTime reservedAt = Now.addSecs(3600);
    QCOMPARE(portal.reserve(QStringLiteral("R1"), QStringLiteral("B1"), reservedAt).status,
             ReaderPortal::ReserveOutcome::Placed);
    QCOMPARE(portal.reserve(QStringLiteral("R8"), QStringLiteral("B1"), reservedAt).status,
             ReaderPortal::ReserveOutcome::ReservedByOther);

    // The copy comes back at the desk; the reservation stays.
    Returning::Conditions byReader;
    byReader.readerNumber = QStringLiteral("R2");
    const Returning::SearchResult out = Returning::search(byReader);
    QCOMPARE(out.loans.size(), 1);
    Returning::ReturnRequest request;
    request.loanId = out.loans.first().id;
    QVERIFY(Returning::returnLoan(request, Now.date().addDays(1)).ok);
    QCOMPARE(reservationOf(QStringLiteral("B1")), QStringLiteral("R1 2026-03-04 11:00:00"));

    // Lent to another reader: refused. To the reader who reserved it: lent, and it is consumed.
    const QDateTime lendAt = Now.addDays(2);
    {
        LendingDesk desk;
        QCOMPARE(desk.acceptReader(QStringLiteral("R2"), lendAt.date()).status,
                 LendingDesk::ReaderOutcome::Accepted);
        const auto found = desk.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber,
                                            QStringLiteral("B1"), lendAt);
        QVERIFY(found.ok);
        const LendingDesk::QueueOutcome q = desk.queueItem(LendingDesk::Book, found.rows.first());
        QCOMPARE(q.status, LendingDesk::QueueOutcome::Refused);
        QCOMPARE(q.message, QStringLiteral("该图书已经被读者编号为: (R1) 的读者预定了，您不能借."));
    }
    {
        LendingDesk desk;
        QCOMPARE(desk.acceptReader(QStringLiteral("C1"), lendAt.date()).status,
                 LendingDesk::ReaderOutcome::Accepted);
        const auto found = desk.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber,
                                            QStringLiteral("B1"), lendAt);
        QVERIFY(found.ok);
        QCOMPARE(desk.queueItem(LendingDesk::Book, found.rows.first()).status,
                 LendingDesk::QueueOutcome::Queued);
        QCOMPARE(desk.lend(lendAt, false).status, LendingDesk::LendOutcome::Lent);
    }
    QCOMPARE(reservationOf(QStringLiteral("B1")), QStringLiteral("- -"));
    QVERIFY(portal.reservations(QStringLiteral("R1"), lendAt).rows.isEmpty());
    const ReaderPortal::OpenLoans loans = portal.openLoans(QStringLiteral("R1"), lendAt);
    QCOMPARE(loans.loans.size(), 1);
    QCOMPARE(loans.loans[0].dueOn, lendAt.date().addDays(14));

    // A reservation that lapsed is no bar at the desk: another reader borrows after it.
    addBook({QStringLiteral("B2"), 0});
    QCOMPARE(portal.reserve(QStringLiteral("R1"), QStringLiteral("B2"), Now).status,
             ReaderPortal::ReserveOutcome::Placed);
    run(QStringLiteral("update 图书 set 数量=1 where 编号='B2'"));
    const QDateTime afterLapse = Now.addDays(3).addSecs(1);
    LendingDesk desk;
    QCOMPARE(desk.acceptReader(QStringLiteral("R2"), afterLapse.date()).status,
             LendingDesk::ReaderOutcome::Accepted);
    const auto found = desk.lookUpItems(LendingDesk::Book, LendingDesk::ByNumber,
                                        QStringLiteral("B2"), afterLapse);
    QVERIFY(found.ok);
    QCOMPARE(desk.queueItem(LendingDesk::Book, found.rows.first()).status,
             LendingDesk::QueueOutcome::Queued);
}

QTEST_GUILESS_MAIN(ReaderPortalTest)
#include "reader_portal_dbtest.moc"
