#pragma once

#include <QDateTime>
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;

// The receipt printer port, the receipt after lending, and a test receipt.
class TPosPrtSetFm : public QDialog {
    Q_OBJECT
public:
    explicit TPosPrtSetFm(QWidget *parent = nullptr);

    QComboBox *port() const { return m_port; }
    QCheckBox *printAfterLending() const { return m_printAfter; }
    QLineEdit *testText() const { return m_text; }
    // The clock of the test receipt's time line.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    void applyClicked();
    void testClicked();

    QComboBox *m_port = nullptr;
    QCheckBox *m_printAfter = nullptr;
    QLineEdit *m_text = nullptr;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};
