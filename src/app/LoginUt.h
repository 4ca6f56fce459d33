#pragma once

#include "admin/LoginThrottle.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class IniFile;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
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
        NotConnected, // no database: the settings window was offered; when it saves another
                      // database the login connects to that one
        Quit,         // the program ends
    };

    TLoginFm(IniFile &ini, LoginContext &context, QWidget *parent = nullptr);
    ~TLoginFm() override;

    // The start-up steps: the database file, the window, the connection, the administrators.
    Start start();

    TMainFm *mainWindow() const;
    TSetDataFm *settingsWindow() const;
    // The rule for wrong passwords in a row (tests shorten its wait).
    LoginThrottle &throttle() { return m_throttle; }

    QLabel *heading = nullptr;
    QComboBox *nameBox = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QLabel *waitLabel = nullptr; // the wait after too many wrong passwords
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

signals:
    // The main window was closed after the user confirmed: the program ends.
    void mainWindowClosed();

private:
    void createLayout();
    Start connectDatabase();
    Start connectionFailed(const QString &reason);
    Start offerSettings();
    Start loadAdministrators();
    void showSettingsWindow();
    void settingsClosed();
    void okButtonClick();
    void showWait();

    IniFile &m_ini;
    LoginContext &m_context;
    QPointer<TMainFm> m_main;
    QPointer<TSetDataFm> m_settings;
    bool m_settingsSaved = false;
    LoginThrottle m_throttle;
    QElapsedTimer m_clock;
    QTimer *m_waitTimer = nullptr;
};
