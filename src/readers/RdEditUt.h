#pragma once

#include <QDialog>
#include <QSqlRecord>

// Editing of one reader (caption "读者编辑"): the current row of reader management.
class TRdEditFm : public QDialog {
    Q_OBJECT
public:
    explicit TRdEditFm(const QSqlRecord &reader, QWidget *parent = nullptr);

signals:
    // The row was written (reader management reads its list again).
    void saved();
};
