#include "QkEditUt.h"

#include "PeriodicalFields.h"
#include "Prompt.h"
#include "catalogue/PeriodicalEdit.h"
#include "catalogue/PeriodicalIntake.h"
#include "db/Money.h"
#include "db/Statement.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kName = QStringLiteral("名称");
const QString kPrice = QStringLiteral("价格");
const QString kIntake = QStringLiteral("入库时间");

// An intake date that is NULL shows blank: the earliest date stands for "none".
const QDate kNoDate(1900, 1, 1);

QVector<PeriodicalFields::Field> editFields()
{
    using K = PeriodicalFields::Kind;
    auto u = [](const char *text) { return QString::fromUtf8(text); };
    return {{u("编号"), u("编号")},
            {kName, u("名称")},
            {u("条形码"), u("条形码")},
            {u("出版社"), u("出版社"), K::Choice},
            {u("物品级别"), u("物品级别"), K::Choice},
            {u("存放位置"), u("存放位置"), K::Choice},
            {u("数量"), u("数量")},
            {u("国内统一刊号"), u("国内统一刊号")},
            {u("ISSN"), u("ISSN")},
            {u("分类"), u("分类"), K::Choice},
            {u("二级分类"), u("二级分类"), K::Choice},
            {u("邮发代号"), u("邮发代号")},
            {u("第几期"), u("第几期")},
            {u("总第几期"), u("总第几期")},
            {u("出版时间"), u("出版时间")},
            {u("py"), u("拼音"), K::Pinyin},
            {kPrice, u("价格")},
            {u("状态"), u("状态"), K::Choice},
            {u("借出次数"), u("借出次数")},
            {kIntake, u("入库时间"), K::Date},
            {u("简介"), u("简介"), K::Summary}};
}

QString shownText(const QString &column, const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (column == kPrice)
        return Money::fromVariant(value).toString();
    return value.toString();
}

} // namespace

TQkEditFm::TQkEditFm(const QSqlRecord &issue, QWidget *parent)
    : QDialog(parent)
    , m_issue(issue)
    , m_fields(std::make_unique<PeriodicalFields>(this, editFields()))
{
    setObjectName(QStringLiteral("TQkEditFm"));
    setWindowTitle(QStringLiteral("期刊编辑"));
    setAttribute(Qt::WA_DeleteOnClose);
    QDateEdit *intake = m_fields->date(kIntake);
    intake->setMinimumDate(kNoDate);
    intake->setSpecialValueText(QStringLiteral(" "));

    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    save->setAutoDefault(false);
    cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_fields->layout());
    layout->addLayout(buttons);

    QString error;
    m_fields->fillChoices(PeriodicalIntake::loadPickLists(&error));
    if (!error.isEmpty())
        Prompt::error(this, QStringLiteral("读取下拉列表失败:\n") + error);
    showRecord();

    connect(m_fields->line(kName), &QLineEdit::textChanged, this, [this](const QString &name) {
        m_fields->setText(QStringLiteral("py"), PeriodicalIntake::pinyinOf(name.trimmed()));
    });
    connect(save, &QPushButton::clicked, this, &TQkEditFm::saveClicked);
    // 取消 and the close box alike leave the issue as stored.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TQkEditFm::~TQkEditFm() = default;

void TQkEditFm::showRecord()
{
    for (const QString &column : PeriodicalEdit::textColumns())
        m_fields->setText(column, shownText(column, m_issue.value(column)));
    // The stored initials are shown until the name is changed.
    m_fields->setText(QStringLiteral("py"), m_issue.value(QStringLiteral("py")).toString());
    const QDate intake = dateFromSql(m_issue.value(kIntake));
    m_fields->date(kIntake)->setDate(intake.isValid() ? intake : kNoDate);
}

void TQkEditFm::saveClicked()
{
    PeriodicalEdit::Form form;
    form.texts = m_fields->texts();
    const QDate intake = m_fields->date(kIntake)->date();
    form.intake = intake == kNoDate ? QDate() : intake;
    const PeriodicalEdit::Result r = PeriodicalEdit::update(m_issue, form);
    if (!r.ok) {
        Prompt::warning(this, r.message);
        if (QLineEdit *input = m_fields->line(r.column))
            input->setFocus();
        return;
    }
    if (r.written)
        emit saved();
    Prompt::info(this, PeriodicalIntake::savedMessage());
    accept();
}
