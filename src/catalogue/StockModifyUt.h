#pragma once

#include <QDialog>
#include <QSqlRecord>

// The stock count of one book, with its entry in the administrators' log.
class TStockModifyFm : public QDialog {
    Q_OBJECT
public:
    explicit TStockModifyFm(const QSqlRecord &book, QWidget *parent = nullptr);

signals:
    void saved();
};
