#pragma once

#include "app/DatabaseSettings.h"

#include <QDialog>
#include <memory>

class IniFile;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct LoginContext;

// 数据库设置: chooses between the embedded database file and a PostgreSQL server for the
// next start. The server can be saved only after a successful test of its connection.
class TSetDataFm : public QDialog {
    Q_OBJECT
public:
    TSetDataFm(IniFile &ini, const LoginContext &context, QWidget *parent = nullptr);
    ~TSetDataFm() override;

    // Opened by a login window without a database: the login connects with the saved settings
    // at once, so the window does not speak of a restart.
    void setTakesEffectAtOnce(bool atOnce) { m_atOnce = atOnce; }

    QRadioButton *embeddedChoice = nullptr;
    QRadioButton *serverChoice = nullptr;
    QGroupBox *fileGroup = nullptr;
    QLineEdit *fileEdit = nullptr;
    QPushButton *browseButton = nullptr;
    QGroupBox *serverGroup = nullptr;
    QComboBox *serverBox = nullptr;
    QLineEdit *databaseEdit = nullptr;
    QLineEdit *userEdit = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QPushButton *testButton = nullptr;
    QPushButton *saveButton = nullptr;
    QPushButton *exitButton = nullptr;

signals:
    // de.ini holds the new settings; the window closes next.
    void saved();

private:
    void createLayout();
    void showChoice();
    void choiceClick(DatabaseSettings::Choice choice);
    void serverFieldChange();
    void browseButtonClick();
    void testButtonClick();
    void saveButtonClick();
    void exitButtonClick();
    void takeFields();

    std::unique_ptr<IniFile> m_ini;
    DatabaseSettings m_settings;
    bool m_atOnce = false;
};
