#pragma once

#include <QString>

// Creation of a new library database: the tables, indexes and default rows.
namespace DatabaseSetup {

// Creates the embedded database file at path (which must not hold the tables yet).
bool createEmbedded(const QString &path, QString *error);
// Puts the small sample library into the embedded database at path, so that a new user can
// try every window at once.
bool fillEmbeddedDemo(const QString &path, QString *error);

} // namespace DatabaseSetup
