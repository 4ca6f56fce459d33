#include "DatabaseSettings.h"

#include "Startup.h"
#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"

#include <QFileInfo>
#include <QSqlDatabase>

namespace {

const QString kPart1 = QStringLiteral("part1");

// A key that was never saved reads as "0".
QString readOr(const IniFile &ini, const char *key, const QString &fallback)
{
    const QString value = ini.read(kPart1, QString::fromLatin1(key), QString());
    return value.isEmpty() || value == QLatin1String("0") ? fallback : value;
}

} // namespace

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
    return ConnectionString::parse(serverConnectionString()).masked();
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
        if (!QFileInfo::exists(path) && !DatabaseSetup::createEmbedded(path, error))
            return false;
        ConnectionString cs = ConnectionString::parse(m_embeddedConnection);
        cs.set(QStringLiteral("Data Source"), path);
        if (m_ini.write(kPart1, QStringLiteral("csaccess"), cs.toString()) &&
            m_ini.write(kPart1, QStringLiteral("abc"), QStringLiteral("a")))
            return true;
        if (error)
            *error = QStringLiteral("无法写入配置文件: ") + m_ini.path();
        return false;
    }
    // The server's keys are written only for the server, so choosing the file keeps the
    // server settings for a later change back.
    bool ok = m_ini.write(kPart1, QStringLiteral("abc"), QStringLiteral("s"));
    ok = ok && m_ini.write(kPart1, QStringLiteral("ServerName"), server.trimmed());
    ok = ok && m_ini.write(kPart1, QStringLiteral("DataBaseName"), database.trimmed());
    ok = ok && m_ini.write(kPart1, QStringLiteral("UserName"), user.trimmed());
    ok = ok && m_ini.write(kPart1, QStringLiteral("PassWord"), password.trimmed());
    ok = ok && m_ini.write(kPart1, QStringLiteral("cs"), m_testedString.trimmed());
    if (!ok && error)
        *error = QStringLiteral("无法写入配置文件: ") + m_ini.path();
    return ok;
}
