#include "DatabaseSetup.h"

#include "ConnectionString.h"
#include "Schema.h"
#include "SharedConnection.h"
#include "demo/LibraryGenerator.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>

namespace DatabaseSetup {

bool createEmbedded(const QString &path, QString *error)
{
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    // Only a new file, or an empty one made for it, becomes a library; whatever another file
    // holds stays as it is.
    const QFileInfo info(path);
    if (info.exists() && !(info.isFile() && info.size() == 0)) {
        if (error)
            *error =
                QStringLiteral("文件 %1 已经存在,新的图书馆数据库要用一个新的文件名.").arg(shown);
        return false;
    }
    const QString name = QStringLiteral("tsgl-create");
    bool ok = false;
    {
        if (!SharedConnection::openNamed(name, ConnectionString::forFile(path),
                                         SqlDialect::Embedded, error, true))
            return false;
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (!Schema::isEmpty(db)) {
            if (error)
                *error = QStringLiteral("数据库中已经有图书馆的数据表: ") + shown;
        } else {
            QString reason;
            ok = Schema::create(db, SqlDialect::Embedded, &reason);
            if (!ok && error)
                *error = QStringLiteral("无法在数据库文件 %1 中建立图书馆的数据表:\n%2")
                             .arg(shown, reason);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool fillEmbeddedDemo(const QString &path, QString *error)
{
    const QString name = QStringLiteral("tsgl-demo");
    bool ok = false;
    {
        if (!SharedConnection::openNamed(name, ConnectionString::forFile(path),
                                         SqlDialect::Embedded, error))
            return false;
        QSqlDatabase db = QSqlDatabase::database(name, false);
        ok = LibraryGenerator::fillDemo(db, error);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace DatabaseSetup
