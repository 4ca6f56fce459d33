#include "ChangeRdStateUt.h"

#include "Prompt.h"
#include "readers/ReaderAccount.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVariant>

namespace {

QLineEdit *shownField(const QVariant &value, QWidget *parent)
{
    auto *edit = new QLineEdit(value.toString(), parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

} // namespace

TChangeRdStateFm::TChangeRdStateFm(const QSqlRecord &reader, QWidget *parent)
    : QDialog(parent)
    , m_number(reader.value(QStringLiteral("读者编号")).toString())
    , m_name(reader.value(QStringLiteral("读者姓名")).toString())
{
    setObjectName(QStringLiteral("TChangeRdStateFm"));
    setWindowTitle(QStringLiteral("更改状态"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("读者编号:"), shownField(m_number, this));
    form->addRow(QStringLiteral("姓名:"), shownField(m_name, this));
    form->addRow(QStringLiteral("性别:"), shownField(reader.value(QStringLiteral("性别")), this));

    // Editable: a state other than the two offered is stored as typed.
    m_state = new QComboBox(this);
    m_state->setEditable(true);
    m_state->setInsertPolicy(QComboBox::NoInsert);
    m_state->addItems(ReaderAccount::kStates);
    m_state->setCurrentText(reader.value(QStringLiteral("状态")).toString());
    m_state->setMinimumWidth(200);
    form->addRow(QStringLiteral("状态:"), m_state);

    // Kept only in the log entry.
    m_remark = new QLineEdit(this);
    form->addRow(QStringLiteral("备注:"), m_remark);

    auto *buttons = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    save->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    form->addRow(buttons);

    connect(save, &QPushButton::clicked, this, &TChangeRdStateFm::saveClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_state->setFocus();
}

void TChangeRdStateFm::saveClicked()
{
    const ReaderAccount::Result r =
        ReaderAccount::changeState(m_number, m_name, m_state->currentText(), m_remark->text());
    if (!r.ok) {
        Prompt::warning(this, r.message);
        return;
    }
    emit saved();
    accept();
}
