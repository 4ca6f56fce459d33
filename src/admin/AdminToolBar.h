#pragma once

#include <QHBoxLayout>
#include <QString>
#include <QStringList>
#include <QToolButton>
#include <QVector>
#include <QWidget>

// The row of text tool buttons at the top of the administration windows.
class AdminToolBar : public QWidget {
public:
    AdminToolBar(const QStringList &texts, QWidget *parent)
        : QWidget(parent)
    {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        for (const QString &text : texts) {
            auto *b = new QToolButton(this);
            b->setText(text);
            b->setToolButtonStyle(Qt::ToolButtonTextOnly);
            b->setMinimumWidth(64);
            row->addWidget(b);
            m_buttons << b;
        }
        row->addStretch();
    }

    QToolButton *button(int index) const { return m_buttons.value(index); }

private:
    QVector<QToolButton *> m_buttons;
};
