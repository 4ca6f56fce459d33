#pragma once

#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QString>

// The one database connection of the process. Windows and core classes reach it through
// database(); nothing opens a second connection to the library's database, except a worker
// thread, which cannot use this one (a connection belongs to its thread) and opens a copy.
namespace SharedConnection {

inline constexpr const char *kName = "tsgl";

// Opens the connection that the connection string names (closing the previous one).
// Embedded: the file named by "Data Source"; it must exist unless allowCreate is set. A file
// that holds a database without any of the library's tables is refused and left as it was.
// Errors name the file or the server, with the database's own reason on the next line.
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

// Opens, in the calling thread, a connection with the shared connection's settings (the same
// file or server, database and login) under connectionName. For worker threads that read
// while the shared connection stays in use; the caller closes it and removes it with
// QSqlDatabase::removeDatabase in the same thread.
bool openCopy(const QString &connectionName, QString *error = nullptr);

// The refusal of a file that holds another program's database.
QString notALibraryMessage(const QString &file);

// The file an embedded connection string names, relative paths taken from the working
// directory.
QString embeddedFilePath(const QString &connectionString);

} // namespace SharedConnection
