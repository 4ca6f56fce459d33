#pragma once

#include <QString>
#include <QStringList>

class IniFile;
struct LoginContext;

// The steps before the login: which de.ini, the configuration, the database file of the
// embedded database, and the opening of the shared connection.
namespace Startup {

inline const QString Title = QStringLiteral("图书管理系统");
// The embedded database a first start sets up: book.db beside de.ini.
inline const QString DefaultEmbeddedConnection = QStringLiteral("Data Source=book.db;");

// Where the installed program keeps de.ini and the embedded library of each user:
// ~/.local/share/tsgl (the XDG data home's tsgl folder).
QString userDataFolder();

// The de.ini to use, the first that applies:
// - the one given on the command line;
// - the one beside the program, when it is there (a portable copy in one folder);
// - the one in userDataDir for an installed program, that is one with its shared files in
//   ../share/tsgl beside its folder (/usr/bin/tsgl and /usr/share/tsgl): /usr/bin is no
//   place for a user's files;
// - else the one beside the program, made there at the first start (a build that is run
//   where it was built).
QString iniPath(const QString &configOption, const QString &applicationDir,
                const QString &userDataDir);
// The same with the user's data folder.
QString iniPath(const QString &configOption, const QString &applicationDir);

// Reads de.ini into the context. An embedded database without a connection string gets
// the default one, written to de.ini so that the file says which database is used. When
// there is no de.ini at all (a new installation) the file is made with the installation's
// texts: the program's name as title, empty telephone, organisation, web address and
// introduction, so that no window shows the bare "0" of a missing key. A de.ini that is
// there but cannot be read is left alone, and no database is made up in its place. The
// folder of a new de.ini is made when it is missing (the user's data folder at the first
// start of an installed program).
void readConfiguration(IniFile &ini, LoginContext &context);

// The embedded database file that does not exist yet, or an empty text (a server database,
// or the file is there).
QString missingDatabaseFile(const LoginContext &context);

enum class Connection { Open, Failed, Empty };
// Opens the shared connection; Empty when the database holds none of the library's tables.
// A file that holds another program's database fails and is left as it was. A library made
// by an earlier version is upgraded in place (SchemaUpgrade); notes receives what could not be
// upgraded and why, for the user to read.
Connection open(const LoginContext &context, QString *error = nullptr,
                QStringList *notes = nullptr);
// Creates the tables and default rows in the empty database of the shared connection.
bool createTables(const LoginContext &context, QString *error);

// The database of the context, for messages: the file with its full path, or the server and
// the database on it.
QString databaseDescription(const LoginContext &context);
QString missingFileQuestion(const QString &file);
QString emptyDatabaseQuestion(const LoginContext &context);
// A failed statement: the sentence names the database, its own reason follows beneath.
QString databaseError(const LoginContext &context, const QString &reason);
// The fixed sentence, with the database's own reason on the lines beneath.
QString connectionFailedMessage(const QString &reason = QString());

} // namespace Startup
