#include "Backup.h"

#include "SharedConnection.h"
#include "app/DatabaseSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>

namespace Backup {

namespace {

const QString kCopyConnection = QStringLiteral("tsgl-backup");
const QString kCheckConnection = QStringLiteral("tsgl-backup-check");

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString sqliteReason(int code, sqlite3 *db)
{
    if (code == SQLITE_FULL)
        return QStringLiteral("磁盘空间不足.");
    if (code == SQLITE_CANTOPEN || code == SQLITE_READONLY || code == SQLITE_PERM)
        return QStringLiteral("文件不能写入.");
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

// Every table's rows, read on db (inside the caller's transaction when there is one).
bool countRows(const QSqlDatabase &db, QMap<QString, qint64> *rows, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select name from sqlite_master where type='table' and name not "
                               "like 'sqlite_%' order by name"))) {
        *error = q.lastError().text();
        return false;
    }
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    for (const QString &table : tables) {
        QString quoted = table;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        if (!q.exec(QStringLiteral("select count(*) from \"%1\"").arg(quoted)) || !q.next()) {
            *error = q.lastError().text();
            return false;
        }
        rows->insert(table, q.value(0).toLongLong());
    }
    return true;
}

// Opens the file read-only and checks it: integrity, and (when expected is given) the rows
// of every table.
bool checkFile(const QString &path, const QMap<QString, qint64> *expected,
               QMap<QString, qint64> *rows, QString *error)
{
    bool good = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kCheckConnection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("pragma integrity_check")) || !q.next()) {
                *error = q.lastError().text();
            } else if (q.value(0).toString() != QLatin1String("ok")) {
                *error = QStringLiteral("完整性检查未通过: ") + q.value(0).toString();
            } else if (countRows(db, rows, error)) {
                good = !expected || *expected == *rows;
                if (!good)
                    *error = QStringLiteral("副本的记录数与数据库不一致.");
            }
            q.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(kCheckConnection);
    return good;
}

// Copies the database of source into a new file at path with the online backup, in one step:
// the copy is the state of source's current read transaction.
bool copyInto(sqlite3 *source, const QString &path, QString *error)
{
    sqlite3 *target = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
        if (!backup) {
            rc = sqlite3_errcode(target);
        } else {
            rc = sqlite3_backup_step(backup, -1);
            const int finished = sqlite3_backup_finish(backup);
            rc = rc == SQLITE_DONE ? finished : rc;
        }
        // The copy is one self-contained file, not a database waiting for its write-ahead log.
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(target, "pragma journal_mode=delete", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK)
        *error = sqliteReason(rc, nullptr);
    sqlite3_close(target);
    return rc == SQLITE_OK;
}

// A verified copy of the shared connection's library at path: written to a temporary name
// first, renamed over path once checked.
bool verifiedCopy(const QString &path, QMap<QString, qint64> *rows, QString *error)
{
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    bool copied = false;
    QMap<QString, qint64> atCopy;
    {
        if (!SharedConnection::openCopy(kCopyConnection, error))
            return false;
        QSqlDatabase db = QSqlDatabase::database(kCopyConnection, false);
        QSqlQuery q(db);
        // One read transaction: the counts and the copy see the same state of the library,
        // whatever other programs write meanwhile.
        if (!q.exec(QStringLiteral("begin"))) {
            *error = q.lastError().text();
        } else {
            copied = countRows(db, &atCopy, error) && copyInto(handleOf(db), part, error);
            q.exec(QStringLiteral("commit"));
        }
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(kCopyConnection);
    if (copied && !checkFile(part, &atCopy, rows, error))
        copied = false;
    if (copied && std::rename(QFile::encodeName(part).constData(),
                              QFile::encodeName(path).constData()) != 0) {
        *error = QStringLiteral("文件不能改名为 %1.").arg(shown(path));
        copied = false;
    }
    if (!copied)
        QFile::remove(part);
    return copied;
}

bool embedded()
{
    return SharedConnection::isOpen() && SharedConnection::dialect() != SqlDialect::Server;
}

} // namespace

QString fileName(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyyMMdd hhmmss")) + QStringLiteral("备份.db");
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*备份.db")}, QDir::Files,
                                  QDir::Name | QDir::Reversed);
}

Outcome backupTo(const QString &folder, const QDateTime &moment)
{
    Outcome out;
    if (!embedded()) {
        out.message = serverMessage();
        return out;
    }
    const QFileInfo dir(folder);
    if (folder.trimmed().isEmpty() || !dir.isDir()) {
        out.message = QStringLiteral("备份位置 %1 不存在,请选择一个文件夹.").arg(shown(folder));
        return out;
    }
    if (!dir.isWritable()) {
        out.message = QStringLiteral("备份位置 %1 不能写入,请选择其他文件夹.").arg(shown(folder));
        return out;
    }
    out.path = QDir(folder).filePath(fileName(moment));
    QString error;
    if (!verifiedCopy(out.path, &out.rows, &error)) {
        out.message = QStringLiteral("备份失败,没有写入 %1:\n%2").arg(shown(out.path), error);
        return out;
    }
    out.ok = true;
    out.message = successMessage();
    return out;
}

Outcome restore(const QString &backupFile, const QDateTime &moment)
{
    Outcome out;
    if (!embedded()) {
        out.message = serverMessage();
        return out;
    }
    QString error;
    if (!DatabaseSettings::isLibraryFile(backupFile, &error)) {
        out.message = error;
        return out;
    }
    QMap<QString, qint64> backupRows;
    if (!checkFile(backupFile, nullptr, &backupRows, &error)) {
        out.message =
            QStringLiteral("备份文件 %1 已损坏,没有还原:\n%2").arg(shown(backupFile), error);
        return out;
    }
    const QString library = SharedConnection::database().databaseName();
    if (QFileInfo(library).canonicalFilePath() == QFileInfo(backupFile).canonicalFilePath()) {
        out.message = QStringLiteral("所选文件就是正在使用的数据库,请选择一个备份文件.");
        return out;
    }
    // The data about to be replaced stays beside the library.
    const QFileInfo libraryInfo(library);
    out.path = libraryInfo.dir().filePath(libraryInfo.completeBaseName() + QLatin1Char(' ') +
                                          moment.toString(QStringLiteral("yyyyMMdd hhmmss")) +
                                          QStringLiteral("还原前.db"));
    QMap<QString, qint64> keptRows;
    if (!verifiedCopy(out.path, &keptRows, &error)) {
        out.message = QStringLiteral("无法保存原来的数据库,没有还原:\n%1").arg(error);
        return out;
    }

    // The backup is written into the library's own file through a connection to it, so that
    // every program that has the file open sees the restored data at its next read.
    bool restored = false;
    {
        if (!SharedConnection::openCopy(kCopyConnection, &error)) {
            out.message = error;
            return out;
        }
        QSqlDatabase db = QSqlDatabase::database(kCopyConnection, false);
        sqlite3 *source = nullptr;
        int rc = sqlite3_open_v2(QFile::encodeName(backupFile).constData(), &source,
                                 SQLITE_OPEN_READONLY, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_backup *backup = sqlite3_backup_init(handleOf(db), "main", source, "main");
            if (!backup) {
                rc = sqlite3_errcode(handleOf(db));
            } else {
                // Another program's write holds the file for a moment: wait for it.
                for (int tries = 0; tries < 50; ++tries) {
                    rc = sqlite3_backup_step(backup, -1);
                    if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                        break;
                    QThread::msleep(100);
                }
                const int finished = sqlite3_backup_finish(backup);
                rc = rc == SQLITE_DONE ? finished : rc;
            }
        }
        if (rc != SQLITE_OK) {
            error = sqliteReason(rc, nullptr);
        } else {
            QMap<QString, qint64> now;
            restored = countRows(db, &now, &error);
            if (restored && now != backupRows) {
                restored = false;
                error = QStringLiteral("还原后的记录数与备份文件不一致.");
            }
        }
        sqlite3_close(source);
        db.close();
    }
    QSqlDatabase::removeDatabase(kCopyConnection);
    if (!restored) {
        out.message =
            QStringLiteral("还原失败:\n%1\n原来的数据库保存在 %2.").arg(error, shown(out.path));
        return out;
    }
    out.ok = true;
    out.rows = backupRows;
    out.message = QStringLiteral("还原成功! 原来的数据库已保存为 %1.\n请退出并重新启动程序.")
                      .arg(shown(out.path));
    return out;
}

} // namespace Backup
