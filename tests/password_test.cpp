// The stored administrator passwords and the wait after wrong passwords in a row, also kept
// apart per reader number for the web pages.
#include "admin/LoginThrottle.h"
#include "admin/PasswordHash.h"

#include <QPasswordDigestor>
#include <QtTest>

namespace {

// A stored hash as make() writes it, with any iteration count.
QString hashWith(const QString &password, int iterations)
{
    const QByteArray salt("0123456789abcdef");
    const QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha256, password.toUtf8(), salt, iterations, 32);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(key.toBase64()));
}

} // namespace

class PasswordTest : public QObject {
    Q_OBJECT
private slots:
    void storedIterationsAreCapped_data();
    void storedIterationsAreCapped();
    void waitAfterFiveWrongPasswords();
    void pauseKeptPerKeyAndBounded();
};

void PasswordTest::storedIterationsAreCapped_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<bool>("isHash");
    QTest::newRow("made by the program")
        << PasswordHash::make(QStringLiteral("8888")) << true << true;
    QTest::newRow("the highest count")
        << hashWith(QStringLiteral("8888"), PasswordHash::MaxIterations) << true << true;
    // The right password, but checking it would cost more than the login may wait.
    QTest::newRow("one more") << hashWith(QStringLiteral("8888"), PasswordHash::MaxIterations + 1)
                              << false << true;
    QTest::newRow("two billion") << QStringLiteral("pbkdf2-sha256$2000000000$MDEy$MDEy") << false
                                 << true;
    QTest::newRow("beyond an int")
        << QStringLiteral("pbkdf2-sha256$99999999999$MDEy$MDEy") << false << true;
    QTest::newRow("zero") << QStringLiteral("pbkdf2-sha256$0$MDEy$MDEy") << false << true;
    QTest::newRow("negative") << QStringLiteral("pbkdf2-sha256$-5$MDEy$MDEy") << false << true;
    // A damaged hash is no plain-text password: typing the stored text does not log in.
    QTest::newRow("not a number") << QStringLiteral("pbkdf2-sha256$many$MDEy$MDEy") << false
                                  << true;
    QTest::newRow("plain text") << QStringLiteral("8888") << true << false;
}

void PasswordTest::storedIterationsAreCapped()
{
    QFETCH(QString, stored);
    QFETCH(bool, matches);
    QFETCH(bool, isHash);
    QCOMPARE(PasswordHash::isHash(stored), isHash);
    QCOMPARE(PasswordHash::matches(QStringLiteral("8888"), stored), matches);
    if (isHash)
        QVERIFY(!PasswordHash::matches(stored, stored));
}

void PasswordTest::waitAfterFiveWrongPasswords()
{
    LoginThrottle throttle;
    QCOMPARE(LoginThrottle::FreeTries, 5);
    QVERIFY(LoginThrottle::WaitMs >= 2000 && LoginThrottle::WaitMs <= 10000);
    qint64 now = 1000;
    for (int i = 1; i < 5; ++i) {
        throttle.wrongPassword(now);
        QCOMPARE(throttle.remaining(now), qint64(0));
        now += 10;
    }
    throttle.wrongPassword(now); // the fifth
    QCOMPARE(throttle.remaining(now), LoginThrottle::WaitMs);
    QCOMPARE(throttle.remaining(now + 1200), LoginThrottle::WaitMs - 1200);
    QCOMPARE(LoginThrottle::seconds(LoginThrottle::WaitMs - 1200),
             int((LoginThrottle::WaitMs - 1200 + 999) / 1000));
    QCOMPARE(throttle.waitMessage(now + LoginThrottle::WaitMs - 1500),
             QStringLiteral("密码已连续输错5次,请等待2秒后再试."));
    QCOMPARE(throttle.remaining(now + LoginThrottle::WaitMs), qint64(0));
    // Every further wrong password waits again.
    now += LoginThrottle::WaitMs;
    throttle.wrongPassword(now);
    QCOMPARE(throttle.wrongInARow(), 6);
    QCOMPARE(throttle.remaining(now + 1), LoginThrottle::WaitMs - 1);
    // A right one ends the row.
    throttle.accepted();
    QCOMPARE(throttle.remaining(now + 1), qint64(0));
    QCOMPARE(throttle.wrongInARow(), 0);
}

void PasswordTest::pauseKeptPerKeyAndBounded()
{
    KeyedLoginThrottle throttle(2, 1000, 3);
    QCOMPARE(throttle.admit(QStringLiteral("a"), 0), qint64(0));
    QCOMPARE(throttle.admit(QStringLiteral("a"), 10), qint64(0));
    QCOMPARE(throttle.admit(QStringLiteral("a"), 20), qint64(990));
    QCOMPARE(throttle.wrongInARow(QStringLiteral("a")), 2); // a refused try is not counted
    QCOMPARE(throttle.admit(QStringLiteral("b"), 20), qint64(0));
    QCOMPARE(throttle.admit(QStringLiteral("c"), 30), qint64(0));
    // The table is full: the key idle for longest makes room, but not "a", still paused.
    QCOMPARE(throttle.admit(QStringLiteral("d"), 40), qint64(0));
    QCOMPARE(throttle.keyCount(), 3);
    QCOMPARE(throttle.wrongInARow(QStringLiteral("a")), 2);
    QCOMPARE(throttle.wrongInARow(QStringLiteral("b")), 0);
    QCOMPARE(throttle.wrongInARow(QStringLiteral("c")), 1);
    // With every key paused the one idle for longest goes.
    QCOMPARE(throttle.admit(QStringLiteral("c"), 50), qint64(0));
    QCOMPARE(throttle.admit(QStringLiteral("d"), 60), qint64(0));
    QCOMPARE(throttle.admit(QStringLiteral("b"), 70), qint64(0));
    QCOMPARE(throttle.wrongInARow(QStringLiteral("a")), 0);
    // Keys long idle are dropped first.
    const qint64 later = 70 + KeyedLoginThrottle::ForgetMs + 1;
    QCOMPARE(throttle.admit(QStringLiteral("e"), later), qint64(0));
    QCOMPARE(throttle.keyCount(), 1);
    throttle.accepted(QStringLiteral("e"));
    QCOMPARE(throttle.keyCount(), 0);
}

QTEST_GUILESS_MAIN(PasswordTest)
#include "password_test.moc"
