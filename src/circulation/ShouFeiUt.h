#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// The charge window (收费): a payment taken at the desk, booked in the income journal.
// It is made once and kept: closing only hides it, so that the next opening shows what was
// last entered.
class TShouFeiFm : public QDialog {
    Q_OBJECT
public:
    explicit TShouFeiFm(QWidget *parent = nullptr);

    QComboBox *itemBox() const { return m_item; }
    QLineEdit *amountField() const { return m_amount; }
    QLineEdit *noteField() const { return m_note; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void okClicked();

    QComboBox *m_item = nullptr;
    QLineEdit *m_amount = nullptr;
    QLineEdit *m_note = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
