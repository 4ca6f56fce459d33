#include "DesktopPrograms.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DesktopPrograms {

QStringList textEditors()
{
    return {QStringLiteral("gedit"),     QStringLiteral("gnome-text-editor"),
            QStringLiteral("mousepad"),  QStringLiteral("kate"),
            QStringLiteral("kwrite"),    QStringLiteral("xed"),
            QStringLiteral("pluma"),     QStringLiteral("leafpad"),
            QStringLiteral("featherpad")};
}

QStringList calculators()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
            QStringLiteral("galculator"),       QStringLiteral("qalculate-gtk"),
            QStringLiteral("mate-calc"),        QStringLiteral("xcalc")};
}

QString firstInstalled(const QStringList &programs)
{
    for (const QString &program : programs) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

QString helpFile(const QString &applicationDir, const QString &workingDir)
{
    const QString relative = QStringLiteral("docs/help.html");
    QStringList candidates;
    QDir dir(applicationDir);
    for (int up = 0; up < 4; ++up) {
        candidates << dir.filePath(relative);
        if (!dir.cdUp())
            break;
    }
    candidates << QDir(applicationDir).filePath(QStringLiteral("../share/tsgl/help.html"));
    candidates << QDir(workingDir).filePath(relative)
               << QDir(workingDir).filePath(QStringLiteral("help.html"));
    for (const QString &candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath();
    }
    return QString();
}

} // namespace DesktopPrograms
