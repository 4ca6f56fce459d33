#pragma once

#include <QDialog>

class QDateEdit;
class Statement;
class QPushButton;
class ResultGrid;

// The income statistics window (资金统计): the income journal of a period, its total under
// the grid, printed or exported.
class TShouRuCountFm : public QDialog {
    Q_OBJECT
public:
    explicit TShouRuCountFm(QWidget *parent = nullptr);

    QDateEdit *fromDate() const { return m_from; }
    QDateEdit *toDate() const { return m_to; }
    ResultGrid *grid() const { return m_grid; }
    QPushButton *countButton() const { return m_count; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *excelButton() const { return m_excel; }

private:
    void countClicked();
    void printClicked();
    void excelClicked();
    void showRows(const Statement &rows);

    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    ResultGrid *m_grid = nullptr;
    QPushButton *m_count = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_excel = nullptr;
    // The period of the rows shown, for the printed heading; empty while all are shown.
    QString m_periodText;
};
