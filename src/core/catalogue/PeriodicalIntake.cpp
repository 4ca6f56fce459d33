#include "PeriodicalIntake.h"

#include "BookIntake.h"
#include "ReferenceLists.h"

#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/Statement.h"
#include "text/NumberText.h"
#include "text/Pinyin.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace PeriodicalIntake {

namespace {

const QString kTable = QStringLiteral("期刊");
const QString kLevel = QStringLiteral("物品级别");
const QString kCount = QStringLiteral("数量");
const QString kPrice = QStringLiteral("价格");

Result refused(const QString &message, const QString &column = QString())
{
    Result r;
    r.message = message;
    r.column = column;
    return r;
}

} // namespace

const QStringList &textColumns()
{
    static const QStringList columns = {QStringLiteral("编号"),
                                        QStringLiteral("名称"),
                                        QStringLiteral("条形码"),
                                        kLevel,
                                        QStringLiteral("出版社"),
                                        QStringLiteral("存放位置"),
                                        QStringLiteral("分类"),
                                        QStringLiteral("二级分类"),
                                        QStringLiteral("状态"),
                                        QStringLiteral("简介"),
                                        QStringLiteral("ISSN"),
                                        QStringLiteral("国内统一刊号"),
                                        QStringLiteral("邮发代号"),
                                        QStringLiteral("第几期"),
                                        QStringLiteral("总第几期"),
                                        kPrice,
                                        kCount,
                                        QStringLiteral("py")};
    return columns;
}

const QStringList &requiredColumns()
{
    static const QStringList columns = {QStringLiteral("编号"),
                                        QStringLiteral("名称"),
                                        QStringLiteral("条形码"),
                                        kCount,
                                        kPrice,
                                        kLevel};
    return columns;
}

QMap<QString, QString> initialTexts()
{
    QMap<QString, QString> t;
    for (const QString &column : textColumns())
        t.insert(column, QString());
    t.insert(kLevel, QStringLiteral("普通"));
    t.insert(QStringLiteral("状态"), QStringLiteral("正常"));
    t.insert(kPrice, QStringLiteral("0"));
    t.insert(kCount, QStringLiteral("1"));
    return t;
}

QMap<QString, QStringList> loadPickLists(QString *error)
{
    QStringList errors;
    QMap<QString, QStringList> lists = {
        {QStringLiteral("出版社"),
         ReferenceLists::read(QStringLiteral("出版社名"), QStringLiteral("出版社名"), &errors)},
        {kLevel, ReferenceLists::read(QStringLiteral("物品级别"), QStringLiteral("名称"), &errors)},
        {QStringLiteral("存放位置"),
         ReferenceLists::read(QStringLiteral("存放位置"), QStringLiteral("存放位置名"), &errors)},
        {QStringLiteral("分类"),
         ReferenceLists::read(QStringLiteral("分类"), QStringLiteral("名称"), &errors)},
        {QStringLiteral("二级分类"),
         ReferenceLists::read(QStringLiteral("二级分类"), QStringLiteral("名称"), &errors)}};
    if (error)
        *error = errors.join(QLatin1Char('\n'));
    return lists;
}

QStringList states()
{
    return BookIntake::states();
}

QString requiredMessage()
{
    return BookIntake::requiredMessage();
}

QString savedMessage()
{
    return QStringLiteral("保存完毕");
}

QString pinyinOf(const QString &name)
{
    return PinyinInitials(name);
}

bool requiredFilled(const Form &form)
{
    for (const QString &column : requiredColumns()) {
        if (form.texts.value(column).isEmpty())
            return false;
    }
    return true;
}

const QStringList &copiedColumns()
{
    static const QStringList columns = {
        QStringLiteral("名称"),     QStringLiteral("物品级别"),     QStringLiteral("出版社"),
        QStringLiteral("存放位置"), QStringLiteral("分类"),         QStringLiteral("二级分类"),
        QStringLiteral("ISSN"),     QStringLiteral("国内统一刊号"), QStringLiteral("邮发代号"),
        QStringLiteral("第几期"),   QStringLiteral("总第几期"),     kPrice,
        QStringLiteral("py"),       QStringLiteral("简介")};
    return columns;
}

EarlierIssue earlierIssue(const QString &barcode)
{
    EarlierIssue out;
    // The issues have no insertion key of their own; the earliest intake comes first.
    Statement st(QStringLiteral("select ") + copiedColumns().join(QStringLiteral(", ")) +
                 QStringLiteral(" from 期刊 where 条形码="));
    st.value(barcode.trimmed()).text(QStringLiteral(" order by 入库时间, 编号"));
    QSqlQuery q = st.exec();
    if (!q.isActive()) {
        out.error = Statement::lastError(q);
        return out;
    }
    if (!q.next())
        return out;
    out.found = true;
    for (const QString &column : copiedColumns()) {
        const QVariant v = q.value(column);
        if (v.isNull())
            continue;
        QString text = column == kPrice ? Money::fromVariant(v).toString() : v.toString();
        if (column == kLevel)
            text = text.trimmed();
        out.texts.insert(column, text);
    }
    return out;
}

Result add(const Form &form, const QDate &today)
{
    auto text = [&](const QString &column) { return form.texts.value(column).trimmed(); };
    int count = 0;
    if (!NumberText::toInt(text(kCount), &count))
        return refused(QStringLiteral("数量必须是整数:") + text(kCount), kCount);
    const std::optional<Money> price = Money::parse(NumberText::normalized(text(kPrice)));
    if (!price)
        return refused(QStringLiteral("价格必须是数字:") + text(kPrice), kPrice);

    QStringList columns;
    QVariantList values;
    for (const QString &column : textColumns()) {
        columns << column;
        if (column == kCount)
            values << count;
        else if (column == kPrice)
            values << price->toSql();
        else
            values << text(column);
    }
    columns << QStringLiteral("出版时间") << QStringLiteral("入库时间")
            << QStringLiteral("借出次数") << QStringLiteral("登记人");
    values << (form.published.isValid() ? QVariant(form.published.toString(Qt::ISODate))
                                        : QVariant(QMetaType(QMetaType::QString)))
           << sqlDate(today) << 0 << loginContext().adminName;

    // The number test and the insert are one step for every workstation; a taken number is
    // named in words rather than by the database's constraint.
    Transaction tx(kTable);
    if (!tx.isActive())
        return refused(tx.error());
    Statement exists(QStringLiteral("select count(*) from 期刊 where 编号="));
    exists.value(text(QStringLiteral("编号")));
    QString error;
    const qlonglong taken = exists.scalar(&error).toLongLong();
    if (!error.isEmpty())
        return refused(error);
    if (taken > 0)
        return refused(BookIntake::duplicateNumberMessage(text(QStringLiteral("编号"))),
                       QStringLiteral("编号"));
    if (!Statement::insert(kTable, columns, values).run(&error) || !tx.commit(&error))
        return refused(error);
    Result r;
    r.ok = true;
    return r;
}

} // namespace PeriodicalIntake
