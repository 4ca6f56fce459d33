#include "BookEdit.h"

#include "BookIntake.h"
#include "ItemEdit.h"

#include "admin/AdminLog.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/RowChange.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "text/NumberText.h"
#include "text/Pinyin.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <algorithm>
#include <optional>
#include <utility>

namespace BookEdit {

namespace {

const QString kNumber = QStringLiteral("编号");
const QString kTitle = QStringLiteral("名称");
const QString kPages = QStringLiteral("页数");
const QString kPrice = QStringLiteral("价格");
const QString kZch = QStringLiteral("zch");
const QString kLevel = QStringLiteral("物品级别");
const QString kSource = QStringLiteral("来源");
const QString kDonor = QStringLiteral("捐赠人");
const QString kDocument = QStringLiteral("绝对地址");
const QString kQuantity = QStringLiteral("数量");
const QString kBarcode = QStringLiteral("条形码");

using ItemEdit::failure;

bool numberTaken(const QString &number, QString *error)
{
    Statement st(QStringLiteral("select count(*) from 图书 where 编号="));
    st.value(number);
    return st.scalar(error).toLongLong() > 0;
}

QString deletedMessage(const QString &number)
{
    return ItemEdit::deletedMessage(QStringLiteral("图书"), number);
}

// Runs an update and tells how many rows it changed (-1 on a database error).
int updatedRows(const Statement &st, QString *error)
{
    QSqlQuery q = st.exec();
    if (q.lastError().isValid()) {
        *error = Statement::lastError(q);
        return -1;
    }
    const int rows = q.numRowsAffected();
    q.finish();
    return rows;
}

// A whole-number field: empty gives the default, anything else but a whole number a message.
bool wholeNumber(const QString &text, const QVariant &empty, QVariant *out)
{
    const QString t = NumberText::normalized(text);
    if (t.isEmpty()) {
        *out = empty;
        return true;
    }
    int n = 0;
    if (!NumberText::toInt(t, &n))
        return false;
    *out = n;
    return true;
}

} // namespace

const QStringList &textColumns()
{
    static const QStringList columns = {
        kTitle,
        kNumber,
        kBarcode,
        QStringLiteral("出版社"),
        QStringLiteral("分类"),
        QStringLiteral("二级分类"),
        QStringLiteral("存放位置"),
        kPages,
        kPrice,
        QStringLiteral("作者"),
        QStringLiteral("译者"),
        QStringLiteral("分类号"),
        QStringLiteral("索书号"),
        kZch,
        QStringLiteral("币种"),
        QStringLiteral("版次"),
        QStringLiteral("isbn"),
        QStringLiteral("附件"),
        QStringLiteral("a1"),
        QStringLiteral("出版时间"),
        kDocument,
        QStringLiteral("状态"),
        kLevel,
        kSource,
        kDonor,
        QStringLiteral("a2"),
        QStringLiteral("a3"),
        QStringLiteral("简介"),
    };
    return columns;
}

QMap<QString, QStringList> loadPickLists(QString *error)
{
    // The same lists as intake, by the column of 图书 each one fills.
    const BookIntake::PickLists l = BookIntake::loadPickLists(error);
    return {{QStringLiteral("出版社"), l.publishers},
            {QStringLiteral("分类"), l.classes},
            {QStringLiteral("二级分类"), l.subClasses},
            {QStringLiteral("存放位置"), l.locations},
            {QStringLiteral("币种"), l.currencies},
            {QStringLiteral("附件"), l.attachments},
            {kLevel, l.levels},
            {QStringLiteral("a1"), l.a1},
            {QStringLiteral("a2"), l.a2},
            {QStringLiteral("a3"), l.a3}};
}

QStringList states()
{
    return BookIntake::states();
}

QStringList sources()
{
    return BookIntake::sources();
}

bool isDonation(const QString &source)
{
    return source.trimmed() == QStringLiteral("捐赠");
}

QString defaultLevel()
{
    return QStringLiteral("普通");
}

QString none()
{
    return QStringLiteral("n");
}

QString pinyinOf(const QString &title)
{
    return PinyinInitials(title.trimmed());
}

QString noPermissionMessage()
{
    return QStringLiteral("没有权限!");
}

QString quantityMissingMessage()
{
    return QStringLiteral("填写数量!");
}

QString stockLogText(const QString &barcode)
{
    return QStringLiteral("条形码:") + barcode;
}

QString stockLogEvent()
{
    return QStringLiteral("修改库存");
}

Result update(const QSqlRecord &asRead, const BookForm &form)
{
    if (!loginContext().qxbkxg)
        return failure(noPermissionMessage());
    const QString number = form.texts.value(kNumber).trimmed();
    if (number.isEmpty())
        return failure(QStringLiteral("图书编号不能为空!"), kNumber);

    // The new value of each column, as it is stored.
    QMap<QString, QVariant> values;
    for (const QString &column : textColumns())
        values.insert(column, form.texts.value(column).trimmed());
    values.insert(kDocument, form.texts.value(kDocument));
    if (values.value(kLevel).toString().isEmpty())
        values.insert(kLevel, defaultLevel());
    if (!isDonation(values.value(kSource).toString()))
        values.insert(kDonor, QString());

    QVariant parsed;
    if (!wholeNumber(form.texts.value(kPages), 0, &parsed))
        return failure(QStringLiteral("页数必须是整数!"), kPages);
    values.insert(kPages, parsed);
    if (!wholeNumber(form.texts.value(kZch), QVariant(QMetaType(QMetaType::Int)), &parsed))
        return failure(QStringLiteral("种次号必须是整数!"), kZch);
    values.insert(kZch, parsed);
    const QString priceText = NumberText::normalized(form.texts.value(kPrice));
    const std::optional<Money> price =
        priceText.isEmpty() ? std::optional<Money>(Money()) : Money::parse(priceText);
    if (!price)
        return failure(QStringLiteral("价格必须是数字!"), kPrice);
    values.insert(kPrice, price->toSql());

    // The columns whose value changed. A NULL that the window showed as an empty field and
    // left empty stays NULL.
    QVector<std::pair<QString, QVariant>> changes;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QVariant stored = asRead.value(it.key());
        bool same;
        if (it.key() == kPrice)
            same = !stored.isNull() && Money::fromVariant(stored) == *price;
        else if (it.key() == kPages || it.key() == kZch)
            same = it.value().isNull() ? stored.isNull()
                                       : !stored.isNull() && stored.toInt() == it.value().toInt();
        else
            same = it.value().toString() == stored.toString();
        if (!same)
            changes.append({it.key(), it.value()});
    }
    // An empty price or page count read as NULL and left empty stays NULL.
    changes.erase(std::remove_if(changes.begin(), changes.end(),
                                 [&](const std::pair<QString, QVariant> &c) {
                                     return (c.first == kPrice || c.first == kPages) &&
                                            asRead.value(c.first).isNull() &&
                                            form.texts.value(c.first).trimmed().isEmpty();
                                 }),
                  changes.end());
    const QString py = pinyinOf(form.texts.value(kTitle));
    if (py != asRead.value(QStringLiteral("py")).toString())
        changes.append({QStringLiteral("py"), py});
    ItemEdit::addIntakeChange(asRead, form.intake, &changes);
    return ItemEdit::write(RowChange{QStringLiteral("图书"), kNumber, asRead, changes},
                           QStringLiteral("图书"));
}

Result changeStock(const QSqlRecord &asRead, const QString &typed, int *quantity)
{
    if (!loginContext().qxModifyStock)
        return failure(noPermissionMessage());
    const QString text = NumberText::normalized(typed);
    if (text.isEmpty())
        return failure(quantityMissingMessage(), kQuantity);
    int n = 0;
    if (!NumberText::toInt(text, &n))
        return failure(QStringLiteral("数量必须是整数!"), kQuantity);
    if (n < 0)
        return failure(QStringLiteral("数量不能小于0!"), kQuantity);

    const QString number = asRead.value(kNumber).toString();
    const QVariant stored = asRead.value(kQuantity);
    Statement st(QStringLiteral("update 图书 set 数量="));
    st.value(n).text(QStringLiteral(" where 编号=")).value(number);
    st.text(RowChange::sameAs(kQuantity))
        .value(stored.isNull() ? QVariant(QMetaType(QMetaType::Int)) : QVariant(stored.toInt()));

    Transaction tx;
    if (!tx.isActive())
        return failure(QStringLiteral("库存修改失败:\n") + tx.error());
    QString error;
    const int affected = updatedRows(st, &error);
    if (affected < 0)
        return failure(QStringLiteral("库存修改失败:\n") + error);
    if (affected != 1) {
        tx.rollback();
        QString ignored;
        if (!numberTaken(number, &ignored))
            return failure(deletedMessage(number));
        return failure(QStringLiteral("图书“%1”的库存已在别处改变(借出、归还或修改),"
                                      "本次修改没有保存。\n请刷新图书列表后再修改。")
                           .arg(number));
    }
    if (!AdminLog::write(stockLogEvent(), stockLogText(asRead.value(kBarcode).toString()), &error))
        return failure(QStringLiteral("管理员日志写入失败,库存没有修改:\n") + error);
    if (!tx.commit(&error))
        return failure(QStringLiteral("库存修改失败:\n") + error);
    if (quantity)
        *quantity = n;
    Result r;
    r.ok = true;
    r.written = true;
    return r;
}

} // namespace BookEdit
