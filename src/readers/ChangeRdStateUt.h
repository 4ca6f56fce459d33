#pragma once

#include <QDialog>
#include <QSqlRecord>

class QComboBox;
class QLineEdit;

// The state of one reader (caption "更改状态"), with its entry in the administrators' log.
class TChangeRdStateFm : public QDialog {
    Q_OBJECT
public:
    explicit TChangeRdStateFm(const QSqlRecord &reader, QWidget *parent = nullptr);

    QComboBox *stateBox() const { return m_state; }
    QLineEdit *remarkField() const { return m_remark; }

signals:
    void saved();

private:
    void saveClicked();

    QString m_number;
    QString m_name;
    QComboBox *m_state = nullptr;
    QLineEdit *m_remark = nullptr;
};
