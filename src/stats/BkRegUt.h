#pragma once

#include <QDialog>

class QDateEdit;
class QPushButton;
class QRadioButton;
class ResultGrid;

// The intake statistics window (资料入库登记信息统计): the books or periodicals registered in
// a period, printed or exported; it opens the intake per administrator.
class TBkRegFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkRegFm(QWidget *parent = nullptr);

    QRadioButton *bookChoice() const { return m_books; }
    QRadioButton *periodicalChoice() const { return m_periodicals; }
    QDateEdit *fromDate() const { return m_from; }
    QDateEdit *toDate() const { return m_to; }
    ResultGrid *grid() const { return m_grid; }
    QPushButton *countButton() const { return m_count; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *excelButton() const { return m_excel; }
    QPushButton *perAdministratorButton() const { return m_perAdmin; }

private:
    QString chosenKind() const;
    void countClicked();
    void printClicked();
    void excelClicked();
    void perAdministratorClicked();

    QRadioButton *m_books = nullptr;
    QRadioButton *m_periodicals = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    ResultGrid *m_grid = nullptr;
    QPushButton *m_count = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_excel = nullptr;
    QPushButton *m_perAdmin = nullptr;
    // The kind of the rows shown: the printed list follows it, not the choice made since.
    QString m_shownKind;
};
