#pragma once

#include <QString>

// Creation of a new library database: the tables, indexes and default rows.
namespace DatabaseSetup {

// Creates the embedded database file at path. The file must not exist yet, or be empty; a
// path with a semicolon is refused, as a connection string could not name it.
bool createEmbedded(const QString &path, QString *error);
// Puts the small sample library into the embedded database at path, so that a new user can
// try every window at once.
bool fillEmbeddedDemo(const QString &path, QString *error);

} // namespace DatabaseSetup
