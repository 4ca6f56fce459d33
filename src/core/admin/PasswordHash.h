#pragma once

#include <QString>

// Administrator passwords are kept as salted PBKDF2-SHA256 hashes:
// "pbkdf2-sha256$<iterations>$<salt base64>$<hash base64>".
namespace PasswordHash {

// The highest iteration count a stored hash may ask for (a fraction of a second); make() uses
// far fewer.
inline constexpr int MaxIterations = 200000;

QString make(const QString &password);
// True when the stored value has the form of a hash made by make().
bool isHash(const QString &stored);
// Compares a typed password with a stored value. A stored value that is not a hash is an
// older plain-text password and is compared as text (the caller then replaces it). A hash
// with an iteration count that is not a number from 1 to MaxIterations matches nothing.
bool matches(const QString &password, const QString &stored);

} // namespace PasswordHash
