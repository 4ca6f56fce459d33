#pragma once

#include <QString>
#include <QStringList>

// The desktop's own programs that the tools menu starts, and the help document.
namespace DesktopPrograms {

QStringList textEditors();
QStringList calculators();
// The first of the programs that is installed (found on PATH), or an empty text.
QString firstInstalled(const QStringList &programs);

// docs/help.html of this installation: looked for beside the program and in the folders
// above it (a build folder inside the source tree), in an installed share folder and in
// the working directory. An empty text when there is none.
QString helpFile(const QString &applicationDir, const QString &workingDir);

} // namespace DesktopPrograms
