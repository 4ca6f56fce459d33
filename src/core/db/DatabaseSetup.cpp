#include "DatabaseSetup.h"

#include "ConnectionString.h"
#include "Schema.h"
#include "SharedConnection.h"
#include "demo/LibraryGenerator.h"

#include <QSqlDatabase>

namespace DatabaseSetup {

bool createEmbedded(const QString &path, QString *error)
{
    const QString name = QStringLiteral("tsgl-create");
    bool ok = false;
    {
        if (!SharedConnection::openNamed(name, ConnectionString::forFile(path),
                                         SqlDialect::Embedded, error, true))
            return false;
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (!Schema::isEmpty(db)) {
            if (error)
                *error = QStringLiteral("数据库中已经有图书馆的数据表: ") + path;
        } else {
            ok = Schema::create(db, SqlDialect::Embedded, error);
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
