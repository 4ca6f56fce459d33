#include "ExportFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <memory>

namespace ExportFolder {

namespace {

// Removes the folder with itself too, should the program end without its application
// object being destroyed.
std::unique_ptr<QTemporaryDir> &folder()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

void removeAtEnd()
{
    static bool registered = false;
    if (registered || !QCoreApplication::instance())
        return;
    registered = true;
    qAddPostRoutine(remove);
}

} // namespace

QString path(QString *error)
{
    std::unique_ptr<QTemporaryDir> &dir = folder();
    if (dir && QFileInfo(dir->path()).isDir())
        return dir->path();
    const QString base = QDir::tempPath();
    auto made =
        std::make_unique<QTemporaryDir>(QDir(base).filePath(QStringLiteral("tsgl-导出-XXXXXX")));
    if (!made->isValid()) {
        if (error)
            *error = QStringLiteral("不能在临时文件夹 %1 中建立导出文件夹：%2")
                         .arg(QDir::toNativeSeparators(base), made->errorString());
        return QString();
    }
    dir = std::move(made);
    removeAtEnd();
    return dir->path();
}

QString newFile(const QString &suffix, QString *error)
{
    const QString dir = path(error);
    if (dir.isEmpty())
        return QString();
    QTemporaryFile file(QDir(dir).filePath(QStringLiteral("导出-XXXXXX") + suffix));
    file.setAutoRemove(false);
    if (!file.open()) {
        if (error)
            *error = QStringLiteral("不能在 %1 中建立导出文件：%2")
                         .arg(QDir::toNativeSeparators(dir), file.errorString());
        return QString();
    }
    const QString name = file.fileName();
    file.close();
    return name;
}

void remove()
{
    folder().reset();
}

} // namespace ExportFolder
