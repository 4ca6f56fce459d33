#pragma once

#include "print/ReceiptWriter.h"

#include <QDateTime>
#include <QDialog>
#include <QFutureWatcher>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

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
    // How long the test receipt may take before the printer counts as not answering.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    // The line that says whether the test receipt is being printed or was printed.
    QLabel *status() const { return m_status; }
    QPushButton *testButton() const { return m_test; }

private:
    void applyClicked();
    void testClicked();
    void testFinished();

    QComboBox *m_port = nullptr;
    QCheckBox *m_printAfter = nullptr;
    QLineEdit *m_text = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_test = nullptr;
    QFutureWatcher<Receipt::Outcome> m_printing;
    int m_timeoutMs = Receipt::kTimeoutMs;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};
