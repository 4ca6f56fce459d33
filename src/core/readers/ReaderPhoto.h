#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A reader's photo, as the registration and editing windows take it from a picture file and
// as 读者库.pic keeps it: the chosen file's own bytes (a bmp, jpg or png file of at most
// 2 MB), which QImage reads back whatever the format. Keeping the file as it is keeps the
// stored photo within the size the user was allowed to choose; a bitmap made from a 2 MB
// photograph would take tens of megabytes in every row.
namespace ReaderPhoto {

// The largest picture file accepted, in bytes: 2 MB.
inline constexpr qint64 MaxFileBytes = 2 * 1024 * 1024;

// The filter of the file dialog.
QString fileFilter();
// The caption of the file dialog.
QString dialogCaption();

// "添加失败:图片文件不能超过2MB,您选择的文件大小为:2.50MB" for a file of that many bytes.
QString tooLargeMessage(qint64 fileBytes);

struct Loaded {
    bool ok = false;
    QByteArray bytes; // the file's bytes when ok
    QString message;  // why not, when not ok
};

// Reads a chosen picture file: refused when it is over 2 MB, cannot be read or is no picture
// that can be shown. Never reads more than 2 MB + 1 byte, even from a file that grows.
Loaded fromFile(const QString &path);

// The picture of stored photo bytes; a null image for none or for bytes that are no picture.
QImage image(const QByteArray &bytes);

} // namespace ReaderPhoto
