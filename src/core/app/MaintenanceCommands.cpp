#include "MaintenanceCommands.h"

#include "db/Backup.h"

#include <QDir>
#include <QTextStream>

namespace MaintenanceCommands {

const CirculationCommands::Command *find(const QString &name)
{
    static const CirculationCommands::Command commands[] = {
        {QStringLiteral("backup"), 1,
         QStringLiteral("用法: tsgl backup 文件夹 (把本地数据库备份到这个文件夹)"), &backup},
    };
    for (const auto &command : commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

int backup(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const Backup::Outcome outcome =
        Backup::backupTo(arguments.value(0), QDateTime::currentDateTime());
    if (!outcome.ok) {
        err << outcome.message << Qt::endl;
        return 1;
    }
    out << QStringLiteral("OK ") << outcome.message << QLatin1Char(' ')
        << QDir::toNativeSeparators(outcome.path) << Qt::endl;
    return 0;
}

} // namespace MaintenanceCommands
