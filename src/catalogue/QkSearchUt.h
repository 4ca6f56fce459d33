#pragma once

#include "catalogue/PeriodicalSearch.h"

#include <QDialog>
#include <QHash>

class ColumnSearchGroup;
class QMenu;
class QToolButton;
class ResultGrid;
class Statement;

// Periodical management (caption "期刊管理"): the list of issues, the search by one column,
// intake, editing and deletion, the printed list, barcodes and labels, and the export. It does
// not block the main window.
class TQkSearchFm : public QDialog {
    Q_OBJECT
public:
    explicit TQkSearchFm(QWidget *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    ColumnSearchGroup *conditions() const { return m_conditions; }
    // A tool bar button by its text ("查询", "添加", … "退出").
    QToolButton *button(const QString &text) const { return m_buttons.value(text); }
    // The 单打 drop-down (条码, 标签).
    QMenu *singleMenu() const { return m_singleMenu; }

    // Shows the statement's issues; a failure is told and leaves the grid empty.
    bool showStatement(const Statement &statement);

    void search();
    void addIssue();
    void editIssue();
    void deleteIssue();
    void refresh();
    void showAll();
    void printList();
    void printBarcodes();
    void printLabels();
    void printSingleBarcode();
    void printSingleLabel();
    void exportSheet();

private:
    void createGrid();
    bool hasCurrentIssue();
    void openWindow(QDialog *window);
    void printAll(PeriodicalSearch::Report report);

    ResultGrid *m_grid = nullptr;
    ColumnSearchGroup *m_conditions = nullptr;
    QMenu *m_singleMenu = nullptr;
    QHash<QString, QToolButton *> m_buttons;
};
