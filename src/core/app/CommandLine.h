#pragma once

#include <QStringList>

// The program's command line: "tsgl [--config PATH]" starts the windows; every other use
// (--help, --version, --create-database, a command) runs without a window and without a
// display.
namespace CommandLine {

// True when the arguments (the program's name first) ask for nothing but the windows: only
// --config and the toolkit's own window options such as -platform or -style.
bool wantsWindows(const QStringList &arguments);

QString unknownCommandMessage(const QString &command);

} // namespace CommandLine
