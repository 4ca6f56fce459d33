#pragma once

#include <QDialog>

class QLineEdit;

// The logged-in administrator changes his own password.
class TChangePwdFm : public QDialog {
    Q_OBJECT
public:
    explicit TChangePwdFm(QWidget *parent = nullptr);

    QLineEdit *oldPassword() const { return m_old; }
    QLineEdit *newPassword() const { return m_new; }
    QLineEdit *confirmation() const { return m_confirm; }

private:
    void saveClicked();

    QLineEdit *m_old = nullptr;
    QLineEdit *m_new = nullptr;
    QLineEdit *m_confirm = nullptr;
};
