#include "BookIntake.h"

#include "CallNumber.h"
#include "ReferenceLists.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/SharedConnection.h"
#include "db/Statement.h"
#include "print/LabelReport.h"
#include "print/ReportRows.h"
#include "text/NumberText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace BookIntake {

namespace {

const QString kNumber = QStringLiteral("编号");
const QString kClassification = QStringLiteral("分类号");
const QString kCallNumber = QStringLiteral("索书号");
const QString kZch = QStringLiteral("zch");
const QString kLevel = QStringLiteral("物品级别");
const QString kDonor = QStringLiteral("捐赠人");
const QString kTable = QStringLiteral("图书");

Result refused(const QString &number, const QString &message)
{
    Result r;
    r.number = number;
    r.message = message;
    return r;
}

// The whole-number columns: a text that is no whole number is named, an empty one is NULL.
bool integerValue(const QString &text, const QString &caption, QVariant *value, QString *error)
{
    if (text.isEmpty()) {
        *value = QVariant(QMetaType(QMetaType::Int));
        return true;
    }
    int n = 0;
    if (!NumberText::toInt(text, &n)) {
        *error = caption + QStringLiteral("必须是整数:") + text;
        return false;
    }
    *value = n;
    return true;
}

// The statement that appends the row, or an error text naming the field that is wrong.
std::optional<Statement> insertStatement(const BookForm &form, const QString &number,
                                         const QDateTime &now, QString *error)
{
    auto text = [&](const QString &column) { return form.texts.value(column).trimmed(); };
    QStringList columns;
    QVariantList values;
    auto put = [&](const QString &column, const QVariant &value) {
        columns << column;
        values << value;
    };

    put(kNumber, number);
    for (const QString &column : textColumns()) {
        if (column == QStringLiteral("数量") || column == QStringLiteral("页数") ||
            column == QStringLiteral("价格") || column == kZch || column == kLevel ||
            column == kDonor)
            continue;
        put(column, text(column));
    }
    QVariant count, pages, zch;
    if (!integerValue(text(QStringLiteral("数量")), QStringLiteral("数量"), &count, error) ||
        !integerValue(text(QStringLiteral("页数")), QStringLiteral("页数"), &pages, error))
        return std::nullopt;
    put(QStringLiteral("数量"), count);
    put(QStringLiteral("页数"), pages);
    const std::optional<Money> price = Money::parse(NumberText::normalized(text("价格")));
    if (!price) {
        *error = QStringLiteral("价格必须是数字:") + text(QStringLiteral("价格"));
        return std::nullopt;
    }
    put(QStringLiteral("价格"), price->toSql());
    if (!text(kZch).isEmpty()) {
        if (!integerValue(text(kZch), QStringLiteral("种次号"), &zch, error))
            return std::nullopt;
        put(kZch, zch);
    }
    put(kLevel, text(kLevel).isEmpty() ? QStringLiteral("普通") : text(kLevel));
    if (!text(kDonor).isEmpty())
        put(kDonor, text(kDonor));
    put(QStringLiteral("出版时间"), form.published.isValid()
                                        ? QVariant(form.published.toString(Qt::ISODate))
                                        : QVariant(QMetaType(QMetaType::QString)));
    put(QStringLiteral("图片地址"), form.documentPath);
    put(QStringLiteral("绝对地址"), form.documentPath);
    const QDateTime stamp(now.date(),
                          QTime(now.time().hour(), now.time().minute(), now.time().second()));
    put(QStringLiteral("入库时间"), sqlDateTime(stamp));
    put(QStringLiteral("借出次数"), 0);
    put(QStringLiteral("登记人"), loginContext().adminName);
    // A library whose table has no TmpA still takes its books.
    if (SharedConnection::database().record(kTable).contains(QStringLiteral("TmpA")))
        put(QStringLiteral("TmpA"),
            stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("+A"));

    return Statement::insert(kTable, columns, values);
}

// One row in its own transaction: the number check, the call number and the insert.
Result writeOne(BookForm form, const QString &number, bool newCallNumber, const QDateTime &now)
{
    Transaction tx(kTable);
    if (!tx.isActive())
        return refused(number, tx.error());
    Result r;
    r.number = number;
    if (newCallNumber) {
        const CallNumber::Result call =
            CallNumber::next(form.texts.value(kClassification).trimmed());
        if (!call.error.isEmpty())
            return refused(number, call.error);
        if (call.ok) {
            r.zch = call.zch;
            r.callNumber = call.callNumber;
            form.texts.insert(kZch, QString::number(call.zch));
            form.texts.insert(kCallNumber, call.callNumber);
        }
    }
    Statement exists(QStringLiteral("select count(*) from 图书 where 编号="));
    exists.value(number);
    QString error;
    const qlonglong found = exists.scalar(&error).toLongLong();
    if (!error.isEmpty())
        return refused(number, error);
    if (found > 0)
        return refused(number, duplicateNumberMessage(number));
    const std::optional<Statement> insert = insertStatement(form, number, now, &error);
    if (!insert)
        return refused(number, error);
    if (!insert->run(&error) || !tx.commit(&error))
        return refused(number, error);
    r.ok = true;
    return r;
}

} // namespace

QString noneText()
{
    return QStringLiteral("n");
}

const QStringList &textColumns()
{
    static const QStringList columns = {
        QStringLiteral("名称"),     QStringLiteral("条形码"),   QStringLiteral("索书号"),
        QStringLiteral("分类号"),   QStringLiteral("数量"),     QStringLiteral("分类"),
        QStringLiteral("二级分类"), QStringLiteral("出版社"),   QStringLiteral("存放位置"),
        QStringLiteral("价格"),     QStringLiteral("币种"),     QStringLiteral("作者"),
        QStringLiteral("译者"),     QStringLiteral("isbn"),     QStringLiteral("附件"),
        QStringLiteral("版次"),     QStringLiteral("py"),       QStringLiteral("页数"),
        QStringLiteral("简介"),     QStringLiteral("来源"),     QStringLiteral("a1"),
        QStringLiteral("a2"),       QStringLiteral("a3"),       QStringLiteral("状态"),
        QStringLiteral("zch"),      QStringLiteral("物品级别"), QStringLiteral("捐赠人")};
    return columns;
}

const QStringList &requiredColumns()
{
    static const QStringList columns = {
        kNumber, QStringLiteral("名称"), QStringLiteral("条形码"), QStringLiteral("数量"),
        kLevel,  QStringLiteral("价格")};
    return columns;
}

PickLists loadPickLists(QString *error)
{
    QStringList errors;
    PickLists l;
    l.classes = ReferenceLists::read(QStringLiteral("分类"), QStringLiteral("名称"), &errors);
    l.subClasses =
        ReferenceLists::read(QStringLiteral("二级分类"), QStringLiteral("名称"), &errors);
    l.publishers =
        ReferenceLists::read(QStringLiteral("出版社名"), QStringLiteral("出版社名"), &errors);
    l.locations =
        ReferenceLists::read(QStringLiteral("存放位置"), QStringLiteral("存放位置名"), &errors);
    l.currencies = ReferenceLists::read(QStringLiteral("币种"), QStringLiteral("币种"), &errors);
    l.attachments =
        ReferenceLists::read(QStringLiteral("附件名"), QStringLiteral("附件名"), &errors);
    l.levels = ReferenceLists::read(QStringLiteral("物品级别"), QStringLiteral("名称"), &errors);
    l.a1 = ReferenceLists::read(QStringLiteral("a1"), QStringLiteral("名称"), &errors);
    l.a2 = ReferenceLists::read(QStringLiteral("a2"), QStringLiteral("名称"), &errors);
    l.a3 = ReferenceLists::read(QStringLiteral("a3"), QStringLiteral("名称"), &errors);
    if (error)
        *error = errors.join(QLatin1Char('\n'));
    return l;
}

QStringList states()
{
    return {QStringLiteral("正常"), QStringLiteral("不外借")};
}

QStringList sources()
{
    return {QStringLiteral("购买"), donationSource()};
}

QString donationSource()
{
    return QStringLiteral("捐赠");
}

QMap<QString, QString> initialTexts()
{
    QMap<QString, QString> t;
    for (const QString &column : textColumns())
        t.insert(column, QString());
    t.insert(QStringLiteral("条形码"), noneText());
    t.insert(QStringLiteral("数量"), QStringLiteral("1"));
    t.insert(QStringLiteral("页数"), QStringLiteral("0"));
    t.insert(QStringLiteral("价格"), QStringLiteral("0"));
    t.insert(QStringLiteral("状态"), QStringLiteral("正常"));
    t.insert(kLevel, QStringLiteral("普通"));
    t.insert(QStringLiteral("来源"), QStringLiteral("购买"));
    t.insert(QStringLiteral("币种"), QStringLiteral("人民币"));
    return t;
}

bool requiredFilled(const BookForm &form)
{
    for (const QString &column : requiredColumns()) {
        if (form.texts.value(column).isEmpty())
            return false;
    }
    return true;
}

QString requiredMessage()
{
    return QStringLiteral("字体加重的项目必须填写完整!");
}

QString savedMessage()
{
    return QStringLiteral("保存完毕,请继续录入下一条!");
}

QString countMissingMessage()
{
    return QStringLiteral("请输入要录入的数量!");
}

QString countNotWholeMessage()
{
    return QStringLiteral("要录入的数量必须是整数!");
}

QString startNotWholeMessage()
{
    return QStringLiteral("自动编号的起始值必须是整数!");
}

QString duplicateNumberMessage(const QString &number)
{
    return QStringLiteral("保存失败, 因为数据库中已经有这个编号了 (") + number +
           QStringLiteral(")");
}

QString duplicateBarcodeMessage()
{
    return QStringLiteral("提示:数据库中已经有该条码!");
}

bool barcodeTaken(const QString &barcode)
{
    Statement st(QStringLiteral("select count(*) from 图书 where 条形码="));
    st.value(barcode.trimmed());
    return st.scalar().toLongLong() > 0;
}

std::optional<int> wholeNumber(const QString &text)
{
    int n = 0;
    if (!NumberText::toInt(text, &n))
        return std::nullopt;
    return n;
}

Result add(const BookForm &form, const QString &number, const QDateTime &now)
{
    return writeOne(form, number, false, now);
}

QVector<Result> addCopies(const BookForm &form, int count, const QString &separator,
                          const std::function<void(const Result &)> &afterCopy,
                          const QDateTime &now)
{
    QVector<Result> out;
    const QString base = form.texts.value(kNumber);
    for (int i = 1; i <= count; ++i) {
        const Result r = writeOne(form, base + separator + QString::number(i), true, now);
        out << r;
        if (afterCopy)
            afterCopy(r);
    }
    return out;
}

bool Numbering::start(const QString &prefixText, const QString &startText)
{
    const QString startValue = startText.trimmed();
    const std::optional<int> n = wholeNumber(startValue);
    if (!n)
        return false;
    counter = *n;
    width = startValue.size();
    prefix = prefixText.trimmed();
    return true;
}

QString Numbering::current() const
{
    return prefix + QStringLiteral("%1").arg(counter, width, 10, QLatin1Char('0'));
}

QString Numbering::advance()
{
    ++counter;
    return current();
}

ReportModel labelReport(const LabelValues &values)
{
    LabelSpec spec;
    spec.title = QStringLiteral("图书标签");
    spec.pageSize = QSizeF(60, 40);
    spec.lines = {{QStringLiteral("编号:"), kNumber},
                  {QStringLiteral("索书号:"), kCallNumber},
                  {QStringLiteral("分类号:"), kClassification},
                  {QString(), QStringLiteral("名称"), CellFormat::Auto, 9, true}};
    spec.barcodeField = QStringLiteral("条形码");
    ReportRows rows;
    rows.append(QVariantMap{{kNumber, values.number},
                            {kCallNumber, values.callNumber},
                            {kClassification, values.classification},
                            {QStringLiteral("名称"), values.title},
                            {QStringLiteral("条形码"), values.barcode}});
    return buildLabels(spec, rows);
}

} // namespace BookIntake
