#pragma once

#include <QDate>
#include <QDialog>
#include <QHash>

class QToolButton;
class ResultGrid;

// The overdue list (caption "逾期未还记录统计"): every unreturned loan due today or earlier,
// built when the window opens, with its printed list and the overdue notices, one page per
// reader.
class TDueRecordFm : public QDialog {
    Q_OBJECT
public:
    // today: the day the list is built for (the current date in the program).
    explicit TDueRecordFm(QWidget *parent = nullptr, const QDate &today = QDate::currentDate());

    ResultGrid *grid() const { return m_grid; }
    // A tool bar button by its text: 打印报表, 打印催还单, 退出.
    QToolButton *button(const QString &text) const { return m_buttons.value(text); }

    void printList();
    void printNotices();

private:
    void createGrid();

    QDate m_today;
    ResultGrid *m_grid = nullptr;
    QHash<QString, QToolButton *> m_buttons;
};
