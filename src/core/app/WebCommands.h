#pragma once

#include "CirculationCommands.h"

class IniFile;

// tsgl serve [--listen ADDR:PORT]: the library's web pages for readers, served from the
// library that the CommandSession has opened until the process gets SIGINT or SIGTERM.
namespace WebCommands {

// The command of that name, or nullptr.
const CirculationCommands::Command *find(const QString &name);

int serve(const QStringList &arguments, QTextStream &out, QTextStream &err);

// How many days a reservation made on the web pages holds: de.ini [web] ReserveDays, 3 when
// the key is missing. False with a message when the value is not a whole number from 1 to 365.
inline constexpr int DefaultReserveDays = 3;
bool reserveDays(const IniFile &ini, int *days, QString *error);

} // namespace WebCommands
