#include "ListTable.h"

#include "RowKey.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/RowOrder.h"
#include "db/Schema.h"
#include "db/SharedConnection.h"
#include "text/NumberText.h"

#include <QSqlError>

namespace {

ListField nameField(const QString &column, const QString &label = QString())
{
    ListField f;
    f.column = column;
    f.label = label;
    f.messageName = label.isEmpty() ? column : label;
    return f;
}

ListField numberField(const QString &column, const QString &label, const QString &messageName,
                      ListField::Kind kind, const QString &hint = QString())
{
    ListField f;
    f.column = column;
    f.label = label;
    f.messageName = messageName;
    f.kind = kind;
    f.hint = hint;
    return f;
}

ListSpec simpleList(const char *command, const char *className, const char *caption,
                    const char *table, const char *column, int customList = 0)
{
    ListSpec s;
    s.command = QString::fromUtf8(command);
    s.className = QString::fromUtf8(className);
    s.caption = QString::fromUtf8(caption);
    s.customList = customList;
    s.table = QString::fromUtf8(table);
    s.fields = {nameField(QString::fromUtf8(column))};
    s.gridColumns = {QString::fromUtf8(column)};
    return s;
}

QVector<ListSpec> buildSpecs()
{
    using K = ListField::Kind;
    QVector<ListSpec> all;
    all << simpleList("图书分类设置", "TBkKindFm", "分类设置", "分类", "名称");
    all << simpleList("二级分类设置", "TBk2KindFm", "二级分类设置", "二级分类", "名称");

    ListSpec pub = simpleList("出版社名设置", "TPubFm", "出版社名设置", "出版社名", "出版社名");
    pub.fields = {nameField(QStringLiteral("出版社名"), QStringLiteral("出版社名")),
                  nameField(QStringLiteral("ISBN"), QStringLiteral("ISBN")),
                  nameField(QStringLiteral("出版地"), QStringLiteral("出版地"))};
    pub.gridColumns = {QStringLiteral("ISBN"), QStringLiteral("出版社名"),
                       QStringLiteral("出版地")};
    pub.sortable = true;
    // The prefix is the key by which book intake finds the publisher.
    pub.uniqueColumn = QStringLiteral("ISBN");
    all << pub;

    all << simpleList("单位/部门名", "TDepartMentFm", "单位/部门名称设置", "单位名称", "单位名称");
    all << simpleList("存放位置", "TPlaceFm", "存放位置名设置", "存放位置", "存放位置名");
    all << simpleList("证件名设置", "TPaperFm", "证件名设置", "证件名", "证件名");
    all << simpleList("币种名设置", "TMoneyKindFm", "币种设置", "币种", "币种");
    all << simpleList("a1设置", "Ta1Fm", "", "a1", "名称", 1);
    all << simpleList("a2设置", "Ta2Fm", "", "a2", "名称", 2);
    all << simpleList("a3设置", "Ta3Fm", "", "a3", "名称", 3);

    ListSpec kinds = simpleList("读者类别设置", "TRdKindFm", "读者分类设置", "读者类别", "类别名");
    kinds.fields = {nameField(QStringLiteral("类别名"), QStringLiteral("读者类别名")),
                    numberField(QStringLiteral("借阅天数"), QStringLiteral("借阅天数"),
                                QStringLiteral("借阅天数"), K::Count),
                    numberField(QStringLiteral("借阅数量限制"), QStringLiteral("数量限制"),
                                QStringLiteral("数量限制"), K::Count),
                    numberField(QStringLiteral("租金"), QStringLiteral("租金"),
                                QStringLiteral("租金"), K::Money)};
    kinds.gridColumns = {QStringLiteral("类别名"), QStringLiteral("借阅天数"),
                         QStringLiteral("借阅数量限制"), QStringLiteral("租金")};
    kinds.deleteRule = DeleteRule::KeepReaderDefault;
    // The lending rules are found by the name: two rows of one name would make them
    // ambiguous, and a renamed category takes its readers along.
    kinds.uniqueColumn = QStringLiteral("类别名");
    kinds.usedBy = {{QStringLiteral("读者库"), QStringLiteral("类别"), QStringLiteral("位读者")}};
    all << kinds;

    ListSpec levels = simpleList("物品级别设置", "TRentLevelFm", "物品级别", "物品级别", "名称");
    ListField levelName = nameField(QStringLiteral("名称"), QStringLiteral("名称"));
    levelName.fixedOnModify = true;
    levels.fields = {levelName,
                     numberField(QStringLiteral("租金"), QStringLiteral("租金(元)"),
                                 QStringLiteral("租金"), K::Money),
                     numberField(QStringLiteral("可借数量"), QStringLiteral("可借数量"),
                                 QStringLiteral("可借数量"), K::Count,
                                 QStringLiteral("(0 就是不限制)"))};
    levels.gridColumns = {QStringLiteral("名称"), QStringLiteral("租金"),
                          QStringLiteral("可借数量")};
    levels.deleteRule = DeleteRule::KeepLevelDefault;
    levels.uniqueColumn = QStringLiteral("名称");
    levels.usedBy = {
        {QStringLiteral("图书"), QStringLiteral("物品级别"), QStringLiteral("本图书")},
        {QStringLiteral("期刊"), QStringLiteral("物品级别"), QStringLiteral("本期刊")}};
    all << levels;
    return all;
}

const QString &defaultName()
{
    static const QString name = QStringLiteral("普通");
    return name;
}

} // namespace

namespace ListSpecs {

const QVector<ListSpec> &all()
{
    static const QVector<ListSpec> specs = buildSpecs();
    return specs;
}

const ListSpec *byCommand(const QString &command)
{
    for (const ListSpec &s : all()) {
        if (s.command == command)
            return &s;
    }
    return nullptr;
}

const ListSpec *byClass(const QString &className)
{
    for (const ListSpec &s : all()) {
        if (s.className == className)
            return &s;
    }
    return nullptr;
}

QString caption(const ListSpec &setup)
{
    switch (setup.customList) {
    case 1:
        return loginContext().customListLabel1;
    case 2:
        return loginContext().customListLabel2;
    case 3:
        return loginContext().customListLabel3;
    default:
        return setup.caption;
    }
}

} // namespace ListSpecs

ListTable::ListTable(ListSpec setup)
    : m_setup(std::move(setup))
{}

QStringList ListTable::columns() const
{
    QStringList out;
    for (const ListField &f : m_setup.fields)
        out << f.column;
    return out;
}

Statement ListTable::selectStatement(bool withNewRow) const
{
    // The lines in the order the rows were added (their address is that order); the grid
    // shows the listed columns, the others of the table stay readable.
    const QString rows =
        QStringLiteral("select %1, %2.* from %2").arg(RowKey::selectItem(), m_setup.table);
    if (!withNewRow)
        return Statement(rows + RowOrder::orderBy());
    // The empty line has every column of the table, however many it has: the outer join of
    // one row with no row of the table. Its address is NULL, and it comes last.
    const QString key = QString::fromUtf8(RowKey::Field);
    return Statement(QStringLiteral("select * from (%1 union all select %3, %2.* from (select 1 "
                                    "as one) one_row left join %2 on 1=0) u order by %4 is "
                                    "null, %4")
                         .arg(rows, m_setup.table, RowKey::nullItem(), key));
}

QString ListTable::validate(const QStringList &texts, QVariantList *values) const
{
    QVariantList out;
    for (int i = 0; i < m_setup.fields.size(); ++i) {
        const ListField &f = m_setup.fields[i];
        const QString text = texts.value(i);
        // Only the name is required, and a name of blanks is still a name.
        if (i == 0 && text.isEmpty())
            return QStringLiteral("请填写完整！");
        switch (f.kind) {
        case ListField::Kind::Text: {
            const int width = Schema::textWidth(m_setup.table, f.column);
            if (width > 0 && text.size() > width)
                return QStringLiteral("%1不能超过%2个字").arg(f.messageName).arg(width) +
                       QStringLiteral("(现在是%1个)!").arg(text.size());
            // An empty optional field is an empty text, never NULL: the publisher prefix
            // is a key and both databases must treat it alike.
            out << QVariant(text.isNull() ? QStringLiteral("") : text);
            break;
        }
        case ListField::Kind::Count: {
            const QString t = NumberText::normalized(text);
            if (t.isEmpty()) {
                out << QVariant(QMetaType(QMetaType::Int));
                break;
            }
            bool ok = false;
            const int n = t.toInt(&ok);
            if (!ok)
                return f.messageName + QStringLiteral("必须是整数!");
            if (n < 0)
                return f.messageName + QStringLiteral("必须是不小于0的整数!");
            out << n;
            break;
        }
        case ListField::Kind::Money: {
            if (text.trimmed().isEmpty()) {
                out << QVariant(QMetaType(QMetaType::QString));
                break;
            }
            const std::optional<Money> m = Money::parse(text);
            if (!m || m->isNegative())
                return f.messageName + QStringLiteral("必须是不小于0的金额!");
            out << m->toSql();
            break;
        }
        }
    }
    if (values)
        *values = out;
    return QString();
}

QString ListTable::uniqueRefusal(const QVariantList &values, const QSqlRecord *original) const
{
    if (m_setup.uniqueColumn.isEmpty())
        return QString();
    const int index = columns().indexOf(m_setup.uniqueColumn);
    const QString value = values.value(index).toString();
    if (original && original->value(m_setup.uniqueColumn).toString() == value)
        return QString();
    Statement count(QStringLiteral("select count(*) from %1 where %2=")
                        .arg(m_setup.table, m_setup.uniqueColumn));
    count.value(value);
    QString error;
    const QVariant n = count.scalar(&error);
    if (!error.isEmpty())
        return error;
    if (n.toLongLong() == 0)
        return QString();
    const QString name = m_setup.fields[index].messageName;
    if (value.isEmpty())
        return QStringLiteral("已有一行的%1是空的, %1不能重复!").arg(name);
    return QStringLiteral("%1 \"%2\" 已经有了, 不能重复!").arg(name, value);
}

ListTable::Result ListTable::insert(const QStringList &texts) const
{
    Result r;
    QVariantList values;
    r.message = validate(texts, &values);
    if (!r.message.isEmpty())
        return r;
    // The check and the insert are one step for all workstations: two of them adding one
    // name at the same moment cannot both get it in.
    Transaction tx(m_setup.table);
    if (!tx.isActive()) {
        r.message = tx.error();
        return r;
    }
    r.message = uniqueRefusal(values, nullptr);
    if (!r.message.isEmpty())
        return r;
    Statement st(QStringLiteral("insert into %1 (%2) values (")
                     .arg(m_setup.table, columns().join(QLatin1Char(','))));
    for (int i = 0; i < values.size(); ++i)
        st.text(i ? QStringLiteral(",") : QString()).value(values[i]);
    st.text(QStringLiteral(")") + RowKey::insertSuffix());
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        r.message = Statement::lastError(q);
        return r;
    }
    const QString key = RowKey::insertedKey(q);
    q.finish();
    if (!tx.commit(&r.message))
        return r;
    r.ok = true;
    r.rowKey = key;
    return r;
}

QString ListTable::usageText(const QString &name, QString *error) const
{
    QStringList parts;
    for (const ListUsage &use : m_setup.usedBy) {
        const qlonglong n =
            Statement(
                QStringLiteral("select count(*) from %1 where %2=").arg(use.table, use.column))
                .value(name)
                .scalar(error)
                .toLongLong();
        if (error && !error->isEmpty())
            return QString();
        if (n > 0)
            parts << QString::number(n) + QLatin1Char(' ') + use.counted;
    }
    if (parts.isEmpty())
        return QString();
    return QStringLiteral("有 %1的%2是\"%3\"")
        .arg(parts.join(QStringLiteral("和 ")), m_setup.usedBy.first().column, name);
}

QString ListTable::renameQuestion(const QSqlRecord &original, const QStringList &texts,
                                  QString *error) const
{
    const ListField &nameField = m_setup.fields.first();
    if (m_setup.usedBy.isEmpty() || nameField.fixedOnModify)
        return QString();
    const QString oldName = original.value(nameField.column).toString();
    const QString newName = texts.value(0);
    if (oldName == newName || original.value(nameField.column).isNull())
        return QString();
    const QString used = usageText(oldName, error);
    if (used.isEmpty())
        return QString();
    return used + QStringLiteral(", 是否把它们一起改为\"%1\"?").arg(newName);
}

ListTable::Result ListTable::update(const QSqlRecord &original, const QStringList &texts) const
{
    Result r;
    QVariantList values;
    r.message = validate(texts, &values);
    if (!r.message.isEmpty())
        return r;
    // A level keeps its name: loans and items refer to it by that name.
    for (int i = 0; i < m_setup.fields.size(); ++i) {
        if (m_setup.fields[i].fixedOnModify)
            values[i] = original.value(m_setup.fields[i].column);
    }
    Transaction tx(m_setup.table);
    if (!tx.isActive()) {
        r.message = tx.error();
        return r;
    }
    r.message = uniqueRefusal(values, &original);
    if (!r.message.isEmpty())
        return r;
    Statement st(QStringLiteral("update %1 set ").arg(m_setup.table));
    const QStringList cols = columns();
    for (int i = 0; i < cols.size(); ++i)
        st.text((i ? QStringLiteral(",") : QString()) + cols[i] + QStringLiteral("="))
            .value(values[i]);
    RowKey::appendRowMatch(st, original, cols);
    // Not forward-only: the server then hands over the count of changed rows at once.
    QSqlQuery q = st.exec(false);
    if (q.lastError().isValid()) {
        r.message = Statement::lastError(q);
        return r;
    }
    if (q.numRowsAffected() != 1) {
        r.message = changedMeanwhileMessage();
        return r;
    }
    // The rows that carry the old name follow it (the readers of a renamed category).
    const QString oldName = original.value(cols.first()).toString();
    if (!original.value(cols.first()).isNull() && values.first().toString() != oldName) {
        for (const ListUsage &use : m_setup.usedBy) {
            Statement carry(QStringLiteral("update %1 set %2=").arg(use.table, use.column));
            carry.value(values.first())
                .text(QStringLiteral(" where %1=").arg(use.column))
                .value(oldName);
            if (!carry.run(&r.message))
                return r;
        }
    }
    if (!tx.commit(&r.message))
        return r;
    r.ok = true;
    // The address of a row never changes.
    r.rowKey = original.value(QString::fromUtf8(RowKey::Field)).toString();
    return r;
}

int ListTable::rowCount(QString *error) const
{
    return Statement(QStringLiteral("select count(*) from %1").arg(m_setup.table))
        .scalar(error)
        .toInt();
}

QString ListTable::deleteRefusal(const QSqlRecord *current) const
{
    if (!current || current->isEmpty()) {
        QString error;
        const int n = rowCount(&error);
        if (!error.isEmpty())
            return error;
        return n == 0 ? QStringLiteral("列表是空的, 没有可删除的记录!")
                      : QStringLiteral("请先在列表中选中要删除的一行!");
    }
    const QString name = current->value(m_setup.fields.first().column).toString();
    switch (m_setup.deleteRule) {
    case DeleteRule::KeepOneRow: {
        QString error;
        const int n = rowCount(&error);
        if (!error.isEmpty())
            return error;
        if (n <= 1)
            return QStringLiteral("至少留有一个！！");
        return QString();
    }
    case DeleteRule::KeepReaderDefault:
        return name == defaultName() ? QStringLiteral("(普通)不能删除！") : QString();
    case DeleteRule::KeepLevelDefault:
        return name == defaultName() ? QStringLiteral("\"普通\"类型必须保留!") : QString();
    }
    return QString();
}

QString ListTable::deleteQuestion(const QSqlRecord &current, QString *error) const
{
    const QString name = current.value(m_setup.fields.first().column).toString();
    QString question = QStringLiteral("您是否要删除\" ") + name + QStringLiteral("\"");
    if (!m_setup.usedBy.isEmpty()) {
        const QString used = usageText(name, error);
        if (!used.isEmpty())
            question += QStringLiteral("\n(") + used + QStringLiteral(")");
    }
    return question;
}

ListTable::Result ListTable::remove(const QSqlRecord &original) const
{
    Result r;
    r.message = deleteRefusal(&original);
    if (!r.message.isEmpty())
        return r;
    Statement st(QStringLiteral("delete from %1").arg(m_setup.table));
    RowKey::appendRowMatch(st, original, columns());
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        r.message = Statement::lastError(q);
        return r;
    }
    if (q.numRowsAffected() != 1) {
        r.message = changedMeanwhileMessage();
        return r;
    }
    r.ok = true;
    return r;
}

QString ListTable::changedMeanwhileMessage()
{
    return QStringLiteral("这一行已被别处修改或删除, 列表已重新读取, 请再试一次!");
}
