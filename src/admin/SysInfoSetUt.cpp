#include "SysInfoSetUt.h"

#include "Prompt.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kDeposit = QStringLiteral("启用押金功能");

QButtonGroup *choiceGroup(QGroupBox *box, const QStringList &captions)
{
    auto *group = new QButtonGroup(box);
    auto *row = new QHBoxLayout(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *radio = new QRadioButton(captions[i], box);
        group->addButton(radio, i);
        row->addWidget(radio);
    }
    row->addStretch();
    return group;
}

} // namespace

TSysInfoSetFm::TSysInfoSetFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TSysInfoSetFm"));
    setWindowTitle(QStringLiteral("系统设置"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;

    auto *infoBox = new QGroupBox(QStringLiteral("图书馆信息"), this);
    auto *info = new QFormLayout(infoBox);
    const QMap<QString, QString> captions = {
        {QStringLiteral("超期每日罚金"), QStringLiteral("超期日罚金")},
        {QStringLiteral("a1"), QStringLiteral("a1Name")},
        {QStringLiteral("a2"), QStringLiteral("a2Name")},
        {QStringLiteral("a3"), QStringLiteral("a3Name")}};
    for (const QString &column : SystemSettings::textColumns()) {
        if (column == QStringLiteral("借阅证背面文字") || column == QStringLiteral("WebNotice"))
            continue;
        auto *edit = new QLineEdit(infoBox);
        edit->setObjectName(column);
        edit->setMinimumWidth(200);
        m_lines.insert(column, edit);
        info->addRow(captions.value(column, column) + QLatin1Char(':'), edit);
    }
    top->addWidget(infoBox, 1);

    auto *right = new QVBoxLayout;
    auto *flagsBox = new QGroupBox(QStringLiteral("功能"), this);
    auto *flags = new QGridLayout(flagsBox);
    int shown = 0;
    for (const QString &column : SystemSettings::flagColumns()) {
        auto *box = new QCheckBox(column, flagsBox);
        box->setObjectName(column);
        m_flags.insert(column, box);
        // The deposit switch is kept in the row but no window offers it.
        if (column == kDeposit) {
            box->setVisible(false);
            continue;
        }
        flags->addWidget(box, shown / 2, shown % 2);
        ++shown;
    }
    m_barcodeWarning = new QCheckBox(QStringLiteral("图书录入时-条码重复提示"), flagsBox);
    flags->addWidget(m_barcodeWarning, shown / 2 + 1, 0, 1, 2);
    right->addWidget(flagsBox);

    auto *returnBox = new QGroupBox(QStringLiteral("归还焦点"), this);
    m_returnFocus = choiceGroup(returnBox, {QStringLiteral("条形码"), QStringLiteral("图书编号"),
                                            QStringLiteral("读者编号")});
    right->addWidget(returnBox);
    auto *borrowBox = new QGroupBox(QStringLiteral("借阅焦点"), this);
    m_borrowFocus = choiceGroup(borrowBox, {QStringLiteral("编号"), QStringLiteral("条形码")});
    right->addWidget(borrowBox);
    right->addStretch();
    top->addLayout(right, 1);
    layout->addLayout(top);

    auto *tabs = new QTabWidget(this);
    for (const auto &[column, caption] :
         {std::pair{QStringLiteral("借阅证背面文字"), QStringLiteral("借阅证背面文字")},
          std::pair{QStringLiteral("WebNotice"), QStringLiteral("网站公告")}}) {
        auto *memo = new QPlainTextEdit(tabs);
        memo->setObjectName(column);
        m_memos.insert(column, memo);
        tabs->addTab(memo, caption);
    }
    tabs->setMinimumHeight(120);
    layout->addWidget(tabs, 1);

    auto *buttons = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(save, &QPushButton::clicked, this, &TSysInfoSetFm::saveClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    QString error;
    if (!m_settings.load(&error))
        Prompt::error(this, error);
    showSettings();
}

void TSysInfoSetFm::showSettings()
{
    const SystemSettingsForm &f = m_settings.form();
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it)
        it.value()->setText(f.texts.value(it.key()));
    for (auto it = m_memos.cbegin(); it != m_memos.cend(); ++it)
        it.value()->setPlainText(f.texts.value(it.key()));
    for (auto it = m_flags.cbegin(); it != m_flags.cend(); ++it)
        it.value()->setChecked(f.flags.value(it.key()));
    m_barcodeWarning->setChecked(f.barcodeDuplicateWarning);
    // A choice none of whose columns is set shows no button selected.
    for (const auto &[group, id] :
         {std::pair{m_returnFocus, f.returnFocus}, std::pair{m_borrowFocus, f.borrowFocus}}) {
        if (QAbstractButton *button = group->button(id))
            button->setChecked(true);
    }
}

SystemSettingsForm TSysInfoSetFm::form() const
{
    SystemSettingsForm f;
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it)
        f.texts[it.key()] = it.value()->text();
    for (auto it = m_memos.cbegin(); it != m_memos.cend(); ++it)
        f.texts[it.key()] = it.value()->toPlainText();
    for (auto it = m_flags.cbegin(); it != m_flags.cend(); ++it)
        f.flags[it.key()] = it.value()->isChecked();
    f.barcodeDuplicateWarning = m_barcodeWarning->isChecked();
    f.returnFocus = m_returnFocus->checkedId();
    f.borrowFocus = m_borrowFocus->checkedId();
    return f;
}

void TSysInfoSetFm::saveClicked()
{
    IniFile ini(loginContext().iniPath);
    const SystemSettings::Result r = m_settings.save(form(), ini);
    if (!r.ok) {
        Prompt::warning(this, r.message);
        if (QLineEdit *edit = m_lines.value(r.column))
            edit->setFocus();
        return;
    }
    m_lines.value(QStringLiteral("a1"))
        ->setText(m_settings.form().texts.value(QStringLiteral("a1")));
    Prompt::info(this, QStringLiteral("新的设置重启软件后生效!"));
    accept();
}
