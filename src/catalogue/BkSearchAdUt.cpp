#include "BkSearchAdUt.h"

#include "Prompt.h"
#include "catalogue/BookSearch.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TBkSearchAdFm::TBkSearchAdFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBkSearchAdFm"));
    setWindowTitle(QStringLiteral("组合查询"));

    // Not editable: only the offered columns and operators can be chosen.
    auto box = [this](const QStringList &items, const QString &preset) {
        auto *b = new QComboBox(this);
        b->addItems(items);
        b->setCurrentText(preset);
        return b;
    };
    const QStringList columns = BookSearch::combinedColumns();
    const QStringList operators = BookSearch::combinedOperators();
    const BookSearch::Combined defaults;
    m_column1 = box(columns, defaults.column1);
    m_op1 = box(operators, defaults.operator1);
    m_value1 = new QLineEdit(this);
    m_column2 = box(columns, defaults.column2);
    m_op2 = box(operators, defaults.operator2);
    m_value2 = new QLineEdit(this);
    m_sort = box(columns, defaults.sortColumn);
    m_direction = box({QStringLiteral("asc"), QStringLiteral("desc")}, QStringLiteral("asc"));

    auto *grid = new QGridLayout;
    grid->addWidget(m_column1, 0, 0);
    grid->addWidget(m_op1, 0, 1);
    grid->addWidget(m_value1, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("并且"), this), 1, 0);
    grid->addWidget(m_column2, 2, 0);
    grid->addWidget(m_op2, 2, 1);
    grid->addWidget(m_value2, 2, 2);
    grid->addWidget(m_sort, 3, 0);
    grid->addWidget(m_direction, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("排序:    asc升序  desc降序"), this), 3, 2);
    grid->setColumnStretch(2, 1);

    auto *ok = new QPushButton(QStringLiteral("ok"), this);
    ok->setDefault(true);
    auto *exit = new QPushButton(QStringLiteral("exit"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(exit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TBkSearchAdFm::accept);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    resize(480, 170);
}

void TBkSearchAdFm::accept()
{
    BookSearch::Combined c;
    c.column1 = m_column1->currentText();
    c.operator1 = m_op1->currentText();
    c.value1 = m_value1->text();
    c.column2 = m_column2->currentText();
    c.operator2 = m_op2->currentText();
    c.value2 = m_value2->text();
    c.sortColumn = m_sort->currentText();
    c.descending = m_direction->currentText() == QStringLiteral("desc");
    const BookSearch::Search s = BookSearch::buildCombined(c);
    if (!s.ok) {
        if (!s.message.isEmpty())
            Prompt::warning(this, s.message);
        return;
    }
    emit chosen(s.statement);
    QDialog::accept();
}
