#pragma once

#include <QDialog>
#include <QSqlRecord>

// The state of one reader (caption "更改状态"), with its entry in the administrators' log.
class TChangeRdStateFm : public QDialog {
    Q_OBJECT
public:
    explicit TChangeRdStateFm(const QSqlRecord &reader, QWidget *parent = nullptr);

signals:
    void saved();
};
