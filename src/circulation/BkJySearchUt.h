#pragma once

#include <QDialog>
#include <QHash>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class ResultGrid;
class Statement;

// The loan record query (caption "借阅信息查询"): conditions on the item, the reader, the
// lending and return dates and the return state; the loans found in a grid with its totals,
// the printed list and the export. It opens with every loan record listed.
class TBkJySearchFm : public QDialog {
    Q_OBJECT
public:
    explicit TBkJySearchFm(QWidget *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    // A text field by its column: 编号, 名称, 条形码, 读者编号, 读者姓名.
    QLineEdit *field(const QString &column) const { return m_fields.value(column); }
    QCheckBox *lentBox() const { return m_lentBox; }
    QDateEdit *lentFrom() const { return m_lentFrom; }
    QDateEdit *lentTo() const { return m_lentTo; }
    QCheckBox *returnedBox() const { return m_returnedBox; }
    QDateEdit *returnedFrom() const { return m_returnedFrom; }
    QDateEdit *returnedTo() const { return m_returnedTo; }
    QCheckBox *stateBox() const { return m_stateBox; }
    QComboBox *stateChoice() const { return m_state; }
    // A button by its text: 查询, 打印, 转EXCEL, 退出.
    QPushButton *button(const QString &text) const { return m_buttons.value(text); }

    void search();
    void print();
    void exportSheet();

private:
    QWidget *createConditions();
    void createGrid();
    bool showStatement(const Statement &statement);

    ResultGrid *m_grid = nullptr;
    QHash<QString, QLineEdit *> m_fields;
    QCheckBox *m_lentBox = nullptr;
    QDateEdit *m_lentFrom = nullptr;
    QDateEdit *m_lentTo = nullptr;
    QCheckBox *m_returnedBox = nullptr;
    QDateEdit *m_returnedFrom = nullptr;
    QDateEdit *m_returnedTo = nullptr;
    QCheckBox *m_stateBox = nullptr;
    QComboBox *m_state = nullptr;
    QHash<QString, QPushButton *> m_buttons;
};
