#include "ItemKind.h"

#include "db/Schema.h"

namespace ItemKind {

QString checkedTable(const QString &kind, QString *error)
{
    const QString k = kind.trimmed();
    if ((k == QStringLiteral("图书") || k == QStringLiteral("期刊")) && Schema::findTable(k))
        return Schema::findTable(k)->name;
    if (error)
        *error = QStringLiteral("统计范围只能是“图书”或“期刊”，“%1”不是资料库。").arg(kind);
    return QString();
}

} // namespace ItemKind
