#pragma once

#include <QDialog>
#include <QHash>

class QDateEdit;
class QGridLayout;
class QLabel;
class QPushButton;

// The stock-taking window (数据盘点): the library's totals, and the loans, returns, intake,
// registrations and rent of a period. It only reads; 打印 prints its picture.
class TDataCheckFm : public QDialog {
    Q_OBJECT
public:
    explicit TDataCheckFm(QWidget *parent = nullptr);

    QDateEdit *fromDate() const { return m_from; }
    QDateEdit *toDate() const { return m_to; }
    QPushButton *queryButton() const { return m_query; }
    QPushButton *printButton() const { return m_print; }
    // The text shown next to a caption ("图书总数:"), empty for an unknown caption.
    QString figure(const QString &caption) const;

private:
    void showTotals();
    void showPeriod();
    void printClicked();
    QLabel *valueLabel(const QString &caption, QGridLayout *grid, int row, int column);

    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QPushButton *m_query = nullptr;
    QPushButton *m_print = nullptr;
    QHash<QString, QLabel *> m_values;
};
