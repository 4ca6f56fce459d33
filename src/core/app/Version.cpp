#include "Version.h"

#include "TsglVersion.h"

namespace Version {

QString number()
{
    return QStringLiteral(TSGL_PROJECT_VERSION);
}

QString commit()
{
    return QStringLiteral(TSGL_GIT_COMMIT);
}

QString text()
{
    const QString c = commit();
    return c.isEmpty() ? number() : QStringLiteral("%1 (提交 %2)").arg(number(), c);
}

} // namespace Version
