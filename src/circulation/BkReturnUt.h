#pragma once

#include "circulation/Returning.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ResultGrid;

// The return window ("归还操作"): finds the unreturned loans of an item or a reader, shows the
// rent and fine of the current one and returns it. Works beside the borrowing window (F5).
class TBkReturnFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkReturnFm(QWidget *parent = nullptr);

    QLineEdit *itemField() const { return m_item; }
    QLineEdit *barcodeField() const { return m_barcode; }
    QLineEdit *readerField() const { return m_reader; }
    QLineEdit *cardField() const { return m_card; }
    QPushButton *searchButton() const { return m_search; }
    ResultGrid *grid() const { return m_grid; }
    QLabel *countLabel() const { return m_count; }
    QLineEdit *rentPeriodField() const { return m_rentPeriod; }
    QLineEdit *rentField() const { return m_rent; }
    QLineEdit *daysOverdueField() const { return m_daysOverdue; }
    QLineEdit *fineField() const { return m_fine; }
    QLineEdit *shelfField() const { return m_shelf; }
    QLineEdit *currentItemField() const { return m_curItem; }
    QCheckBox *damageBox() const { return m_damageBox; }
    QGroupBox *damageGroup() const { return m_damage; }
    QComboBox *conditionBox() const { return m_condition; }
    QLineEdit *compensationField() const { return m_compensation; }
    QPlainTextEdit *remarkField() const { return m_remark; }
    QPushButton *returnButton() const { return m_return; }
    QPushButton *cancelButton() const { return m_cancel; }

    // The search: by the three fields, or by the card number first.
    void search();
    void cardSearch();
    void returnCurrent();
    // 取消: empties everything, the list too.
    void clearAll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Shows the current loan of the list with its four values (the fine message when asked).
    void showCurrent(bool fineMessage);
    void showLoanFields(const Returning::Loan *loan);
    void showCount();
    void focusSearchField();
    // Runs the statement of the last search into the list.
    bool runList();
    void periodEdited(const QString &text);

    QLineEdit *m_item = nullptr;
    QLineEdit *m_barcode = nullptr;
    QLineEdit *m_reader = nullptr;
    QLineEdit *m_card = nullptr;
    QPushButton *m_search = nullptr;
    ResultGrid *m_grid = nullptr;
    QLabel *m_count = nullptr;

    QLineEdit *m_curReader = nullptr;
    QLineEdit *m_curName = nullptr;
    QLineEdit *m_curItem = nullptr;
    QLineEdit *m_curTitle = nullptr;
    QLineEdit *m_curLent = nullptr;
    QLineEdit *m_shelf = nullptr;
    QLineEdit *m_rentPeriod = nullptr;
    QLineEdit *m_rent = nullptr;
    QLineEdit *m_daysOverdue = nullptr;
    QLineEdit *m_fine = nullptr;
    QLabel *m_rentLabel = nullptr;
    QLabel *m_daysOverdueLabel = nullptr;
    QLabel *m_fineLabel = nullptr;

    QCheckBox *m_damageBox = nullptr;
    QGroupBox *m_damage = nullptr;
    QComboBox *m_condition = nullptr;
    QLineEdit *m_compensation = nullptr;
    QPlainTextEdit *m_remark = nullptr;

    QPushButton *m_return = nullptr;
    QPushButton *m_cancel = nullptr;

    bool m_prepared = false;
    bool m_loading = false;
    // The conditions of the last search; none since the window was last cleared.
    std::optional<Returning::Conditions> m_conditions;
    std::optional<Returning::Loan> m_loan;
    ReturnCharges m_charges;
    QString m_focusField;
};
