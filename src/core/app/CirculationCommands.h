#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// The circulation commands of the command line, run on the library that a CommandSession
// has opened: each prints one line per result on out (refusals of a whole command on err)
// and returns the process's exit status.
namespace CirculationCommands {

struct Command {
    QString name;
    int arguments; // how many the command takes after its name
    QString usage; // shown when the count is wrong, before any database is opened
    int (*run)(const QStringList &arguments, QTextStream &out, QTextStream &err);
};

// The command of that name, or nullptr.
const Command *find(const QString &name);

// tsgl reserve ITEM READER UNTIL
int reserve(const QStringList &arguments, QTextStream &out, QTextStream &err);
// tsgl circulation FILE
int circulation(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace CirculationCommands
