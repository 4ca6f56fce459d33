#pragma once

#include "search/ColumnSearch.h"

#include <QGroupBox>

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

// The 查询条件 group of the management windows: a column chooser (free text allowed), the
// label "中 含有", the value box (Enter asks for the search) and the options 精确 and 模糊
// (模糊 preset). A window adds its own inputs to row() (after these) or rows() (below).
class ColumnSearchGroup : public QGroupBox {
    Q_OBJECT
public:
    ColumnSearchGroup(const QStringList &columns, const QString &preset, QWidget *parent = nullptr);

    QComboBox *columnBox() const { return m_column; }
    QLineEdit *valueEdit() const { return m_value; }
    QRadioButton *exactButton() const { return m_exact; }
    QRadioButton *containsButton() const { return m_contains; }
    QHBoxLayout *row() const { return m_row; }
    QVBoxLayout *rows() const { return m_rows; }

    QString column() const;
    QString value() const; // as typed
    ColumnSearch::Match match() const;

signals:
    // Enter in the value box.
    void searchRequested();

private:
    QComboBox *m_column = nullptr;
    QLineEdit *m_value = nullptr;
    QRadioButton *m_exact = nullptr;
    QRadioButton *m_contains = nullptr;
    QHBoxLayout *m_row = nullptr;
    QVBoxLayout *m_rows = nullptr;
};
