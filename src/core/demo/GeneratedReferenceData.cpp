#include "GeneratedReferenceData.h"

#include "GeneratedItems.h"
#include "LibraryWords.h"
#include "admin/PasswordHash.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace GeneratedReferenceData {

namespace {

using namespace GeneratedItems;

// Inserts the row unless the table has one whose column holds the key.
bool addListValue(const QSqlDatabase &db, const QString &table, const QString &column,
                  const QVariant &key, const QVariantList &row, QString *error, qint64 *rows)
{
    QSqlQuery q =
        Statement(QStringLiteral("select count(*) from %1 where %2=?").arg(table, column), {key})
            .exec(db);
    if (!q.next()) {
        *error = Statement::lastError(q);
        return false;
    }
    if (q.value(0).toLongLong() > 0)
        return true;
    QStringList marks;
    for (int i = 0; i < row.size(); ++i)
        marks << QStringLiteral("?");
    ++*rows;
    return Statement(QStringLiteral("insert into %1 values (%2)").arg(table, marks.join(',')), row)
        .run(db, error);
}

} // namespace

bool fill(const QSqlDatabase &db, qint64 *rows, QString *error)
{
    Transaction tx(db);
    struct List {
        const char *table;
        const char *column;
        QStringList values;
    };
    const QVector<List> lists = {
        {"分类", "名称", LibraryWords::categories()},
        {"二级分类", "名称", LibraryWords::subcategories()},
        {"存放位置", "存放位置名", locations()},
        {"单位名称", "单位名称", departments()},
        {"币种", "币种", currencies()},
        {"证件名", "证件名", documents()},
        {"附件名", "附件名", attachments()},
        {"院系", "院系名", faculties()},
        {"班级", "班级名", classes()},
        {"a1", "名称", {QStringLiteral("公开"), QStringLiteral("内部")}},
    };
    for (const List &l : lists) {
        for (const QString &v : l.values) {
            if (!addListValue(db, QString::fromUtf8(l.table), QString::fromUtf8(l.column), v, {v},
                              error, rows))
                return false;
        }
    }
    for (const LibraryWords::Publisher &p : LibraryWords::publishers()) {
        const QString prefix = QStringLiteral("7-") + p.digits;
        if (!addListValue(db, QStringLiteral("出版社名"), QStringLiteral("ISBN"), prefix,
                          {p.name, prefix, p.place}, error, rows))
            return false;
    }
    for (const ReaderCategory &c : readerCategories()) {
        if (!addListValue(db, QStringLiteral("读者类别"), QStringLiteral("类别名"), c.name,
                          {c.name, c.days, c.limit, Money::fromRaw(c.rentRaw).toSql()}, error,
                          rows))
            return false;
    }
    for (const ItemLevel &l : itemLevels()) {
        if (!addListValue(db, QStringLiteral("物品级别"), QStringLiteral("名称"), l.name,
                          {l.name, Money::fromRaw(l.rentRaw).toSql(), l.limit}, error, rows))
            return false;
    }
    QVariantList admin;
    for (const QString &name : administrators()) {
        admin = {name, PasswordHash::make(QString::fromLatin1(DefaultPassword))};
        // Staff may do the daily work but not manage administrators or the system; the
        // unused flags stay 0 as for every new administrator.
        for (int i = 0; i < 16; ++i)
            admin << (i == 0 || i == 5 || i == 9 || i == 10 || i == 13 ? 0 : 1);
        if (!addListValue(db, QStringLiteral("管理员"), QStringLiteral("adminname"), name, admin,
                          error, rows))
            return false;
    }
    // Rent is charged by reader category and overdue fines are taken from the account.
    if (!Statement(QStringLiteral("update 系统设置 set 图书馆名=?, 地址=?, 电话=?, 负责人=?, "
                                  "启用租金功能=1, 启用读者租金=1, 启用超期罚金=1"),
                   {QStringLiteral("明德学院图书馆"), QStringLiteral("学院路 1 号"),
                    QStringLiteral("010-62345678"), QStringLiteral("王丽")})
             .run(db, error))
        return false;
    return tx.commit(error);
}

} // namespace GeneratedReferenceData
