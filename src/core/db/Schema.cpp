#include "Schema.h"

#include "LoginContext.h"
#include "Statement.h"
#include "admin/PasswordHash.h"
#include "search/ContainsIndex.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Schema {

namespace {

using T = ColumnType;

Column c(const char *name, ColumnType type, bool key = false)
{
    return {QString::fromUtf8(name), type, key};
}

// The names the list editors keep: short texts that fill drop-down boxes.
constexpr int kNameWidth = 50;

Column name(const char *name, bool key = false)
{
    return {QString::fromUtf8(name), ColumnType::Text, key, kNameWidth};
}

Table ordered(const char *name, QVector<Column> columns)
{
    return {QString::fromUtf8(name), std::move(columns), true};
}

QVector<Table> buildTables()
{
    QVector<Table> t;
    t.append({QStringLiteral("图书"),
              {c("编号", T::Text, true),
               c("条形码", T::Text),
               c("名称", T::Text),
               c("出版社", T::Text),
               c("分类号", T::Text),
               c("分类", T::Text),
               c("二级分类", T::Text),
               c("存放位置", T::Text),
               c("索书号", T::Text),
               c("作者", T::Text),
               c("译者", T::Text),
               c("数量", T::Integer),
               c("价格", T::Money),
               c("出版时间", T::Text),
               c("页数", T::Integer),
               c("isbn", T::Text),
               c("版次", T::Text),
               c("借出次数", T::Integer),
               c("状态", T::Text),
               c("简介", T::Memo),
               c("py", T::Text),
               c("zch", T::Integer),
               c("币种", T::Text),
               c("物品级别", T::Text),
               c("登记人", T::Text),
               c("入库时间", T::DateTime),
               c("密级", T::Text),
               c("附件", T::Text),
               c("来源", T::Text),
               c("捐赠人", T::Text),
               c("图片地址", T::Memo),
               c("绝对地址", T::Memo),
               c("a1", T::Text),
               c("a2", T::Text),
               c("a3", T::Text),
               c("预定状况", T::Text),
               c("预定到期时间", T::DateTime),
               c("TmpA", T::Text)}});
    t.append({QStringLiteral("期刊"),
              {c("编号", T::Text, true),
               c("名称", T::Text),
               c("条形码", T::Text),
               c("物品级别", T::Text),
               c("分类", T::Text),
               c("二级分类", T::Text),
               c("出版社", T::Text),
               c("存放位置", T::Text),
               c("数量", T::Integer),
               c("ISSN", T::Text),
               c("py", T::Text),
               c("国内统一刊号", T::Text),
               c("邮发代号", T::Text),
               c("出版时间", T::Text),
               c("第几期", T::Text),
               c("入库时间", T::DateTime),
               c("总第几期", T::Text),
               c("价格", T::Money),
               c("币种", T::Text),
               c("借出次数", T::Integer),
               c("状态", T::Text),
               c("来源", T::Text),
               c("捐赠人", T::Text),
               c("简介", T::Memo),
               c("登记人", T::Text),
               c("图片地址", T::Memo),
               c("绝对地址", T::Memo),
               c("预定状况", T::Text),
               c("预定到期时间", T::DateTime)}});
    t.append(
        {QStringLiteral("读者库"), {c("读者编号", T::Text, true), c("读者姓名", T::Text),
                                    c("性别", T::Text),           c("类别", T::Text),
                                    c("单位部门", T::Text),       c("住址", T::Text),
                                    c("联系电话", T::Text),       c("班级", T::Text),
                                    c("院系", T::Text),           c("有效证件", T::Text),
                                    c("证件号码", T::Text),       c("累计借阅次数", T::Integer),
                                    c("未还数量", T::Integer),    c("有效期", T::DateTime),
                                    c("状态", T::Text),           c("备注", T::Memo),
                                    c("密码", T::Text),           c("卡内金额", T::Money),
                                    c("登记人", T::Text),         c("CardId", T::Text),
                                    c("登记日期", T::DateTime),   c("py", T::Text),
                                    c("pic", T::Image),           c("TmpA", T::Text)}});
    t.append({QStringLiteral("借出记录"),
              {c("读者编号", T::Text),      c("cardId", T::Text),       c("读者姓名", T::Text),
               c("条形码", T::Text),        c("编号", T::Text),         c("名称", T::Text),
               c("类别", T::Text),          c("物品级别", T::Text),     c("价格", T::Money),
               c("附件", T::Text),          c("借阅日期", T::DateTime), c("归还日期", T::DateTime),
               c("应还日期", T::DateTime),  c("已还", T::Text),         c("租金", T::Money),
               c("押金", T::Money),         c("罚金", T::Money),        c("实际租期", T::Integer),
               c("实际租金", T::Money),     c("借阅经手人", T::Text),   c("归还经手人", T::Text),
               c("物品状况", T::Text),      c("赔偿金额", T::Money),    c("归还备注", T::Memo),
               c("id", T::AutoNumber, true)}});
    t.append({QStringLiteral("收入"),
              {c("id", T::AutoNumber, true), c("项目", T::Text), c("时间", T::DateTime),
               c("读者编号", T::Text), c("读者姓名", T::Text), c("金额", T::Money),
               c("管理员", T::Text), c("备注", T::Memo)}});
    t.append(ordered("管理员", {name("adminname"), c("pwd", T::Text), c("qxadmin", T::YesNo),
                                c("qxdel", T::YesNo), c("qxbk", T::YesNo), c("qxrd", T::YesNo),
                                c("qxqk", T::YesNo), c("qxwp", T::YesNo), c("qxbkxg", T::YesNo),
                                c("qxrdxg", T::YesNo), c("qxqkxg", T::YesNo), c("qxDjXg", T::YesNo),
                                c("qxwpxg", T::YesNo), c("qxborrow", T::YesNo),
                                c("qxreturn", T::YesNo), c("qxsysset", T::YesNo),
                                c("qxadddata", T::YesNo), c("qxModifyStock", T::YesNo)}));
    t.append({QStringLiteral("管理员日志"),
              {c("id", T::AutoNumber, true), c("事件", T::Text), c("日期", T::DateTime),
               c("管理员", T::Text), c("说明", T::Text)}});
    t.append(ordered("系统设置", {c("图书馆名", T::Text),
                                  c("地址", T::Text),
                                  c("电话", T::Text),
                                  c("负责人", T::Text),
                                  c("超期每日罚金", T::Money),
                                  c("押金倍数", T::Float),
                                  c("赔损金额倍数", T::Float),
                                  c("开户费", T::Money),
                                  c("启用租金功能", T::YesNo),
                                  c("启用读者租金", T::YesNo),
                                  c("启用读者有效期", T::YesNo),
                                  c("启用超期罚金", T::YesNo),
                                  c("借阅数量限制功能", T::YesNo),
                                  c("启用押金功能", T::YesNo),
                                  c("启用预定功能", T::YesNo),
                                  c("显示班级", T::YesNo),
                                  c("显示院系", T::YesNo),
                                  c("借出时打印清单", T::YesNo),
                                  c("归还焦点条形码", T::YesNo),
                                  c("归还焦点图书编号", T::YesNo),
                                  c("归还焦点读者编号", T::YesNo),
                                  c("借阅焦点编号", T::YesNo),
                                  c("借阅焦点条形码", T::YesNo),
                                  c("借阅证背面文字", T::Memo),
                                  c("WebNotice", T::Memo),
                                  c("a1", T::Text),
                                  c("a2", T::Text),
                                  c("a3", T::Text)}));
    t.append(
        {QStringLiteral("b_tuiJian"),
         {c("id", T::AutoNumber, true), c("编号", T::Text), c("名称", T::Text), c("作者", T::Text),
          c("分类", T::Text), c("存放位置", T::Text), c("推荐人", T::Text), c("memo", T::Text)}});
    t.append(ordered("读者类别", {name("类别名"), c("借阅天数", T::Integer),
                                  c("借阅数量限制", T::Integer), c("租金", T::Money)}));
    t.append(ordered("物品级别", {name("名称"), c("租金", T::Money), c("可借数量", T::Integer)}));
    t.append(ordered("分类", {name("名称")}));
    t.append(ordered("二级分类", {name("名称")}));
    t.append(ordered("出版社名", {name("出版社名"), name("ISBN", true), name("出版地")}));
    t.append(ordered("单位名称", {name("单位名称")}));
    t.append(ordered("存放位置", {name("存放位置名")}));
    t.append(ordered("证件名", {name("证件名")}));
    t.append(ordered("币种", {name("币种")}));
    t.append(ordered("附件名", {name("附件名")}));
    t.append(ordered("a1", {name("名称")}));
    t.append(ordered("a2", {name("名称")}));
    t.append(ordered("a3", {name("名称")}));
    t.append(ordered("院系", {name("院系名")}));
    t.append(ordered("班级", {name("班级名")}));
    return t;
}

QVector<Index> buildIndexes()
{
    auto ix = [](const char *name, const char *table, QStringList cols) {
        return Index{QString::fromUtf8(name), QString::fromUtf8(table), std::move(cols)};
    };
    using L = QStringList;
    return {
        ix("ix_图书_条形码", "图书", L{"条形码"}),
        ix("ix_图书_分类号", "图书", L{"分类号", "zch"}),
        ix("ix_图书_入库时间", "图书", L{"入库时间"}),
        ix("ix_图书_名称", "图书", L{"名称"}),
        ix("ix_图书_isbn", "图书", L{"isbn"}),
        ix("ix_图书_借出次数", "图书", L{"借出次数"}),
        ix("ix_图书_预定状况", "图书", L{"预定状况"}),
        // Every item lookup of the borrowing desk first lapses the book reservations past
        // their time ("where 预定到期时间<now"): a range of this index, not a scan of 图书.
        ix("ix_图书_预定到期时间", "图书", L{"预定到期时间"}),
        // Covers the summary of book management (count and sums of 数量 and 数量×价格): a scan
        // of this small index instead of the whole table.
        ix("ix_图书_数量价格", "图书", L{"数量", "价格"}),
        ix("ix_期刊_条形码", "期刊", L{"条形码"}),
        ix("ix_期刊_入库时间", "期刊", L{"入库时间"}),
        ix("ix_期刊_借出次数", "期刊", L{"借出次数"}),
        ix("ix_期刊_预定状况", "期刊", L{"预定状况"}),
        ix("ix_读者库_CardId", "读者库", L{"CardId"}),
        ix("ix_读者库_读者姓名", "读者库", L{"读者姓名"}),
        ix("ix_读者库_累计借阅次数", "读者库", L{"累计借阅次数"}),
        ix("ix_借出记录_读者", "借出记录", L{"读者编号", "已还"}),
        ix("ix_借出记录_编号", "借出记录", L{"编号", "已还"}),
        ix("ix_借出记录_条形码", "借出记录", L{"条形码", "已还"}),
        ix("ix_借出记录_应还日期", "借出记录", L{"应还日期"}),
        ix("ix_借出记录_借阅日期", "借出记录", L{"借阅日期"}),
        // The overdue list: the open loans by due date, without reading the returned ones.
        ix("ix_借出记录_已还", "借出记录", L{"已还", "应还日期"}),
        ix("ix_收入_时间", "收入", L{"时间"}),
        ix("ix_管理员_adminname", "管理员", L{"adminname"}),
    };
}

QString typeName(const Column &column, SqlDialect dialect)
{
    const bool pg = dialect == SqlDialect::Server;
    switch (column.type) {
    case T::Text:
        if (column.width > 0)
            return pg ? QStringLiteral("varchar(%1)").arg(column.width)
                      : QStringLiteral("TEXT(%1)").arg(column.width);
        return pg ? QStringLiteral("varchar") : QStringLiteral("TEXT");
    case T::Memo:
        return QStringLiteral("TEXT");
    case T::Integer:
        return pg ? QStringLiteral("integer") : QStringLiteral("INTEGER");
    case T::Money:
        // SQLite keeps decimals in NUMERIC columns as REAL; amounts are read back through
        // Money, which rounds to the ten-thousandth, so sums stay exact to four decimals.
        return pg ? QStringLiteral("numeric(19,4)") : QStringLiteral("NUMERIC");
    case T::Float:
        return pg ? QStringLiteral("double precision") : QStringLiteral("REAL");
    case T::DateTime:
        // SQLite: ISO text, a midnight stored as the bare date (see sqlDateTime).
        return pg ? QStringLiteral("timestamp(0)") : QStringLiteral("TEXT");
    case T::YesNo:
        return pg ? QStringLiteral("integer not null default 0")
                  : QStringLiteral("INTEGER NOT NULL DEFAULT 0");
    case T::Image:
        return pg ? QStringLiteral("bytea") : QStringLiteral("BLOB");
    case T::AutoNumber:
        return pg ? QStringLiteral("integer generated by default as identity")
                  : QStringLiteral("INTEGER");
    }
    return QString();
}

} // namespace

const QVector<Table> &tables()
{
    static const QVector<Table> all = buildTables();
    return all;
}

const QVector<Index> &indexes()
{
    static const QVector<Index> all = buildIndexes();
    return all;
}

const Table *findTable(const QString &name)
{
    for (const Table &t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

const Column *findColumn(const QString &table, const QString &column)
{
    const Table *t = findTable(table);
    if (!t)
        return nullptr;
    for (const Column &c : t->columns) {
        if (c.name.compare(column.trimmed(), Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

QString checkedColumn(const QString &table, const QString &column)
{
    const Column *c = findColumn(table, column);
    return c ? c->name : QString();
}

int textWidth(const QString &table, const QString &column)
{
    const Table *t = findTable(table);
    if (!t)
        return 0;
    for (const Column &c : t->columns) {
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            return c.width;
    }
    return 0;
}

QString orderColumnDefinition()
{
    // An identity that an update never changes; unique, so that it can address a row.
    return QString::fromUtf8(OrderColumn) +
           QStringLiteral(" bigint generated by default as identity unique");
}

QStringList createStatements(SqlDialect dialect)
{
    QStringList out;
    for (const Table &t : tables()) {
        QStringList cols;
        for (const Column &c : t.columns) {
            QString def = c.name + QLatin1Char(' ') + typeName(c, dialect);
            if (c.key && c.type == T::AutoNumber && dialect != SqlDialect::Server)
                def += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
            else if (c.key)
                // SQLite lets a text primary key hold NULL unless it is told otherwise.
                def += QStringLiteral(" not null primary key");
            cols << def;
        }
        // The embedded database keeps the insertion order in its rowid, which an update never
        // changes; the server moves an updated row, so it numbers the rows itself.
        if (t.insertionOrdered && dialect == SqlDialect::Server)
            cols << orderColumnDefinition();
        out << QStringLiteral("create table %1 (%2)").arg(t.name, cols.join(QStringLiteral(", ")));
    }
    for (const Index &ix : indexes())
        out << QStringLiteral("create index %1 on %2 (%3)")
                   .arg(ix.name, ix.table, ix.columns.join(QStringLiteral(", ")));
    return out;
}

bool isEmpty(QSqlDatabase db)
{
    const QStringList existing = db.tables();
    for (const Table &t : tables()) {
        for (const QString &name : existing) {
            if (name.compare(t.name, Qt::CaseInsensitive) == 0)
                return false;
        }
    }
    return true;
}

namespace {

bool insertDefaultRows(const QSqlDatabase &db, QString *error)
{
    const QVariantList admin = {QString::fromUtf8(SuperAdminName),
                                PasswordHash::make(QString::fromLatin1(DefaultPassword))};
    QString adminSql = QStringLiteral("insert into 管理员 values (?, ?");
    for (int i = 0; i < 16; ++i)
        adminSql += QStringLiteral(", 1");
    adminSql += QLatin1Char(')');
    const QVector<Statement> rows = {
        Statement(adminSql, admin),
        Statement(
            QStringLiteral(
                "insert into 系统设置 (图书馆名, 地址, 电话, 负责人, 超期每日罚金, 押金倍数, "
                "赔损金额倍数, 开户费, 启用租金功能, 启用读者租金, 启用读者有效期, 启用超期罚金, "
                "借阅数量限制功能, 启用押金功能, 启用预定功能, 显示班级, 显示院系, 借出时打印清单, "
                "归还焦点条形码, 归还焦点图书编号, 归还焦点读者编号, 借阅焦点编号, 借阅焦点条形码, "
                "借阅证背面文字, WebNotice, a1, a2, a3) values ('图书馆', '', '', '', ?, 1, 1, ?, "
                "0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, '', '', NULL, NULL, NULL)"),
            {Money::fromRaw(1000).toSql(), Money().toSql()}),
        Statement(QStringLiteral("insert into 读者类别 values ('普通', 30, 5, ?)"),
                  {Money().toSql()}),
        Statement(QStringLiteral("insert into 物品级别 values ('普通', ?, 0)"), {Money().toSql()}),
        Statement(QStringLiteral("insert into 币种 values ('人民币')")),
        Statement(QStringLiteral("insert into 证件名 values ('身份证')")),
        Statement(QStringLiteral("insert into 存放位置 values ('书库')")),
        Statement(QStringLiteral("insert into 分类 values ('综合')")),
    };
    for (const Statement &st : rows) {
        if (!st.run(db, error))
            return false;
    }
    return true;
}

} // namespace

bool create(QSqlDatabase db, SqlDialect dialect, QString *error)
{
    Transaction tx(db);
    QSqlQuery q(db);
    for (const QString &sql : createStatements(dialect)) {
        if (!q.exec(sql)) {
            if (error)
                *error = Statement::lastError(q) + QStringLiteral("\n") + sql;
            return false;
        }
    }
    if (!insertDefaultRows(db, error))
        return false;
    if (!tx.commit(error))
        return false;
    // The search indexes come after: a database that cannot build them (no trigram
    // tokenizer, no pg_trgm) is still a library, searched without them; the upgrade at the
    // next opening says why they are missing.
    QString ignored;
    ContainsIndex::ensure(db, dialect, nullptr, &ignored);
    return true;
}

} // namespace Schema
