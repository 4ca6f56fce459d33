#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;

// Moves the items of one storage location to another, and deletes the readers of a
// department, class or unit who have nothing on loan.
class TBatchDataFm : public QDialog {
    Q_OBJECT
public:
    explicit TBatchDataFm(QWidget *parent = nullptr);

    QComboBox *kind() const { return m_kind; }
    QComboBox *fromPlace() const { return m_from; }
    QComboBox *toPlace() const { return m_to; }
    // 院系, 班级, 单位部门: the boxes and their pick lists.
    QCheckBox *readerBox(int i) const { return m_readerBoxes[i]; }
    QComboBox *readerList(int i) const { return m_readerLists[i]; }

private:
    void placeClick();
    void readersClick();

    QComboBox *m_kind = nullptr;
    QComboBox *m_from = nullptr;
    QComboBox *m_to = nullptr;
    QCheckBox *m_readerBoxes[3] = {};
    QComboBox *m_readerLists[3] = {};
};
