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

// The options that belong to one command rather than to the program (import's numbering,
// serve's address), as main() read them; a command looks at the ones it takes.
struct CommandOptions {
    QString start;              // --start N
    bool randomNumbers = false; // --random-numbers
    QString listen;             // --listen ADDR:PORT
};
CommandOptions &commandOptions();

} // namespace CommandLine
