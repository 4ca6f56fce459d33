#include "Startup.h"

#include "db/ConnectionString.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Schema.h"
#include "db/SharedConnection.h"

#include <QDir>
#include <QFileInfo>

namespace Startup {

QString iniPath(const QString &configOption, const QString &applicationDir)
{
    if (!configOption.isEmpty())
        return QFileInfo(configOption).absoluteFilePath();
    return QDir(applicationDir).filePath(QStringLiteral("de.ini"));
}

void readConfiguration(IniFile &ini, LoginContext &context)
{
    if (!QFileInfo::exists(ini.path())) {
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

Connection open(const LoginContext &context, QString *error)
{
    SharedConnection::close();
    if (!SharedConnection::open(context.connectionString, context.dialect, error)) {
        // A file that is no database opens and then refuses the first statement.
        SharedConnection::close();
        return Connection::Failed;
    }
    return Schema::isEmpty(SharedConnection::database()) ? Connection::Empty : Connection::Open;
}

bool createTables(const LoginContext &context, QString *error)
{
    const SqlDialect dialect =
        context.dialect == SqlDialect::Server ? SqlDialect::Server : SqlDialect::Embedded;
    return Schema::create(SharedConnection::database(), dialect, error);
}

QString missingFileQuestion()
{
    return QStringLiteral("数据库文件不存在，是否创建新的图书馆数据库?");
}

QString emptyDatabaseQuestion()
{
    return QStringLiteral("数据库中还没有图书馆的数据表，是否创建新的图书馆数据库?");
}

QString connectionFailedMessage()
{
    return QStringLiteral("数据库连接失败,请选择数据库.");
}

} // namespace Startup
