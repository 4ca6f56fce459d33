#pragma once

#include <QDialog>
#include <QPointer>

class IniFile;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TMainFm;
class TSetDataFm;
struct LoginContext;

// 登录: checks the database, offers the administrators' names and opens the main window for
// the one whose password is right. Closing it, or 取消, ends the program.
class TLoginFm : public QDialog {
    Q_OBJECT
public:
    enum class Start {
        Ready,        // waiting for a name and password
        NotConnected, // no database: the settings window was offered
        Quit,         // the program ends
    };

    TLoginFm(IniFile &ini, LoginContext &context, QWidget *parent = nullptr);
    ~TLoginFm() override;

    // The start-up steps: the database file, the window, the connection, the administrators.
    Start start();

    TMainFm *mainWindow() const;
    TSetDataFm *settingsWindow() const;

    QLabel *heading = nullptr;
    QComboBox *nameBox = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

signals:
    // The main window was closed after the user confirmed: the program ends.
    void mainWindowClosed();

private:
    void createLayout();
    bool prepareDatabaseFile();
    Start connectDatabase();
    Start loadAdministrators();
    void showSettingsWindow();
    void okButtonClick();

    IniFile &m_ini;
    LoginContext &m_context;
    QPointer<TMainFm> m_main;
    QPointer<TSetDataFm> m_settings;
};
