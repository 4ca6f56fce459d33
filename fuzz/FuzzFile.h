#pragma once

// Fuzz input put in a file, for the readers that take a path.

#include "import/SheetReader.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <unistd.h>

// A file of this process in memory-backed /dev/shm, rewritten for each input.
inline QString fuzzFile(const char *suffix, const char *data, size_t size)
{
    const QString path =
        QStringLiteral("/dev/shm/tsgl-fuzz-%1.%2").arg(::getpid()).arg(QString::fromLatin1(suffix));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data, qint64(size));
    return path;
}

// Opens the file as the imports do and reads every row; a refused file must say why.
inline void readSheet(const QString &path)
{
    SheetReader reader;
    QString error;
    if (!reader.open(path, &error)) {
        if (error.isEmpty())
            __builtin_trap();
        return;
    }
    int row = 0;
    QStringList cells;
    int rows = 1;
    while (reader.next(&row, &cells)) {
        if (cells.size() != reader.columnCount() || row != ++rows)
            __builtin_trap();
    }
    if (reader.error().isEmpty() && rows != reader.rowCount() && reader.rowCount() > 0)
        __builtin_trap();
}
