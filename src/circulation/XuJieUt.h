#pragma once

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;

// Renewal (title "续借"): finds the unreturned loan of a reader and an item and moves its due
// date to the date picked; closes after a renewal.
class TXuJieFm : public QDialog {
    Q_OBJECT
public:
    explicit TXuJieFm(QWidget *parent = nullptr);

    QLineEdit *readerField() const { return m_reader; }
    QLineEdit *itemField() const { return m_item; }
    QDateEdit *dueDateEdit() const { return m_due; }
    QPushButton *findButton() const { return m_find; }
    QPushButton *renewButton() const { return m_renew; }
    QPushButton *cancelButton() const { return m_cancel; }
    // The loan found and shown, 0 when none is.
    qint64 shownLoan() const { return m_loanId; }

private:
    void findClicked();
    void renewClicked();
    void showLoan(qint64 loanId);

    QLineEdit *m_reader = nullptr;
    QLineEdit *m_item = nullptr;
    QDateEdit *m_due = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_renew = nullptr;
    QPushButton *m_cancel = nullptr;
    qint64 m_loanId = 0;
};
