#include "ColumnSearchGroup.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

ColumnSearchGroup::ColumnSearchGroup(const QStringList &columns, const QString &preset,
                                     QWidget *parent)
    : QGroupBox(QStringLiteral("查询条件"), parent)
{
    m_rows = new QVBoxLayout(this);
    m_row = new QHBoxLayout;
    m_rows->addLayout(m_row);

    m_column = new QComboBox(this);
    m_column->setEditable(true);
    m_column->addItems(columns);
    m_column->setEditText(preset);
    m_column->setMinimumContentsLength(6);
    m_row->addWidget(m_column);
    m_row->addWidget(new QLabel(QStringLiteral("中 含有"), this));
    m_value = new QLineEdit(this);
    m_value->setMinimumWidth(160);
    m_row->addWidget(m_value, 1);

    m_exact = new QRadioButton(QStringLiteral("精确"), this);
    m_contains = new QRadioButton(QStringLiteral("模糊"), this);
    m_contains->setChecked(true);
    m_row->addWidget(m_exact);
    m_row->addWidget(m_contains);

    connect(m_value, &QLineEdit::returnPressed, this, &ColumnSearchGroup::searchRequested);
}

QString ColumnSearchGroup::column() const
{
    return m_column->currentText();
}

QString ColumnSearchGroup::value() const
{
    return m_value->text();
}

ColumnSearch::Match ColumnSearchGroup::match() const
{
    return m_exact->isChecked() ? ColumnSearch::Match::Exact : ColumnSearch::Match::Contains;
}
