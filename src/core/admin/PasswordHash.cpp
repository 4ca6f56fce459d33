#include "PasswordHash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace {

constexpr int kIterations = 40000;
constexpr int kKeyLength = 32;
const char kPrefix[] = "pbkdf2-sha256";

QByteArray derive(const QString &password, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, kKeyLength);
}

} // namespace

namespace PasswordHash {

QString make(const QString &password)
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()),
                                          salt.size() / 4);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(QLatin1String(kPrefix))
        .arg(kIterations)
        .arg(QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(derive(password, salt, kIterations).toBase64()));
}

bool isHash(const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    return parts.size() == 4 && parts[0] == QLatin1String(kPrefix);
}

bool matches(const QString &password, const QString &stored)
{
    if (!isHash(stored))
        return password == stored;
    const QStringList parts = stored.split(QLatin1Char('$'));
    // The count comes from the database: a damaged or planted row must not keep the login
    // busy for hours. Such a hash admits nobody.
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > MaxIterations)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    const QByteArray actual = derive(password, salt, iterations);
    // Compare every byte so the time does not tell how much matched.
    if (actual.size() != expected.size())
        return false;
    unsigned char diff = 0;
    for (int i = 0; i < actual.size(); ++i)
        diff |= static_cast<unsigned char>(actual[i] ^ expected[i]);
    return diff == 0;
}

} // namespace PasswordHash
