#include "CommandLine.h"

#include <QSet>

namespace CommandLine {

bool wantsWindows(const QStringList &arguments)
{
    // Options that the window toolkit takes for itself, with one dash or two.
    static const QSet<QString> toolkitWithValue = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("display"),         QStringLiteral("name"),
        QStringLiteral("title"),           QStringLiteral("geometry"),
        QStringLiteral("style"),           QStringLiteral("stylesheet")};
    static const QSet<QString> toolkitFlags = {
        QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
        QStringLiteral("dograb"), QStringLiteral("sync")};
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--config")) {
            ++i;
            continue;
        }
        if (arg.startsWith(QLatin1String("--config=")))
            continue;
        if (arg.size() < 2 || !arg.startsWith(QLatin1Char('-')))
            return false; // a command
        QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
        const int eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0)
            name.truncate(eq);
        if (toolkitWithValue.contains(name)) {
            if (eq < 0)
                ++i;
            continue;
        }
        if (toolkitFlags.contains(name) || name.startsWith(QLatin1String("qmljsdebugger")))
            continue;
        return false; // --help, --version, --create-database, or an option nobody knows
    }
    return true;
}

QString unknownCommandMessage(const QString &command)
{
    return QStringLiteral("未知的命令: %1 (tsgl --help 列出全部选项)").arg(command);
}

CommandOptions &commandOptions()
{
    static CommandOptions options;
    return options;
}

} // namespace CommandLine
