#include "AppIcons.h"

#include "app/MainCommands.h"

#include <QStandardPaths>

namespace AppIcons {

QIcon program()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/tsgl.png").arg(size),
                     QSize(size, size));
    return icon;
}

namespace {

// Without a desktop (a plain X server) Qt's theme is hicolor, which has none of the command
// icons, and a platform without a theme of its own (offscreen) searches no icon folder at all.
void findThemes()
{
    if (QIcon::fallbackThemeName() == FallbackTheme)
        return;
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory)) {
        if (!paths.contains(dir))
            paths << dir;
    }
    QIcon::setThemeSearchPaths(paths);
    // The fallback is only consulted behind a theme.
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setFallbackThemeName(FallbackTheme);
}

} // namespace

QIcon command(const QString &command)
{
    findThemes();
    const QString name = MainCommands::iconName(command);
    return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}

} // namespace AppIcons
