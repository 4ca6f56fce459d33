#pragma once

#include "admin/AdminAccounts.h"

#include <QDialog>
#include <QVector>

class EditToolBar;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;

// The administrators and their permissions. Rules and statements are AdminAccounts'.
class TAdminFm : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Browsing, Adding, Modifying };

    explicit TAdminFm(QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    QListWidget *names() const { return m_names; }
    QLineEdit *nameField() const { return m_name; }
    QCheckBox *permissionBox(int index) const { return m_boxes.value(index); }

private:
    friend class EditToolBar; // wires the tool buttons to the handlers below

    void addClicked();
    void modifyClicked();
    void saveClicked();
    void cancelClicked();
    void deleteClicked();
    void reload(const QString &selectName = QString());
    void showCurrent();
    void setMode(Mode mode);
    const AdminAccounts::Account *current() const;
    QVector<bool> flags() const;

    QVector<AdminAccounts::Account> m_accounts;
    AdminAccounts::Account m_editing;
    QString m_nameBeforeAdd;
    Mode m_mode = Mode::Browsing;
    EditToolBar *m_toolBar = nullptr;
    QListWidget *m_names = nullptr;
    QLineEdit *m_name = nullptr;
    QGroupBox *m_permissions = nullptr;
    QVector<QCheckBox *> m_boxes;
};
