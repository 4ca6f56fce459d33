#pragma once

#include <QString>

// The folder of this run's exports, in the system's temporary folder. An exported file is
// written here and handed to the spreadsheet program, which opens it from here; it stays
// while the program runs and goes with the folder when the program ends. Used from the GUI
// thread.
namespace ExportFolder {

// The folder, made on first use (and again when something removed it meanwhile); empty,
// with the reason, when it cannot be made.
QString path(QString *error = nullptr);
// A new empty file with a name of its own in the folder, ending in suffix (".xlsx"); empty,
// with the reason, when it cannot be made.
QString newFile(const QString &suffix, QString *error = nullptr);
// Removes the folder and every file in it; the next export makes a new one. Done when the
// application object is destroyed at the end of the program.
void remove();

} // namespace ExportFolder
