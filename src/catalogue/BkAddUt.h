#pragma once

#include <QDialog>

// Intake of books (caption as the window's own text): one title, one or more copies.
class TBkAddFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkAddFm(QWidget *parent = nullptr);

signals:
    // Copies were saved (book management reads its list again).
    void saved();
};
