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

Launch document(const QString &path)
{
    Launch launch;
    const QString file = path.trimmed();
    if (file.isEmpty() || file == QStringLiteral("n")) {
        launch.message = QStringLiteral("这本书没有电子文档。");
        return launch;
    }
    const QString shown = QDir::toNativeSeparators(file);
    if (!QFileInfo(file).isFile()) {
        launch.message = QStringLiteral("电子文档不存在: %1").arg(shown);
        return launch;
    }
    launch.program = firstInstalled(documentOpeners());
    launch.arguments = QStringList{QFileInfo(file).absoluteFilePath()};
    if (launch.program.isEmpty())
        launch.message = QStringLiteral("没有可以打开电子文档的程序 (%1).\n文档在: %2")
                             .arg(documentOpeners().join(QStringLiteral(", ")), shown);
    launch.failedMessage =
        QStringLiteral("无法用 %1 打开电子文档.\n文档在: %2").arg(launch.program, shown);
    return launch;
}

} // namespace DesktopPrograms
