#include "RdChongZhiUt.h"

#include "DecimalValidator.h"
#include "Prompt.h"
#include "readers/ReaderAccount.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLineEdit *shownField(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

bool isEnter(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TRdChongZhiFm::TRdChongZhiFm(const QString &readerNumber, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TRdChongZhiFm"));
    setWindowTitle(QStringLiteral("卡内充值"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *lookupBox = new QGroupBox(QStringLiteral("请输入读者编号后按回车"), this);
    auto *lookupRow = new QHBoxLayout(lookupBox);
    m_lookup = new QLineEdit(lookupBox);
    m_ok = new QPushButton(QStringLiteral("ok"), lookupBox);
    lookupRow->addWidget(m_lookup, 1);
    lookupRow->addWidget(m_ok);

    auto *readerBox = new QGroupBox(QStringLiteral("读者信息"), this);
    auto *readerForm = new QFormLayout(readerBox);
    m_number = shownField(readerBox);
    m_name = shownField(readerBox);
    m_sex = shownField(readerBox);
    m_balance = shownField(readerBox);
    readerForm->addRow(QStringLiteral("读者编号:"), m_number);
    readerForm->addRow(QStringLiteral("读者姓名:"), m_name);
    readerForm->addRow(QStringLiteral("性别:"), m_sex);
    readerForm->addRow(QStringLiteral("卡内金额:"), m_balance);

    auto *amountForm = new QFormLayout;
    m_amount = new QLineEdit(QStringLiteral("0"), this);
    m_amount->setValidator(new DecimalValidator(m_amount));
    // Fifteen whole digits fit the balance column; an amount is far below that.
    m_amount->setMaxLength(12);
    m_refund = new QCheckBox(QStringLiteral("退款(充入负值)"), this);
    auto *amountRow = new QHBoxLayout;
    amountRow->addWidget(m_amount, 1);
    amountRow->addWidget(m_refund);
    amountForm->addRow(QStringLiteral("金额:"), amountRow);
    m_remark = new QLineEdit(this);
    amountForm->addRow(QStringLiteral("备注:"), m_remark);

    auto *buttons = new QHBoxLayout;
    m_topUp = new QPushButton(QStringLiteral("确定"), this);
    auto *back = new QPushButton(QStringLiteral("返回"), this);
    buttons->addStretch();
    buttons->addWidget(m_topUp);
    buttons->addWidget(back);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lookupBox);
    layout->addWidget(readerBox);
    layout->addLayout(amountForm);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    m_lookup->installEventFilter(this);
    m_amount->installEventFilter(this);
    connect(m_ok, &QPushButton::clicked, this, [this] { lookUp(); });
    connect(m_topUp, &QPushButton::clicked, this, &TRdChongZhiFm::topUpClicked);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    // A number typed over the shown reader's hides him until it is looked up, so that 确定
    // never books on a reader other than the one the box names.
    connect(m_lookup, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!m_found.isEmpty() && text != m_found)
            showReader(QString(), QString(), QString(), QString());
    });

    m_lookup->setText(readerNumber);
    lookUp(true);
}

bool TRdChongZhiFm::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit != m_lookup && edit != m_amount)
        return QDialog::eventFilter(watched, event);
    if (isEnter(event)) {
        if (edit == m_lookup)
            lookUp();
        else
            topUpClicked();
        return true;
    }
    if (event->type() == QEvent::FocusIn)
        (edit == m_lookup ? m_ok : m_topUp)->setDefault(true);
    // A click selects the whole text, once the line edit has placed its cursor.
    if (event->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void TRdChongZhiFm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The number handed over at the opening was not found: said once the window is up.
    if (!m_openMessage.isEmpty()) {
        const QString message = m_openMessage;
        m_openMessage.clear();
        QTimer::singleShot(0, this, [this, message] { Prompt::warning(this, message); });
    }
}

bool TRdChongZhiFm::lookUp(bool quiet)
{
    const ReaderAccount::Lookup found = ReaderAccount::find(m_lookup->text());
    if (!found.found) {
        showReader(QString(), QString(), QString(), QString());
        if (quiet)
            m_openMessage = found.message;
        else
            Prompt::warning(this, found.message);
        m_lookup->setFocus();
        m_lookup->selectAll();
        return false;
    }
    const ReaderAccount::Reader &r = found.reader;
    showReader(r.number, r.name, r.sex, r.balance.toFixed2());
    m_amount->setFocus();
    m_amount->selectAll();
    return true;
}

void TRdChongZhiFm::showReader(const QString &number, const QString &name, const QString &sex,
                               const QString &balance)
{
    m_found = number;
    m_number->setText(number);
    m_name->setText(name);
    m_sex->setText(sex);
    m_balance->setText(balance);
}

void TRdChongZhiFm::topUpClicked()
{
    if (ReaderAccount::amountOf(m_amount->text()).isZero()) {
        Prompt::warning(this, ReaderAccount::kZeroAmount);
        m_amount->setFocus();
        m_amount->selectAll();
        return;
    }
    if (m_found.isEmpty()) {
        Prompt::warning(this, ReaderAccount::kNotFound);
        m_lookup->setFocus();
        m_lookup->selectAll();
        return;
    }
    const ReaderAccount::Result r =
        ReaderAccount::topUp(m_found, m_amount->text(), m_refund->isChecked(), m_remark->text());
    if (!r.ok) {
        Prompt::warning(this, r.message);
        return;
    }
    Prompt::info(this, ReaderAccount::kToppedUp);
    m_amount->setText(QStringLiteral("0"));
    emit toppedUp();
    accept();
}
