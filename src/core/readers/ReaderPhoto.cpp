#include "ReaderPhoto.h"

#include <QFile>
#include <QFileInfo>

namespace ReaderPhoto {

QString fileFilter()
{
    return QStringLiteral("图片文件 (*.bmp *.jpg *.jpeg *.png);;所有文件 (*)");
}

QString dialogCaption()
{
    return QStringLiteral("选择读者照片");
}

QString tooLargeMessage(qint64 fileBytes)
{
    const double megabytes = static_cast<double>(fileBytes) / (1024.0 * 1024.0);
    return QStringLiteral("添加失败:图片文件不能超过2MB,您选择的文件大小为:") +
           QString::number(megabytes, 'f', 2) + QStringLiteral("MB");
}

Loaded fromFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {false, {}, QStringLiteral("找不到图片文件: %1").arg(path)};
    if (info.size() > MaxFileBytes)
        return {false, {}, tooLargeMessage(info.size())};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {
            false, {}, QStringLiteral("无法读取图片文件: %1\n%2").arg(path, file.errorString())};
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        return {false, {}, tooLargeMessage(qMax<qint64>(file.size(), bytes.size()))};
    if (image(bytes).isNull())
        return {
            false,
            {},
            QStringLiteral("所选文件不是可以显示的图片(可用 bmp、jpg、png 图片): %1").arg(path)};
    return {true, bytes, QString()};
}

QImage image(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QImage();
    return QImage::fromData(bytes);
}

} // namespace ReaderPhoto
