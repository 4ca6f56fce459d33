#pragma once

#include <QStringList>
#include <QWidget>

class QTableView;

// The totals line under a table view: one text per model column, drawn right under its
// column and following the column's width, order and the horizontal scrolling.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(QTableView *view, QWidget *parent = nullptr);

    void setTexts(const QStringList &texts); // by model column
    const QStringList &texts() const { return m_texts; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTableView *m_view;
    QStringList m_texts;
};
