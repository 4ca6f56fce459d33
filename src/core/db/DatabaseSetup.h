#pragma once

#include <QString>

// Creation of a new library database: the tables, indexes and default rows.
namespace DatabaseSetup {

// Creates the embedded database file at path. The file must not exist yet, or be empty. Any
// name will do: the connection string quotes it ("Data Source=\"lib;x.db\";").
bool createEmbedded(const QString &path, QString *error);
// Puts the small sample library into the embedded database at path, so that a new user can
// try every window at once.
bool fillEmbeddedDemo(const QString &path, QString *error);

} // namespace DatabaseSetup
