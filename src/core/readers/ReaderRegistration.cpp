#include "ReaderRegistration.h"

#include "catalogue/ReferenceLists.h"

#include "db/LoginContext.h"
#include "db/RowChange.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "text/Pinyin.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QTime>
#include <utility>

namespace ReaderRegistration {

namespace {

const QString kNumber = QStringLiteral("读者编号");
const QString kName = QStringLiteral("读者姓名");
const QString kCategory = QStringLiteral("类别");

Result failure(const QString &message, const QString &column = QString())
{
    Result r;
    r.message = message;
    r.column = column;
    return r;
}

QString trimmedText(const ReaderForm &form, const QString &column)
{
    return form.texts.value(column).trimmed();
}

// The photo and the creation stamp are kept where the table has their columns; a library
// without them still registers its readers.
bool hasColumn(const QString &column)
{
    return SharedConnection::database().record(QStringLiteral("读者库")).contains(column);
}

// Whether a reader with this number exists; an error text when that cannot be read.
bool numberTaken(const QString &number, QString *error)
{
    Statement st(QStringLiteral("select count(*) from 读者库 where 读者编号="));
    st.value(number);
    return st.scalar(error).toLongLong() > 0;
}

QString duplicateMessage(const QString &number)
{
    return QStringLiteral("读者编号“%1”已经存在,请换一个编号!").arg(number);
}

} // namespace

const QStringList &textColumns()
{
    static const QStringList columns = {
        kNumber,
        kName,
        QStringLiteral("性别"),
        kCategory,
        QStringLiteral("单位部门"),
        QStringLiteral("住址"),
        QStringLiteral("联系电话"),
        QStringLiteral("班级"),
        QStringLiteral("院系"),
        QStringLiteral("有效证件"),
        QStringLiteral("证件号码"),
        QStringLiteral("备注"),
        QStringLiteral("CardId"),
    };
    return columns;
}

PickLists loadPickLists(QString *error)
{
    QStringList errors;
    PickLists lists;
    lists.categories =
        ReferenceLists::read(QStringLiteral("读者类别"), QStringLiteral("类别名"), &errors);
    lists.departments =
        ReferenceLists::read(QStringLiteral("单位名称"), QStringLiteral("单位名称"), &errors);
    lists.documentKinds =
        ReferenceLists::read(QStringLiteral("证件名"), QStringLiteral("证件名"), &errors);
    if (error)
        *error = errors.join(QLatin1Char('\n'));
    return lists;
}

QStringList sexes()
{
    return {QStringLiteral("男"), QStringLiteral("女")};
}

QString defaultSex()
{
    return QStringLiteral("男");
}

QString defaultCategory()
{
    return QStringLiteral("普通");
}

QDate defaultValidUntil()
{
    return QDate(2030, 1, 1);
}

QString pinyinOf(const QString &name)
{
    return PinyinInitials(name.trimmed());
}

QString requiredMessage()
{
    return QStringLiteral("字体加重的项目必须填写!");
}

QString savedMessage()
{
    return QStringLiteral("保存完毕");
}

Result add(const ReaderForm &form, const QDateTime &now)
{
    // A number of blanks would be stored as an empty number that no lookup finds.
    for (const QString &column : {kNumber, kName, kCategory}) {
        if (trimmedText(form, column).isEmpty())
            return failure(requiredMessage(), column);
    }
    const QString number = trimmedText(form, kNumber);
    const QString name = trimmedText(form, kName);
    const LoginContext &login = loginContext();

    Statement insert(QStringLiteral("insert into 读者库 ("));
    QVariantList values;
    auto set = [&](const QString &column, const QVariant &value) {
        insert.text((values.isEmpty() ? QString() : QStringLiteral(",")) + column);
        values << value;
    };
    for (const QString &column : textColumns())
        set(column, trimmedText(form, column));
    set(QStringLiteral("有效期"),
        sqlDate(form.validUntil.isValid() ? form.validUntil : defaultValidUntil()));
    set(QStringLiteral("py"), pinyinOf(name));
    set(QStringLiteral("登记日期"), sqlDateTime(now));
    set(QStringLiteral("登记人"), login.adminName);
    set(QStringLiteral("状态"), QStringLiteral("正常"));
    set(QStringLiteral("密码"), QString::fromLatin1(DefaultPassword));
    set(QStringLiteral("未还数量"), 0);
    set(QStringLiteral("累计借阅次数"), 0);
    // The balance starts at nothing, so that top-ups and charges add to a number.
    set(QStringLiteral("卡内金额"), Money().toSql());
    if (!form.photo.isEmpty() && hasColumn(QStringLiteral("pic")))
        set(QStringLiteral("pic"), form.photo);
    if (hasColumn(QStringLiteral("TmpA")))
        set(QStringLiteral("TmpA"),
            now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("+A"));
    insert.text(QStringLiteral(") values ("));
    for (int i = 0; i < values.size(); ++i)
        insert.text(i ? QStringLiteral(",") : QString()).value(values[i]);
    insert.text(QStringLiteral(")"));

    Transaction tx;
    if (!tx.isActive())
        return failure(QStringLiteral("读者保存失败:\n") + tx.error());
    QString error;
    const bool taken = numberTaken(number, &error);
    if (!error.isEmpty())
        return failure(QStringLiteral("读者保存失败:\n") + error);
    if (taken)
        return failure(duplicateMessage(number), kNumber);
    if (!insert.run(&error)) {
        tx.rollback();
        // Another workstation may have taken the number since the check.
        QString ignored;
        if (numberTaken(number, &ignored))
            return failure(duplicateMessage(number), kNumber);
        return failure(QStringLiteral("读者保存失败:\n") + error);
    }
    if (login.openingFee > Money()) {
        Statement fee(
            QStringLiteral("insert into 收入 (项目,时间,读者编号,读者姓名,金额,管理员) values ("));
        fee.value(QStringLiteral("开户费"))
            .text(QStringLiteral(","))
            .value(sqlDate(now.date()))
            .text(QStringLiteral(","))
            .value(number)
            .text(QStringLiteral(","))
            .value(name)
            .text(QStringLiteral(","))
            .value(login.openingFee.toSql())
            .text(QStringLiteral(","))
            .value(login.adminName)
            .text(QStringLiteral(")"));
        if (!fee.run(&error))
            return failure(QStringLiteral("开户费记录写入失败,读者没有保存:\n") + error);
    }
    if (!tx.commit(&error))
        return failure(QStringLiteral("读者保存失败:\n") + error);
    Result r;
    r.ok = true;
    r.written = true;
    return r;
}

Result update(const QSqlRecord &asRead, const ReaderForm &form, bool photoChanged)
{
    const QString oldNumber = asRead.value(kNumber).toString();
    const QString number = trimmedText(form, kNumber);
    if (number.isEmpty())
        return failure(QStringLiteral("读者编号不能为空!"), kNumber);

    // The columns whose value the window changed, with their new values. A NULL that the
    // window showed as an empty field and left empty stays NULL.
    QVector<std::pair<QString, QVariant>> changes;
    auto change = [&changes](const QString &column, const QVariant &value) {
        changes.append(std::pair<QString, QVariant>(column, value));
    };
    for (const QString &column : textColumns()) {
        const QString text = trimmedText(form, column);
        if (text != asRead.value(column).toString())
            change(column, text);
    }
    const QString py = pinyinOf(form.texts.value(kName));
    if (py != asRead.value(QStringLiteral("py")).toString())
        change(QStringLiteral("py"), py);
    const QDate validUntil = dateFromSql(asRead.value(QStringLiteral("有效期")));
    if (form.validUntil.isValid() && form.validUntil != validUntil)
        change(QStringLiteral("有效期"), sqlDate(form.validUntil));
    // The registration time keeps its time of day when only its date is changed.
    const QDateTime registered = dateTimeFromSql(asRead.value(QStringLiteral("登记日期")));
    if (form.registered.isValid() && form.registered != registered.date())
        change(QStringLiteral("登记日期"),
               sqlDateTime(QDateTime(form.registered,
                                     registered.isValid() ? registered.time() : QTime(0, 0))));
    if (photoChanged && form.photo != asRead.value(QStringLiteral("pic")).toByteArray())
        change(QStringLiteral("pic"), form.photo.isEmpty()
                                          ? QVariant(QMetaType(QMetaType::QByteArray))
                                          : QVariant(form.photo));
    RowChange edit{QStringLiteral("读者库"), kNumber, asRead, changes};
    QString error;
    Result r;
    switch (edit.write(&error)) {
    case RowChange::Outcome::Written:
        r.written = true;
        [[fallthrough]];
    case RowChange::Outcome::NothingChanged:
        r.ok = true;
        return r;
    case RowChange::Outcome::KeyTaken:
        return failure(duplicateMessage(number), kNumber);
    case RowChange::Outcome::Deleted:
        return failure(QStringLiteral("读者“%1”已在别处被删除,本次修改没有保存。").arg(oldNumber));
    case RowChange::Outcome::ChangedElsewhere:
        return failure(QStringLiteral("读者“%1”的资料已在别处被修改,本次修改没有保存。\n"
                                      "请取消后刷新读者列表,再重新编辑。")
                           .arg(oldNumber));
    case RowChange::Outcome::Failed:
        break;
    }
    return failure(QStringLiteral("保存失败:\n") + error);
}

} // namespace ReaderRegistration
