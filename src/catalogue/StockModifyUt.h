#pragma once

#include <QDialog>
#include <QSqlRecord>

class QLineEdit;

// The stock count of one book, with its entry in the administrators' log (caption
// "销售库存修改").
class TStockModifyFm : public QDialog {
    Q_OBJECT
public:
    explicit TStockModifyFm(const QSqlRecord &book, QWidget *parent = nullptr);

    QLineEdit *quantityField() const { return m_quantity; }
    // The count written by 确定.
    int quantity() const { return m_written; }

signals:
    void saved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void okClicked();

    QSqlRecord m_book;
    QLineEdit *m_quantity = nullptr;
    int m_written = 0;
};
