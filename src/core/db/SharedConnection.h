#pragma once

#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>

// The one database connection of the process. Windows and core classes reach it through
// database(); nothing opens a second connection to the library's database.
namespace SharedConnection {

inline constexpr const char *kName = "tsgl";

// Opens the connection that the connection string names (closing the previous one).
// Embedded: the file named by "Data Source"; it must exist unless allowCreate is set.
// Server: "Provider=PostgreSQL;Password=…;User ID=…;Initial Catalog=…;Data Source=host[:port];".
bool open(const QString &connectionString, SqlDialect dialect, QString *error = nullptr,
          bool allowCreate = false);
void close();
bool isOpen();
QSqlDatabase database();
SqlDialect dialect();

// A separate connection under another name, for tests of a server and for the database
// creator; the caller removes it with QSqlDatabase::removeDatabase.
bool openNamed(const QString &connectionName, const QString &connectionString, SqlDialect dialect,
               QString *error, bool allowCreate = false, int connectTimeoutSeconds = 10);

// The file an embedded connection string names, relative paths taken from the working
// directory.
QString embeddedFilePath(const QString &connectionString);

} // namespace SharedConnection
