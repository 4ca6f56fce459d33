#pragma once

#include "catalogue/BookReports.h"

#include <QDialog>
#include <QHash>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;
class ResultGrid;
class Statement;

// Book management (caption "图书资料管理"): the list of books with the summary of the whole
// catalogue, the search by one column and the intake dates, the combined search, deletion,
// recommendation, the printed lists, barcodes, labels and cards, the export, and the windows
// that add books and edit the current one or its stock.
class TBkSearchFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkSearchFm(QWidget *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    QComboBox *columnBox() const { return m_column; }
    QLineEdit *valueEdit() const { return m_value; }
    QRadioButton *exactButton() const { return m_exact; }
    QRadioButton *containsButton() const { return m_contains; }
    QCheckBox *dateBox() const { return m_dateBox; }
    QDateEdit *fromEdit() const { return m_from; }
    QDateEdit *toEdit() const { return m_to; }
    QLabel *summaryLabel() const { return m_summary; }
    QPushButton *groupSearchButton() const { return m_searchInGroup; }
    QPushButton *combinedButton() const { return m_combined; }
    // A tool bar button by its text ("查询", "添加", … "退出").
    QToolButton *button(const QString &text) const;
    // The grid's context menu (推荐) and the 单打 drop-down (条码, 标签, 书录卡).
    QMenu *gridMenu() const { return m_gridMenu; }
    QMenu *singleMenu() const { return m_singleMenu; }

    // Shows the statement's books; a failure is told and leaves the grid empty.
    bool showStatement(const Statement &statement);

    // What the buttons do.
    void search();
    void openCombined();
    void addBook();
    void editBook();
    void deleteBook();
    void refresh();
    void showAll();
    void printList();
    void printBarcodes();
    void printLabels();
    void printCards();
    void printClassNumbers();
    void printSingleBarcode();
    void printSingleLabel();
    void printSingleCard();
    void exportSheet();
    void recommend();
    void updateSummary();

private:
    void createConditions(QBoxLayout *layout);
    void createGrid();
    void applyPermissions();
    bool hasCurrentBook();
    void openWindow(QDialog *window);
    void printAll(BookReports::Kind kind);
    void printCurrent(BookReports::Kind kind);

    ResultGrid *m_grid = nullptr;
    QComboBox *m_column = nullptr;
    QLineEdit *m_value = nullptr;
    QRadioButton *m_exact = nullptr;
    QRadioButton *m_contains = nullptr;
    QCheckBox *m_dateBox = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QLabel *m_summary = nullptr;
    QPushButton *m_searchInGroup = nullptr;
    QPushButton *m_combined = nullptr;
    QMenu *m_gridMenu = nullptr;
    QMenu *m_singleMenu = nullptr;
    QHash<QString, QToolButton *> m_buttons;
};
