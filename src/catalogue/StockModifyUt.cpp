#include "StockModifyUt.h"

#include "Prompt.h"
#include "catalogue/BookEdit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TStockModifyFm::TStockModifyFm(const QSqlRecord &book, QWidget *parent)
    : QDialog(parent)
    , m_book(book)
{
    setObjectName(QStringLiteral("TStockModifyFm"));
    setWindowTitle(QStringLiteral("销售库存修改"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_quantity = new QLineEdit(this);
    m_quantity->setObjectName(QStringLiteral("数量"));
    const QVariant stored = book.value(QStringLiteral("数量"));
    m_quantity->setText(stored.isNull() ? QString() : QString::number(stored.toLongLong()));
    m_quantity->installEventFilter(this);

    auto *field = new QHBoxLayout;
    field->addWidget(new QLabel(QStringLiteral("库存:"), this));
    field->addWidget(m_quantity, 1);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addLayout(buttons);
    setMinimumWidth(260);

    connect(ok, &QPushButton::clicked, this, &TStockModifyFm::okClicked);
    // 取消 and the close box write nothing.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TStockModifyFm::eventFilter(QObject *watched, QEvent *event)
{
    // A click into the count selects it, so that the new count replaces it.
    if (watched == m_quantity && event->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, m_quantity, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void TStockModifyFm::okClicked()
{
    int written = 0;
    const BookEdit::Result r = BookEdit::changeStock(m_book, m_quantity->text(), &written);
    if (!r.ok) {
        Prompt::warning(this, r.message);
        m_quantity->setFocus();
        m_quantity->selectAll();
        return;
    }
    m_written = written;
    emit saved();
    accept();
}
