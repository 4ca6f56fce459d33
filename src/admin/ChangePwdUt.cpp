#include "ChangePwdUt.h"

#include "Prompt.h"
#include "admin/AdminAccounts.h"
#include "db/LoginContext.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit *passwordField(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    edit->setMinimumWidth(180);
    return edit;
}

} // namespace

TChangePwdFm::TChangePwdFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TChangePwdFm"));
    setWindowTitle(QStringLiteral("修改密码"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("管理员:"), new QLabel(loginContext().adminName, this));
    m_old = passwordField(this);
    m_new = passwordField(this);
    m_confirm = passwordField(this);
    form->addRow(QStringLiteral("旧密码:"), m_old);
    form->addRow(QStringLiteral("新密码:"), m_new);
    form->addRow(QStringLiteral("确认新密码:"), m_confirm);

    auto *buttons = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    save->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    form->addRow(buttons);

    connect(save, &QPushButton::clicked, this, &TChangePwdFm::saveClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TChangePwdFm::saveClicked()
{
    const AdminAccounts::Result r = AdminAccounts::changePassword(
        loginContext().adminName, m_old->text(), m_new->text(), m_confirm->text());
    if (!r.ok) {
        Prompt::warning(this, r.message);
        return;
    }
    Prompt::info(this, QStringLiteral("修改成功！"));
    accept();
}
