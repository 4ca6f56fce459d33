#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

// Copies of the embedded library database: a backup into a folder, taken with SQLite's online
// backup while other programs may go on writing, and checked before it is reported as done;
// and the restore of such a copy into the library, keeping the data it replaces beside it.
namespace Backup {

inline QString successMessage()
{
    return QStringLiteral("备份成功!");
}
inline QString serverMessage()
{
    return QStringLiteral("请使用PostgreSQL的备份工具(pg_dump)备份!");
}

// "yyyyMMdd hhmmss备份.db": two backups in the same second share the name, the later wins.
QString fileName(const QDateTime &moment);
// The backup files of a folder (names ending in 备份.db), newest name first.
QStringList filesIn(const QString &folder);

struct Outcome {
    bool ok = false;
    QString path;    // the file written
    QString message; // for the user: the success text or what went wrong
    // Rows of every table as the copy holds them, the same as the library at the copy's moment.
    QMap<QString, qint64> rows;
};

// Backs up the library of the shared connection into folder. The copy and the row counts it
// is checked against come from one read transaction; the file appears under its name only
// once its integrity check and every table's row count agree with the library.
Outcome backupTo(const QString &folder, const QDateTime &moment);

// Restores a backup file into the library of the shared connection, in place, so that other
// programs using the file go on with the restored data. The data replaced is first saved beside
// the library as "<name> yyyyMMdd hhmmss还原前.db". A file that is not a library of this program
// is refused and nothing changes.
Outcome restore(const QString &backupFile, const QDateTime &moment);

} // namespace Backup
