#pragma once

#include <QDialog>

class ResultGrid;

// The administrators' log: look through it, export it, print it, delete entries.
class TAdminLogFm : public QDialog {
    Q_OBJECT
public:
    explicit TAdminLogFm(QWidget *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }

private:
    void deleteCurrentClicked();
    void deleteAllClicked();
    void exportClicked();
    void printClicked();

    ResultGrid *m_grid = nullptr;
};
