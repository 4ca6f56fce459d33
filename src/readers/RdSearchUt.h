#pragma once

#include <QDialog>
#include <QHash>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class ResultGrid;
class Statement;

// Reader management (caption "读者管理"): the list of readers, the search by one column and
// the registration dates, deletion, the reader list and the reader cards, the export, and
// the windows that register, edit, change the state of and top up the reader of the current
// line.
class TRdSearchFm : public QDialog {
    Q_OBJECT
public:
    explicit TRdSearchFm(QWidget *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    QComboBox *columnBox() const { return m_column; }
    QLineEdit *valueEdit() const { return m_value; }
    QRadioButton *exactButton() const { return m_exact; }
    QRadioButton *containsButton() const { return m_contains; }
    QCheckBox *dateBox() const { return m_dateBox; }
    QDateEdit *fromEdit() const { return m_from; }
    QDateEdit *toEdit() const { return m_to; }
    // The 查询 button inside the condition group.
    QPushButton *groupSearchButton() const { return m_searchInGroup; }
    // A tool bar button by its text ("查询", "添加", … "退出").
    QToolButton *button(const QString &text) const;

    // What the tool bar buttons do.
    void search();
    void addReader();
    void editReader();
    void changeState();
    void deleteReader();
    void refresh();
    void showAll();
    void printList();
    void printCards();
    void exportSheet();
    void topUp();
    void showPhoto();

private:
    void createConditions(QBoxLayout *layout);
    void createGrid();
    void applyPermissions(bool tableHadReaders);
    // Whether a line is current; tells the user to choose one when not.
    bool hasCurrentReader();
    // Opens a window of the readers subsystem over this one, modal, destroyed when closed.
    void openWindow(QDialog *window);
    // Shows the statement's readers; a failure is told and leaves the grid empty.
    bool showStatement(const Statement &statement);
    bool askBeforeLongReport(int pages, const QString &what);

    ResultGrid *m_grid = nullptr;
    QComboBox *m_column = nullptr;
    QLineEdit *m_value = nullptr;
    QRadioButton *m_exact = nullptr;
    QRadioButton *m_contains = nullptr;
    QCheckBox *m_dateBox = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QPushButton *m_searchInGroup = nullptr;
    QHash<QString, QToolButton *> m_buttons;
};
