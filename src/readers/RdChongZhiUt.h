#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Top-up or refund of a reader's prepaid account (caption "卡内充值").
class TRdChongZhiFm : public QDialog {
    Q_OBJECT
public:
    // Opens with this reader number looked up.
    explicit TRdChongZhiFm(const QString &readerNumber, QWidget *parent = nullptr);

    QLineEdit *lookupField() const { return m_lookup; }
    QLineEdit *amountField() const { return m_amount; }
    QLineEdit *remarkField() const { return m_remark; }
    QCheckBox *refundBox() const { return m_refund; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *topUpButton() const { return m_topUp; }
    // The reader shown, or an empty text when none is.
    QString shownReader() const { return m_found; }
    QLineEdit *balanceField() const { return m_balance; }

signals:
    // A top-up was written (reader management reads its list again).
    void toppedUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Looks up the number in the lookup box; tells whether a reader was found.
    bool lookUp(bool quiet = false);
    void showReader(const QString &number, const QString &name, const QString &sex,
                    const QString &balance);
    void topUpClicked();

    QLineEdit *m_lookup = nullptr;
    QPushButton *m_ok = nullptr;
    QLineEdit *m_number = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_sex = nullptr;
    QLineEdit *m_balance = nullptr;
    QLineEdit *m_amount = nullptr;
    QLineEdit *m_remark = nullptr;
    QCheckBox *m_refund = nullptr;
    QPushButton *m_topUp = nullptr;
    QString m_found;
    QString m_openMessage;
};
