#include "Startup.h"

#include "db/ConnectionString.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/SchemaUpgrade.h"
#include "db/SharedConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Startup {

QString userDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("tsgl"));
}

QString iniPath(const QString &configOption, const QString &applicationDir,
                const QString &userDataDir)
{
    if (!configOption.isEmpty())
        return QFileInfo(configOption).absoluteFilePath();
    const QDir programDir(applicationDir);
    const QString beside = programDir.filePath(QStringLiteral("de.ini"));
    if (QFileInfo::exists(beside))
        return beside;
    if (QFileInfo(programDir.filePath(QStringLiteral("../share/tsgl"))).isDir())
        return QDir(userDataDir).filePath(QStringLiteral("de.ini"));
    return beside;
}

QString iniPath(const QString &configOption, const QString &applicationDir)
{
    return iniPath(configOption, applicationDir, userDataFolder());
}

void readConfiguration(IniFile &ini, LoginContext &context)
{
    if (!QFileInfo::exists(ini.path())) {
        QDir().mkpath(QFileInfo(ini.path()).absolutePath());
        const QString part1 = QStringLiteral("part1");
        ini.write(part1, QStringLiteral("softname"), Title);
        for (const char *key : {"tel", "company", "web", "Memo"})
            ini.write(part1, QString::fromLatin1(key), QString());
    }
    context.readConfiguration(ini);
    if (context.dialect == SqlDialect::Server)
        return;
    const QString part1 = QStringLiteral("part1");
    const QString csaccess = ini.read(part1, QStringLiteral("csaccess"), QStringLiteral("0"));
    // A de.ini that cannot be read names no database: none is made up in its place.
    if (ini.isReadable() && (csaccess.trimmed().isEmpty() || csaccess == QLatin1String("0"))) {
        ini.write(part1, QStringLiteral("csaccess"), DefaultEmbeddedConnection);
        context.connectionString =
            ConnectionString::withDataSourceIn(DefaultEmbeddedConnection, context.iniFolder());
    }
}

QString missingDatabaseFile(const LoginContext &context)
{
    if (context.dialect == SqlDialect::Server)
        return QString();
    const QString file = SharedConnection::embeddedFilePath(context.connectionString);
    if (file.isEmpty() || QFileInfo::exists(file))
        return QString();
    return file;
}

Connection open(const LoginContext &context, QString *error, QStringList *notes)
{
    SharedConnection::close();
    // A file of another program is refused here, before anything is written to it.
    if (!SharedConnection::open(context.connectionString, context.dialect, error)) {
        SharedConnection::close();
        return Connection::Failed;
    }
    if (Schema::isEmpty(SharedConnection::database()))
        return Connection::Empty;
    // From here on the database is known to be a library of this program.
    const SqlDialect dialect =
        context.dialect == SqlDialect::Server ? SqlDialect::Server : SqlDialect::Embedded;
    QString reason;
    if (!SchemaUpgrade::run(SharedConnection::database(), dialect, notes, &reason)) {
        const QString message =
            QStringLiteral("无法升级%1:\n%2").arg(databaseDescription(context), reason);
        // The embedded library works without the upgrade (its keys take NULL), and the next
        // start tries again; the server's lists cannot be read without their order column.
        if (dialect == SqlDialect::Embedded) {
            if (notes)
                *notes << message;
            return Connection::Open;
        }
        if (error)
            *error = message;
        SharedConnection::close();
        return Connection::Failed;
    }
    return Connection::Open;
}

bool createTables(const LoginContext &context, QString *error)
{
    const SqlDialect dialect =
        context.dialect == SqlDialect::Server ? SqlDialect::Server : SqlDialect::Embedded;
    QString reason;
    if (Schema::create(SharedConnection::database(), dialect, &reason))
        return true;
    if (error)
        *error = QStringLiteral("无法在%1 中建立图书馆的数据表:\n%2")
                     .arg(databaseDescription(context), reason);
    return false;
}

QString databaseError(const LoginContext &context, const QString &reason)
{
    return QStringLiteral("访问%1 时出错:\n%2").arg(databaseDescription(context), reason);
}

QString databaseDescription(const LoginContext &context)
{
    if (context.dialect == SqlDialect::Server) {
        const ConnectionString cs = ConnectionString::parse(context.connectionString);
        return QStringLiteral("PostgreSQL 服务器 %1 上的数据库 %2")
            .arg(cs.value(QStringLiteral("Data Source")).trimmed(),
                 cs.value(QStringLiteral("Initial Catalog")));
    }
    const QString file = SharedConnection::embeddedFilePath(context.connectionString);
    return QStringLiteral("数据库文件 ") +
           QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
}

QString missingFileQuestion(const QString &file)
{
    return QStringLiteral("数据库文件 %1 不存在，是否创建新的图书馆数据库?")
        .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()));
}

QString emptyDatabaseQuestion(const LoginContext &context)
{
    return databaseDescription(context) +
           QStringLiteral(" 中还没有图书馆的数据表，是否创建新的图书馆数据库?");
}

QString connectionFailedMessage(const QString &reason)
{
    const QString message = QStringLiteral("数据库连接失败,请选择数据库.");
    return reason.isEmpty() ? message : message + QLatin1Char('\n') + reason;
}

} // namespace Startup
