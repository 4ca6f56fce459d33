#pragma once

#include <QString>
#include <QStringList>

// The desktop's own programs that the tools menu starts, and the help document.
namespace DesktopPrograms {

QStringList textEditors();
QStringList calculators();
// Programs that open a document with the program the desktop has for its kind.
QStringList documentOpeners();
// The first of the programs that is installed (found on PATH), or an empty text.
QString firstInstalled(const QStringList &programs);

// docs/help.html of this installation: looked for beside the program and in the folders
// above it (a build folder inside the source tree), in an installed share folder and in
// the working directory. An empty text when there is none.
QString helpFile(const QString &applicationDir, const QString &workingDir);

// What a tools command starts: the program and its arguments, or, when there is nothing to
// start, the message that says why. failedMessage is shown when the program does not start.
struct Launch {
    QString program;
    QStringList arguments;
    QString message;
    QString failedMessage;
};
Launch textEditor();
Launch calculator();
Launch help(const QString &applicationDir, const QString &workingDir);
// A book's electronic document opened with the program the desktop has for its kind. An
// empty path or "n" (none) and a file that is not there give a message instead.
Launch document(const QString &path);

} // namespace DesktopPrograms
