#pragma once

#include <QDialog>

// Registration of new readers (caption "读者添加"), one at a time, with the opening fee.
class TRdAddFm : public QDialog {
    Q_OBJECT
public:
    explicit TRdAddFm(QWidget *parent = nullptr);

signals:
    // A reader was registered (reader management reads its list again).
    void saved();
};
