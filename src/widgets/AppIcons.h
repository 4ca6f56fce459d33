#pragma once

#include <QIcon>
#include <QString>

// The program's icons: its own (compiled in) and those of the main window's commands, taken
// from the desktop's icon theme with the Tango theme as the fallback.
namespace AppIcons {

// The theme the command icons come from when the desktop's theme lacks them.
inline const QString FallbackTheme = QStringLiteral("Tango");

// The program's icon, drawn at 16, 32, 48, 64, 128 and 256 pixels.
QIcon program();

// The icon of a main window command (MainCommands::iconName); a null icon when there is none.
QIcon command(const QString &command);

} // namespace AppIcons
