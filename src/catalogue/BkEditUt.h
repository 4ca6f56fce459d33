#pragma once

#include <QDialog>
#include <QSqlRecord>

// Editing of one book: the current row of book management.
class TBkEditFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkEditFm(const QSqlRecord &book, QWidget *parent = nullptr);

signals:
    void saved();
};
