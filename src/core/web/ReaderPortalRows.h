#pragma once

#include "db/Statement.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// What the parts of ReaderPortal share: the texts for the pages and reading columns.
namespace ReaderPortalRows {

// A database failure as the reader sees it; the database's own text goes to the log.
inline QString systemError()
{
    return QStringLiteral("系统暂时无法完成操作,请稍后再试或与图书馆联系.");
}

// A text column, empty when null.
inline QString text(const QVariant &v)
{
    return v.isNull() ? QString() : v.toString();
}

// Whether a typed text can be looked for at all: a NUL character is refused by the server
// database before any row is compared, and no number or password contains one.
inline bool searchable(const QString &typed, int maxLength)
{
    return typed.size() <= maxLength && !typed.contains(QChar(0));
}

inline int number(const QVariant &v)
{
    return v.isNull() ? 0 : v.toInt();
}

// Fills a result's message and detail from a failed query and returns it.
template <typename Result> Result failed(Result r, const QSqlQuery &q)
{
    r.message = systemError();
    r.detail = Statement::lastError(q);
    return r;
}

template <typename Result> Result failed(Result r, const QString &detail)
{
    r.message = systemError();
    r.detail = detail;
    return r;
}

} // namespace ReaderPortalRows
