#include "SystemSettings.h"

#include "RowKey.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/Money.h"
#include "db/RowOrder.h"
#include "db/Statement.h"
#include "text/NumberText.h"

#include <QLocale>
#include <QSqlError>

#include <cmath>

namespace {

const QString kFinePerDay = QStringLiteral("超期每日罚金");
const QString kDepositFactor = QStringLiteral("押金倍数");
const QString kOpeningFee = QStringLiteral("开户费");

QString moneyText(const QVariant &v)
{
    return v.isNull() ? QString() : Money::fromVariant(v).toString();
}

// As many digits as the value needs and no more: 1.23456789 stays 1.23456789.
QString numberText(const QVariant &v)
{
    return v.isNull() ? QString()
                      : QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
}

// The name a custom list has while its label is not set.
QString defaultLabel(const QString &column)
{
    return column == QLatin1String("a1") ? QStringLiteral("密级") : column;
}

bool isLabelColumn(const QString &column)
{
    return column == QLatin1String("a1") || column == QLatin1String("a2") ||
           column == QLatin1String("a3");
}

} // namespace

const QStringList &SystemSettings::textColumns()
{
    static const QStringList cols = {QStringLiteral("图书馆名"),
                                     QStringLiteral("地址"),
                                     QStringLiteral("电话"),
                                     QStringLiteral("负责人"),
                                     kFinePerDay,
                                     kDepositFactor,
                                     kOpeningFee,
                                     QStringLiteral("借阅证背面文字"),
                                     QStringLiteral("WebNotice"),
                                     QStringLiteral("a1"),
                                     QStringLiteral("a2"),
                                     QStringLiteral("a3")};
    return cols;
}

const QStringList &SystemSettings::flagColumns()
{
    static const QStringList cols = {
        QStringLiteral("借出时打印清单"),   QStringLiteral("启用押金功能"),
        QStringLiteral("借阅数量限制功能"), QStringLiteral("启用超期罚金"),
        QStringLiteral("启用读者租金"),     QStringLiteral("启用读者有效期"),
        QStringLiteral("启用租金功能"),     QStringLiteral("显示院系"),
        QStringLiteral("显示班级"),         QStringLiteral("启用预定功能")};
    return cols;
}

const QStringList &SystemSettings::returnFocusColumns()
{
    static const QStringList cols = {QStringLiteral("归还焦点条形码"),
                                     QStringLiteral("归还焦点图书编号"),
                                     QStringLiteral("归还焦点读者编号")};
    return cols;
}

const QStringList &SystemSettings::borrowFocusColumns()
{
    static const QStringList cols = {QStringLiteral("借阅焦点编号"),
                                     QStringLiteral("借阅焦点条形码")};
    return cols;
}

bool SystemSettings::load(QString *error)
{
    // The first row, the same one for ever (the login reads this one too).
    QSqlQuery q = Statement(QStringLiteral("select %1, * from 系统设置%2 %3")
                                .arg(RowKey::selectItem(), RowOrder::orderBy(), limitClause(1)))
                      .exec();
    if (q.lastError().isValid()) {
        if (error)
            *error = Statement::lastError(q);
        return false;
    }
    m_form = SystemSettingsForm();
    m_record = q.next() ? q.record() : QSqlRecord();
    for (const QString &c : textColumns()) {
        const QVariant v = m_record.value(c);
        if (c == kFinePerDay || c == kOpeningFee)
            m_form.texts[c] = moneyText(v);
        else if (c == kDepositFactor)
            m_form.texts[c] = numberText(v);
        else if (isLabelColumn(c) && v.toString().trimmed().isEmpty())
            m_form.texts[c] = defaultLabel(c); // the name in force
        else
            m_form.texts[c] = v.toString();
    }
    for (const QString &c : flagColumns())
        m_form.flags[c] = flagFromSql(m_record.value(c));
    // When several are set, the last one wins, as the choices are filled in this order.
    for (int i = 0; i < returnFocusColumns().size(); ++i) {
        if (flagFromSql(m_record.value(returnFocusColumns()[i])))
            m_form.returnFocus = i;
    }
    for (int i = 0; i < borrowFocusColumns().size(); ++i) {
        if (flagFromSql(m_record.value(borrowFocusColumns()[i])))
            m_form.borrowFocus = i;
    }
    m_form.barcodeDuplicateWarning = loginContext().barcodeDuplicateWarning;
    return true;
}

SystemSettings::Result SystemSettings::save(SystemSettingsForm form, IniFile &ini)
{
    auto refuse = [](const QString &message, const QString &column) {
        return Result{false, message, column};
    };
    QString &a1 = form.texts[QStringLiteral("a1")];
    a1 = a1.trimmed();
    if (a1.isEmpty())
        a1 = QStringLiteral("密级");
    // A fee of blanks is no fee typed either.
    if (form.texts.value(kOpeningFee).trimmed().isEmpty())
        return refuse(QStringLiteral("开户费必须填写, \" 0 \" 代表不收取."), kOpeningFee);

    QMap<QString, QVariant> values;
    for (const QString &c : textColumns())
        values[c] = form.texts.value(c);
    // An empty a2/a3 label, or the list's own name, is "not named": NULL, so that the
    // default name applies rather than a bare "设置" in the menu.
    for (const QString c : {QStringLiteral("a2"), QStringLiteral("a3")}) {
        const QString label = form.texts.value(c);
        if (label.trimmed().isEmpty() || label == defaultLabel(c))
            values[c] = QVariant(QMetaType(QMetaType::QString));
    }
    for (const QString &c : {kFinePerDay, kOpeningFee}) {
        const QString text = form.texts.value(c);
        const QString name = c == kFinePerDay ? QStringLiteral("超期日罚金") : c;
        if (text.trimmed().isEmpty()) {
            values[c] = QVariant(QMetaType(QMetaType::QString));
            continue;
        }
        const std::optional<Money> m = Money::parse(text);
        if (!m || m->isNegative())
            return refuse(name + QStringLiteral("必须是不小于0的金额!"), c);
        values[c] = m->toSql();
    }
    {
        const QString text = NumberText::normalized(form.texts.value(kDepositFactor));
        bool ok = true;
        const double factor = text.isEmpty() ? 0 : text.toDouble(&ok);
        if (!ok || !std::isfinite(factor) || factor < 0)
            return refuse(QStringLiteral("押金倍数必须是不小于0的数字!"), kDepositFactor);
        if (text.isEmpty())
            values[kDepositFactor] = QVariant(QMetaType(QMetaType::Double));
        else if (text == numberText(m_record.value(kDepositFactor)))
            values[kDepositFactor] = m_record.value(kDepositFactor); // untouched: kept exactly
        else
            values[kDepositFactor] = factor;
    }
    for (const QString &c : flagColumns())
        values[c] = form.flags.value(c) ? 1 : 0;
    for (int i = 0; i < returnFocusColumns().size(); ++i)
        values[returnFocusColumns()[i]] = i == form.returnFocus ? 1 : 0;
    for (int i = 0; i < borrowFocusColumns().size(); ++i)
        values[borrowFocusColumns()[i]] = i == form.borrowFocus ? 1 : 0;

    Statement st;
    if (m_record.isEmpty()) {
        // A database without its settings row gets one.
        st.text(QStringLiteral("insert into 系统设置 (") + values.keys().join(QLatin1Char(',')) +
                QStringLiteral(") values ("));
        bool first = true;
        for (const QVariant &v : values) {
            st.text(first ? QString() : QStringLiteral(",")).value(v);
            first = false;
        }
        st.text(QStringLiteral(")"));
    } else {
        st.text(QStringLiteral("update 系统设置 set "));
        bool first = true;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            st.text((first ? QString() : QStringLiteral(",")) + it.key() + QLatin1Char('='))
                .value(it.value());
            first = false;
        }
        // Only the row that was read, and only while it is as it was read: a workstation
        // that saved meanwhile is not silently undone. A second row, if any, stays as it is.
        QStringList readColumns;
        for (int i = 0; i < m_record.count(); ++i) {
            const QString name = m_record.fieldName(i);
            if (name != QString::fromUtf8(RowKey::Field) &&
                name != QString::fromUtf8(RowKey::VersionField))
                readColumns << name;
        }
        RowKey::appendRowMatch(st, m_record, readColumns);
    }
    QSqlQuery q = st.exec();
    if (q.lastError().isValid())
        return refuse(Statement::lastError(q), QString());
    if (!m_record.isEmpty() && q.numRowsAffected() != 1)
        return refuse(QStringLiteral("设置已被别处修改, 请关闭窗口后重新打开再改!"), QString());
    if (!ini.write(QStringLiteral("part1"), QStringLiteral("BcCc"),
                   form.barcodeDuplicateWarning ? QStringLiteral("1") : QStringLiteral("0")))
        return refuse(QStringLiteral("设置已保存, 但条码重复提示没有存入配置文件: ") +
                          ini.errorString(),
                      QString());
    m_form = form;
    return Result{true, QString(), QString()};
}
