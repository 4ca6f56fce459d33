#pragma once

#include "app/DesktopPrograms.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class QLabel;
class QMenu;
class QToolBar;
struct LoginContext;

// The frame of the logged-in program: the menus and tool bar of every command, the picture
// area and the status bar. Each command opens its window through the window registry.
class TMainFm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainFm(const LoginContext &context, QWidget *parent = nullptr);

    // Runs a command as its menu entry does (permissions of the menu aside).
    void runCommand(const QString &command);
    // The open window of a command, or nullptr.
    QWidget *openWindow(const QString &command) const;

    // The menu actions by command, and the tool bar actions by caption.
    QAction *menuAction(const QString &command) const { return m_menuActions.value(command); }
    QAction *toolAction(const QString &caption) const { return m_toolActions.value(caption); }
    QMenu *menu(const QString &title) const { return m_menus.value(title); }
    QLabel *administratorLabel() const { return m_adminLabel; }
    QLabel *databaseLabel() const { return m_databaseLabel; }
    QLabel *picture() const { return m_picture; }

signals:
    // The user confirmed the exit; the program ends.
    void exitConfirmed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createPicture();
    void applyPermissions();
    void placePicture();
    QWidget *showWindow(const QString &command);
    void startProgram(const DesktopPrograms::Launch &launch);
    void showPrinterDialog();

    const LoginContext &m_context;
    QHash<QString, QAction *> m_menuActions;
    QHash<QString, QAction *> m_toolActions;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, bool> m_modeless;
    QHash<QString, QPointer<QWidget>> m_windows;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_adminLabel = nullptr;
    QLabel *m_databaseLabel = nullptr;
    QLabel *m_picture = nullptr;
    bool m_exitConfirmed = false;
};
