#include "DatabaseSettings.h"

#include "Startup.h"
#include "admin/LoginService.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

const QString kPart1 = QStringLiteral("part1");

// A key that was never saved reads as "0".
QString readOr(const IniFile &ini, const char *key, const QString &fallback)
{
    const QString value = ini.read(kPart1, QString::fromLatin1(key), QString());
    return value.isEmpty() || value == QLatin1String("0") ? fallback : value;
}

// An existing file becomes the library's database at the next start only when it is a
// library of this version. Anything else would end the next start with a version message,
// or a question whose "no" ends it, and no way back to this window. The file is only read.
bool usableDatabaseFile(const QString &path, QString *error)
{
    const QString name = QStringLiteral("tsgl-settings-file");
    bool usable = false;
    if (QFileInfo(path).isFile()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        // A file that is no database opens, and is refused at the first statement.
        if (db.open() && QSqlQuery(db).exec(QStringLiteral("select count(*) from sqlite_master"))) {
            LoginContext context;
            usable = LoginService(context, db).checkDatabase() == LoginService::DatabaseCheck::Ok;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!usable && error)
        *error = DatabaseSettings::notALibraryMessage() + QLatin1Char('\n') + path;
    return usable;
}

} // namespace

bool DatabaseSettings::isLibraryFile(const QString &path, QString *error)
{
    return usableDatabaseFile(path, error);
}

DatabaseSettings::DatabaseSettings(IniFile &ini, const LoginContext &context)
    : m_ini(ini)
{
    server = readOr(ini, "ServerName", QStringLiteral("127.0.0.1"));
    database = readOr(ini, "DataBaseName", QStringLiteral("book"));
    user = readOr(ini, "UserName", QStringLiteral("postgres"));
    password = ini.read(kPart1, QStringLiteral("PassWord"), QString());
    m_embeddedConnection = readOr(ini, "csaccess", Startup::DefaultEmbeddedConnection);
    file = SharedConnection::embeddedFilePath(m_embeddedConnection);
    choose(context.dialect == SqlDialect::Server ? Choice::Server : Choice::Embedded);
}

void DatabaseSettings::choose(Choice choice)
{
    m_choice = choice;
    m_saveEnabled = choice == Choice::Embedded;
    m_testedString.clear();
}

void DatabaseSettings::serverFieldsChanged()
{
    if (m_choice == Choice::Server) {
        m_saveEnabled = false;
        m_testedString.clear();
    }
}

QString DatabaseSettings::serverConnectionString() const
{
    return ConnectionString::forServer(server, database, user, password);
}

QString DatabaseSettings::shownConnectionString() const
{
    // Built with the mask in the password's place: a password that holds ";" or "=" would
    // otherwise spill into the keys after it.
    return ConnectionString::forServer(server, database, user, QStringLiteral("******"));
}

bool DatabaseSettings::test(QString *error)
{
    const QString name = QStringLiteral("tsgl-settings-test");
    const QString tested = serverConnectionString();
    bool ok = SharedConnection::openNamed(name, tested, SqlDialect::Server, error, false, 10);
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
    if (ok && m_choice == Choice::Server) {
        m_testedString = tested;
        m_saveEnabled = true;
    }
    return ok;
}

bool DatabaseSettings::save(QString *error)
{
    if (!m_saveEnabled)
        return false;
    if (m_choice == Choice::Embedded) {
        const QString path = file.trimmed();
        if (path.isEmpty()) {
            if (error)
                *error = noFileMessage();
            return false;
        }
        // A new name, or an empty file made for it, becomes a new library.
        const QFileInfo info(filePath());
        const bool create = !info.exists() || (info.isFile() && info.size() == 0);
        const QString absolute = info.absoluteFilePath();
        if (create ? !DatabaseSetup::createEmbedded(absolute, error)
                   : !usableDatabaseFile(absolute, error))
            return false;
        // The name is kept as typed: a relative one stays beside de.ini when both move.
        ConnectionString cs = ConnectionString::parse(m_embeddedConnection);
        cs.set(QStringLiteral("Data Source"), path);
        if (m_ini.write(kPart1, {{QStringLiteral("csaccess"), cs.toString()},
                                 {QStringLiteral("abc"), QStringLiteral("a")}}))
            return true;
        if (error)
            *error = m_ini.errorString();
        return false;
    }
    // The server's keys are written only for the server, so choosing the file keeps the
    // server settings for a later change back. All of them or none: a value that cannot be
    // written leaves the next start as it was.
    const bool ok = m_ini.write(kPart1, {{QStringLiteral("abc"), QStringLiteral("s")},
                                         {QStringLiteral("ServerName"), server.trimmed()},
                                         {QStringLiteral("DataBaseName"), database.trimmed()},
                                         {QStringLiteral("UserName"), user.trimmed()},
                                         {QStringLiteral("PassWord"), password.trimmed()},
                                         {QStringLiteral("cs"), m_testedString.trimmed()}});
    if (!ok && error)
        *error = m_ini.errorString();
    return ok;
}

QString DatabaseSettings::filePath() const
{
    // The same rule as the start's reading of de.ini.
    return SharedConnection::embeddedFilePath(ConnectionString::withDataSourceIn(
        ConnectionString::forFile(file.trimmed()), QFileInfo(m_ini.path()).absolutePath()));
}
