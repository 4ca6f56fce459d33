#pragma once

#include <QDialog>
#include <QVector>

class QCheckBox;

// Empties whole tables after the initialization code is typed.
class TCleandataFm : public QDialog {
    Q_OBJECT
public:
    explicit TCleandataFm(QWidget *parent = nullptr);

    // The deletion boxes in the order their deletions run, and "全选".
    const QVector<QCheckBox *> &boxes() const { return m_boxes; }
    QCheckBox *selectAll() const { return m_all; }

private:
    void Button1Click();

    QVector<QCheckBox *> m_boxes;
    QCheckBox *m_all = nullptr;
};
