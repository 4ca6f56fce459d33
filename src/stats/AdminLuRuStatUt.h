#pragma once

#include <QDialog>

class QDateEdit;
class QPushButton;
class ResultGrid;

// Intake per administrator (管理员录入量统计): how many book records each administrator
// registered in a period, and their total price.
class TAdminLuRuStatFm : public QDialog {
    Q_OBJECT
public:
    explicit TAdminLuRuStatFm(QWidget *parent = nullptr);

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

    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    ResultGrid *m_grid = nullptr;
    QPushButton *m_count = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_excel = nullptr;
};
