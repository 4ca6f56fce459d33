#pragma once

#include <QDialog>

class QPushButton;
class ResultGrid;

// The reservation list (title "读者预定信息"): every reserved book, 取消全部预定 and 刷新.
class TReserveFm : public QDialog {
    Q_OBJECT
public:
    explicit TReserveFm(QWidget *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    QPushButton *cancelAllButton() const { return m_cancelAll; }
    QPushButton *refreshButton() const { return m_refresh; }

private:
    void list();
    void cancelAllClicked();

    ResultGrid *m_grid = nullptr;
    QPushButton *m_cancelAll = nullptr;
    QPushButton *m_refresh = nullptr;
};
