#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class Statement;

// The combined search of book management (caption "组合查询"): two comparisons of 编号,
// 条形码 or 名称 and a sort order, every column and operator picked from its list.
class TBkSearchAdFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkSearchAdFm(QWidget *parent = nullptr);

    QComboBox *columnBox(int condition) const { return condition == 1 ? m_column1 : m_column2; }
    QComboBox *operatorBox(int condition) const { return condition == 1 ? m_op1 : m_op2; }
    QLineEdit *valueEdit(int condition) const { return condition == 1 ? m_value1 : m_value2; }
    QComboBox *sortBox() const { return m_sort; }
    QComboBox *directionBox() const { return m_direction; }

    // ok: hands the search to book management and closes; without a first value nothing.
    void accept() override;

signals:
    void chosen(const Statement &statement);

private:
    QComboBox *m_column1 = nullptr;
    QComboBox *m_op1 = nullptr;
    QLineEdit *m_value1 = nullptr;
    QComboBox *m_column2 = nullptr;
    QComboBox *m_op2 = nullptr;
    QLineEdit *m_value2 = nullptr;
    QComboBox *m_sort = nullptr;
    QComboBox *m_direction = nullptr;
};
