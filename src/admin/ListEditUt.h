#pragma once

#include "admin/ListTable.h"

#include <QDialog>
#include <QSqlRecord>
#include <QVector>

class EditToolBar;
class QLineEdit;
class QToolButton;
class ResultGrid;

// The editor of one reference list: a toolbar, the edit fields of the current row and a
// grid of the whole table. Every list of 基础信息设置 is this window, configured by its
// ListSpec; the rules and statements are ListTable's.
class TListEditFm : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Browsing, Adding, Modifying };

    TListEditFm(const ListSpec &setup, QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    QLineEdit *field(int index) const { return m_fields.value(index); }
    ResultGrid *grid() const { return m_grid; }

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend class EditToolBar; // wires the tool buttons to the handlers below

    void addClicked();
    void modifyClicked();
    void saveClicked();
    void cancelClicked();
    void deleteClicked();
    void setMode(Mode mode);
    void showCurrentRow();
    void reload(const QString &selectRowKey = QString());
    void showNewRow();
    QStringList fieldTexts() const;

    ListTable m_list;
    Mode m_mode = Mode::Browsing;
    QSqlRecord m_editing;           // the row being modified, as read
    QString m_keyBeforeAdd;         // the line that was current before 添加
    QStringList m_textsAtEditStart; // the fields when 添加 or 修改 began
    bool m_showsNewRow = false;     // the grid shows the empty line of the row being added
    QString m_sortField;            // the user's sort, restored when the new row is gone
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    EditToolBar *m_toolBar = nullptr;
    QVector<QLineEdit *> m_fields;
    ResultGrid *m_grid = nullptr;
};

// The members of the family under their window class names (configured in ListTable.cpp).
class TBkKindFm : public TListEditFm {
public:
    explicit TBkKindFm(QWidget *parent = nullptr);
};

class TBk2KindFm : public TListEditFm {
public:
    explicit TBk2KindFm(QWidget *parent = nullptr);
};

class TPubFm : public TListEditFm {
public:
    explicit TPubFm(QWidget *parent = nullptr);
};

class TDepartMentFm : public TListEditFm {
public:
    explicit TDepartMentFm(QWidget *parent = nullptr);
};

class TPlaceFm : public TListEditFm {
public:
    explicit TPlaceFm(QWidget *parent = nullptr);
};

class TPaperFm : public TListEditFm {
public:
    explicit TPaperFm(QWidget *parent = nullptr);
};

class TMoneyKindFm : public TListEditFm {
public:
    explicit TMoneyKindFm(QWidget *parent = nullptr);
};

class Ta1Fm : public TListEditFm {
public:
    explicit Ta1Fm(QWidget *parent = nullptr);
};

class Ta2Fm : public TListEditFm {
public:
    explicit Ta2Fm(QWidget *parent = nullptr);
};

class Ta3Fm : public TListEditFm {
public:
    explicit Ta3Fm(QWidget *parent = nullptr);
};

class TRdKindFm : public TListEditFm {
public:
    explicit TRdKindFm(QWidget *parent = nullptr);
};

class TRentLevelFm : public TListEditFm {
public:
    explicit TRentLevelFm(QWidget *parent = nullptr);
};
