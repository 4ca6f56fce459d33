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

QStringList documentOpeners()
{
    return {QStringLiteral("xdg-open"), QStringLiteral("kde-open5"), QStringLiteral("kde-open"),
            QStringLiteral("gnome-open"), QStringLiteral("exo-open")};
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

namespace {

Launch program(const QStringList &candidates, const QString &what)
{
    Launch launch;
    launch.program = firstInstalled(candidates);
    if (launch.program.isEmpty())
        launch.message = QStringLiteral("没有找到%1程序,请安装其中一个: %2")
                             .arg(what, candidates.join(QStringLiteral(", ")));
    launch.failedMessage = QStringLiteral("无法启动%1程序 %2").arg(what, launch.program);
    return launch;
}

} // namespace

Launch textEditor()
{
    return program(textEditors(), QStringLiteral("文本编辑器"));
}

Launch calculator()
{
    return program(calculators(), QStringLiteral("计算器"));
}

Launch help(const QString &applicationDir, const QString &workingDir)
{
    Launch launch;
    const QString file = helpFile(applicationDir, workingDir);
    if (file.isEmpty()) {
        launch.message =
            QStringLiteral("没有找到帮助文件,它应在: ") +
            QDir::toNativeSeparators(
                QDir(applicationDir).absoluteFilePath(QStringLiteral("docs/help.html")));
        return launch;
    }
    const QString shown = QDir::toNativeSeparators(file);
    launch.program = firstInstalled(documentOpeners());
    launch.arguments = QStringList{file};
    if (launch.program.isEmpty())
        launch.message = QStringLiteral("没有可以打开帮助文件的程序 (%1).\n帮助文件在: %2")
                             .arg(documentOpeners().join(QStringLiteral(", ")), shown);
    launch.failedMessage =
        QStringLiteral("无法用 %1 打开帮助文件.\n帮助文件在: %2").arg(launch.program, shown);
    return launch;
}

} // namespace DesktopPrograms
