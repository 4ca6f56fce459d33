#include "AdminUt.h"

#include "EditToolBar.h"
#include "Prompt.h"
#include "db/LoginContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

TAdminFm::TAdminFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TAdminFm"));
    setWindowTitle(QStringLiteral("系统管理员权限设置"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    m_toolBar = new EditToolBar(this);
    layout->addWidget(m_toolBar);

    auto *body = new QHBoxLayout;
    m_names = new QListWidget(this);
    m_names->setMinimumWidth(150);
    body->addWidget(m_names);

    auto *right = new QVBoxLayout;
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("用户名:"), this));
    m_name = new QLineEdit(this);
    nameRow->addWidget(m_name, 1);
    right->addLayout(nameRow);

    m_permissions = new QGroupBox(QStringLiteral("权限"), this);
    auto *grid = new QGridLayout(m_permissions);
    const QVector<AdminPermission> &perms = AdminAccounts::permissions();
    const int rows = (perms.size() + 1) / 2;
    for (int i = 0; i < perms.size(); ++i) {
        auto *box = new QCheckBox(perms[i].caption, m_permissions);
        box->setObjectName(perms[i].column);
        grid->addWidget(box, i % rows, i / rows);
        m_boxes << box;
    }
    right->addWidget(m_permissions);
    right->addWidget(new QLabel(
        QStringLiteral("新管理员默认密码 ") + QString::fromLatin1(DefaultPassword), this));
    right->addStretch();
    body->addLayout(right, 1);
    layout->addLayout(body, 1);

    m_toolBar->connectTo(this);
    connect(m_names, &QListWidget::currentRowChanged, this, [this] {
        if (m_mode == Mode::Browsing)
            showCurrent();
    });

    reload();
    setMode(Mode::Browsing);
}

void TAdminFm::reload(const QString &selectName)
{
    QString error;
    m_accounts = AdminAccounts::load(&error);
    if (!error.isEmpty())
        Prompt::error(this, error);
    const int keep = m_names->currentRow();
    m_names->clear();
    int select = -1;
    for (int i = 0; i < m_accounts.size(); ++i) {
        m_names->addItem(m_accounts[i].name);
        if (!selectName.isEmpty() && m_accounts[i].name == selectName)
            select = i;
    }
    if (select < 0)
        select = qBound(0, keep, int(m_accounts.size()) - 1);
    m_names->setCurrentRow(select);
    showCurrent();
}

const AdminAccounts::Account *TAdminFm::current() const
{
    const int row = m_names->currentRow();
    return row >= 0 && row < m_accounts.size() ? &m_accounts[row] : nullptr;
}

void TAdminFm::showCurrent()
{
    const AdminAccounts::Account *a = current();
    m_name->setText(a ? a->name : QString());
    for (int i = 0; i < m_boxes.size(); ++i)
        m_boxes[i]->setChecked(a && a->flags.value(i));
}

QVector<bool> TAdminFm::flags() const
{
    QVector<bool> out;
    for (QCheckBox *box : m_boxes)
        out << box->isChecked();
    return out;
}

void TAdminFm::setMode(Mode mode)
{
    m_mode = mode;
    const bool browsing = mode == Mode::Browsing;
    m_toolBar->setBrowsing(browsing);
    m_permissions->setEnabled(!browsing);
    // The super administrator's name is what gives him every permission: it stays.
    m_name->setEnabled(
        mode == Mode::Adding ||
        (mode == Mode::Modifying && m_editing.name != QString::fromUtf8(SuperAdminName)));
    m_names->setEnabled(browsing);
}

void TAdminFm::addClicked()
{
    const AdminAccounts::Account *before = current();
    m_nameBeforeAdd = before ? before->name : QString();
    reload();
    m_editing = AdminAccounts::Account();
    setMode(Mode::Adding);
    // The new administrator's line, empty until he is saved.
    m_names->addItem(QString());
    m_names->setCurrentRow(m_names->count() - 1);
    m_name->clear();
    for (QCheckBox *box : m_boxes)
        box->setChecked(false);
    m_name->setFocus();
}

void TAdminFm::modifyClicked()
{
    const AdminAccounts::Account *a = current();
    if (!a) {
        Prompt::info(this, QStringLiteral("请先在列表中选中要修改的管理员!"));
        return;
    }
    m_editing = *a;
    setMode(Mode::Modifying);
    if (m_name->isEnabled())
        m_name->setFocus();
}

void TAdminFm::saveClicked()
{
    const AdminAccounts::Result r = m_mode == Mode::Adding
                                        ? AdminAccounts::add(m_name->text(), flags())
                                        : AdminAccounts::update(m_editing, m_name->text(), flags());
    if (!r.ok) {
        Prompt::warning(this, r.message);
        m_name->setFocus();
        return;
    }
    setMode(Mode::Browsing);
    reload(m_name->text().trimmed());
}

void TAdminFm::cancelClicked()
{
    const bool wasAdding = m_mode == Mode::Adding;
    setMode(Mode::Browsing);
    if (wasAdding)
        reload(m_nameBeforeAdd); // the new line disappears
    else
        showCurrent();
}

void TAdminFm::deleteClicked()
{
    const AdminAccounts::Account *a = current();
    const QString refusal = AdminAccounts::deleteRefusal(a);
    if (!refusal.isEmpty()) {
        Prompt::info(this, refusal);
        return;
    }
    if (!Prompt::ask(this, AdminAccounts::deleteQuestion(*a), Prompt::Answer::No))
        return;
    const AdminAccounts::Result r = AdminAccounts::remove(*a);
    if (!r.ok)
        Prompt::warning(this, r.message);
    reload();
}
