#pragma once

#include <QDialog>
#include <QHash>

class QToolButton;
class ResultGrid;

// The recommended books (caption "推荐"): the list of b_tuiJian, deleting one or all of them,
// and the export.
class TBkTuiJianFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkTuiJianFm(QWidget *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    QToolButton *button(const QString &text) const { return m_buttons.value(text); }

    void deleteCurrent();
    void deleteAll();
    void exportSheet();

private:
    ResultGrid *m_grid = nullptr;
    QHash<QString, QToolButton *> m_buttons;
};
