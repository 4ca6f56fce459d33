#include "QkAddUt.h"

#include "DecimalValidator.h"
#include "PeriodicalFields.h"
#include "Prompt.h"
#include "catalogue/PeriodicalIntake.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kNumber = QStringLiteral("编号");
const QString kName = QStringLiteral("名称");
const QString kBarcode = QStringLiteral("条形码");

QVector<PeriodicalFields::Field> intakeFields()
{
    using K = PeriodicalFields::Kind;
    auto u = [](const char *text) { return QString::fromUtf8(text); };
    return {{kNumber, u("编号"), K::Line, true},
            {kName, u("名称"), K::Line, true},
            {kBarcode, u("条形码"), K::Line, true},
            {u("物品级别"), u("租金级别"), K::Choice, true},
            {u("出版社"), u("出版社"), K::Choice},
            {u("存放位置"), u("存放位置"), K::Choice},
            {u("分类"), u("分类"), K::Choice},
            {u("二级分类"), u("二级分类"), K::Choice},
            {u("状态"), u("状态"), K::Choice},
            {u("ISSN"), u("ISSN"), K::Line},
            {u("国内统一刊号"), u("国内统一刊号"), K::Line},
            {u("邮发代号"), u("邮发代号"), K::Line},
            {u("第几期"), u("第几期"), K::Line},
            {u("总第几期"), u("总第几期"), K::Line},
            {u("出版时间"), u("出版时间"), K::Date},
            {u("价格"), u("价格"), K::Line, true},
            {u("数量"), u("数量"), K::Line, true},
            {u("py"), u("拼音"), K::Pinyin},
            {u("简介"), u("简介"), K::Summary}};
}

} // namespace

TQkAddFm::TQkAddFm(QWidget *parent)
    : QDialog(parent)
    , m_fields(std::make_unique<PeriodicalFields>(this, intakeFields()))
{
    setObjectName(QStringLiteral("TQkAddFm"));
    setWindowTitle(QStringLiteral("添加期刊---字体加重的项必须填写"));
    setAttribute(Qt::WA_DeleteOnClose);

    QLineEdit *price = m_fields->line(QStringLiteral("价格"));
    price->setValidator(new DecimalValidator(price));
    QLineEdit *count = m_fields->line(QStringLiteral("数量"));
    count->setValidator(new DecimalValidator(true, count));

    m_clearAfterSave = new QCheckBox(QStringLiteral("保存后清空数据"), this);
    m_clearAfterSave->setChecked(true);
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    // Enter belongs to the 条形码 field, not to a button.
    save->setAutoDefault(false);
    cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_clearAfterSave);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_fields->layout());
    layout->addLayout(buttons);

    connect(m_fields->line(kName), &QLineEdit::textChanged, this, [this](const QString &name) {
        m_fields->setText(QStringLiteral("py"), PeriodicalIntake::pinyinOf(name));
    });
    connect(m_fields->line(kBarcode), &QLineEdit::returnPressed, this, &TQkAddFm::barcodeEntered);
    connect(save, &QPushButton::clicked, this, &TQkAddFm::saveClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    clearFields();
    QString error;
    m_fields->fillChoices(PeriodicalIntake::loadPickLists(&error));
    if (!error.isEmpty())
        Prompt::error(this, QStringLiteral("读取下拉列表失败:\n") + error);
}

TQkAddFm::~TQkAddFm() = default;

void TQkAddFm::clearFields()
{
    const QMap<QString, QString> texts = PeriodicalIntake::initialTexts();
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        m_fields->setText(it.key(), it.value());
    m_fields->summary()->clear();
    m_fields->line(kNumber)->setFocus();
}

void TQkAddFm::barcodeEntered()
{
    const PeriodicalIntake::EarlierIssue earlier =
        PeriodicalIntake::earlierIssue(m_fields->text(kBarcode));
    if (!earlier.error.isEmpty()) {
        Prompt::error(this, QStringLiteral("查找条形码失败:\n") + earlier.error);
        return;
    }
    for (auto it = earlier.texts.cbegin(); it != earlier.texts.cend(); ++it)
        m_fields->setText(it.key(), it.value());
}

void TQkAddFm::saveClicked()
{
    PeriodicalIntake::Form form;
    form.texts = m_fields->texts();
    form.published = m_fields->date(QStringLiteral("出版时间"))->date();
    if (!PeriodicalIntake::requiredFilled(form)) {
        QApplication::beep();
        Prompt::warning(this, PeriodicalIntake::requiredMessage());
        return;
    }
    const PeriodicalIntake::Result r = PeriodicalIntake::add(form, QDate::currentDate());
    if (!r.ok) {
        Prompt::error(this, r.message);
        if (QLineEdit *input = m_fields->line(r.column))
            input->setFocus();
        return;
    }
    emit saved();
    Prompt::info(this, PeriodicalIntake::savedMessage());
    if (m_clearAfterSave->isChecked())
        clearFields();
}
