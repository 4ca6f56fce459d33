#pragma once

#include <QString>

// Creation of a new library database: the tables, indexes and default rows.
namespace DatabaseSetup {

// Creates the embedded database file at path (which must not hold the tables yet).
bool createEmbedded(const QString &path, QString *error);

} // namespace DatabaseSetup
