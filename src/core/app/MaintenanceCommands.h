#pragma once

#include "CirculationCommands.h"

// The maintenance commands of the command line (backup), run like the circulation commands
// on the library that a CommandSession has opened.
namespace MaintenanceCommands {

// The command of that name, or nullptr.
const CirculationCommands::Command *find(const QString &name);

// tsgl backup FOLDER: prints the file written; exit status 0 only for a checked copy.
int backup(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace MaintenanceCommands
