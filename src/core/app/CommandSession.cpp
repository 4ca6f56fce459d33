#include "CommandSession.h"

#include "Startup.h"
#include "admin/LoginService.h"
#include "db/ConnectionString.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"

#include <QFileInfo>

CommandSession::~CommandSession()
{
    if (m_open)
        SharedConnection::close();
}

bool CommandSession::open(const QString &configOption, const QString &applicationDir,
                          const QString &operatorName, QString *error)
{
    const QString iniPath = Startup::iniPath(configOption, applicationDir);
    IniFile ini(iniPath);
    if (QString reason; !ini.isReadable(&reason)) {
        *error = reason;
        return false;
    }
    if (!configOption.isEmpty() && !QFileInfo::exists(iniPath)) {
        *error = QStringLiteral("配置文件 %1 不存在.").arg(iniPath);
        return false;
    }
    LoginContext &context = loginContext();
    context = LoginContext();
    // The windows' start-up writes the default database into a new de.ini; a command only
    // reads, so the default is taken without being written.
    context.readConfiguration(ini);
    if (context.dialect != SqlDialect::Server) {
        const QString csaccess =
            ini.read(QStringLiteral("part1"), QStringLiteral("csaccess"), QStringLiteral("0"));
        if (csaccess.trimmed().isEmpty() || csaccess == QLatin1String("0"))
            context.connectionString = ConnectionString::withDataSourceIn(
                Startup::DefaultEmbeddedConnection, context.iniFolder());
    }

    const QString missing = Startup::missingDatabaseFile(context);
    if (!missing.isEmpty()) {
        *error = QStringLiteral("无法打开图书馆: 数据库文件 %1 不存在.").arg(missing);
        return false;
    }
    QString reason;
    switch (Startup::open(context, &reason, &m_notes)) {
    case Startup::Connection::Open:
        break;
    case Startup::Connection::Empty:
        SharedConnection::close();
        *error = QStringLiteral("无法打开图书馆: %1 中没有图书馆的数据表.")
                     .arg(Startup::databaseDescription(context));
        return false;
    case Startup::Connection::Failed:
        *error = QStringLiteral("无法打开图书馆 (%1):\n%2")
                     .arg(Startup::databaseDescription(context), reason);
        return false;
    }
    m_open = true;

    LoginService login(context);
    const LoginService::DatabaseCheck check = login.checkDatabase();
    if (check != LoginService::DatabaseCheck::Ok) {
        *error = QStringLiteral("无法打开图书馆: ") + LoginService::message(check);
        return false;
    }
    if (!login.readSettings(&reason)) {
        *error = Startup::databaseError(context, reason);
        return false;
    }
    // Without --operator the work is the super administrator's; a library whose super
    // administrator was renamed by hand falls back to its first administrator.
    QString name = operatorName;
    if (name.trimmed().isEmpty()) {
        const QString super = QString::fromUtf8(SuperAdminName);
        name =
            login.administratorNames().contains(super) ? super : login.administratorNames().first();
    }
    if (!login.actAs(name, &reason)) {
        *error = reason;
        return false;
    }
    return true;
}
