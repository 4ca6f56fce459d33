#include "MainUt.h"

#include "AppIcons.h"
#include "AppWindows.h"
#include "Prompt.h"
#include "WindowRegistry.h"
#include "app/DesktopPrograms.h"
#include "app/MainCommands.h"
#include "db/LoginContext.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStatusBar>
#include <QToolBar>

TMainFm::TMainFm(const LoginContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
{
    registerAppWindows();
    setWindowTitle(context.softName);
    createMenus();
    createToolBar();
    createStatusBar();
    createPicture();
    applyPermissions();
}

void TMainFm::createMenus()
{
    for (const MainCommands::Menu &m : MainCommands::menus(m_context)) {
        QMenu *menu = menuBar()->addMenu(m.title);
        m_menus.insert(m.title, menu);
        for (const MainCommands::Entry &e : m.entries) {
            if (e.isSeparator()) {
                menu->addSeparator();
                continue;
            }
            QAction *action = menu->addAction(AppIcons::command(e.command), e.caption);
            if (!e.shortcut.isEmpty())
                action->setShortcut(QKeySequence(e.shortcut));
            const QString command = e.command;
            connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
            m_menuActions.insert(command, action);
            m_modeless.insert(command, e.modeless);
        }
    }
}

void TMainFm::createToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("工具栏"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const MainCommands::ToolButton &b : MainCommands::toolButtons()) {
        QAction *action = m_toolBar->addAction(AppIcons::command(b.command), b.caption);
        const QString command = b.command;
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        m_toolActions.insert(b.caption, action);
    }
    m_adminLabel = new QLabel(MainCommands::administratorLabel(m_context), m_toolBar);
    m_databaseLabel = new QLabel(MainCommands::databaseLabel(m_context), m_toolBar);
    m_toolBar->addWidget(m_adminLabel);
    m_toolBar->addWidget(m_databaseLabel);
}

void TMainFm::createStatusBar()
{
    const QString texts[] = {m_context.softName, m_context.telephone,
                             MainCommands::statusBarCompany(m_context)};
    for (const QString &text : texts) {
        auto *panel = new QLabel(text, statusBar());
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(panel, 1);
    }
}

void TMainFm::createPicture()
{
    auto *area = new QWidget(this);
    m_picture = new QLabel(area);
    m_picture->setScaledContents(true);
    // A missing picture leaves the area empty; a jpg takes the place of the gif.
    QPixmap pixmap;
    for (const char *name : {"beijing.gif", "beijing.jpg"}) {
        QPixmap loaded(QDir::current().filePath(QString::fromLatin1(name)));
        if (!loaded.isNull())
            pixmap = loaded;
    }
    m_picture->setPixmap(pixmap);
    setCentralWidget(area);
}

void TMainFm::placePicture()
{
    const int height = this->height() - m_toolBar->height() - statusBar()->height() - 55;
    m_picture->setGeometry(0, 0, width(), qMax(0, height));
}

void TMainFm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placePicture();
}

void TMainFm::applyPermissions()
{
    for (const QString &title : MainCommands::disabledMenus(m_context)) {
        if (QMenu *menu = m_menus.value(title))
            menu->menuAction()->setEnabled(false);
    }
    const QSet<QString> disabled = MainCommands::disabledCommands(m_context);
    for (auto it = m_menuActions.cbegin(); it != m_menuActions.cend(); ++it)
        it.value()->setEnabled(!disabled.contains(it.key()));
    for (const MainCommands::ToolButton &b : MainCommands::toolButtons())
        m_toolActions.value(b.caption)->setEnabled(!disabled.contains(b.command));
}

void TMainFm::runCommand(const QString &command)
{
    if (MainCommands::disabledCommands(m_context).contains(command))
        return;
    const QString refusal = MainCommands::refusal(m_context, command);
    if (!refusal.isEmpty()) {
        Prompt::info(this, refusal);
        return;
    }
    if (command == MainCommands::Exit)
        close();
    else if (command == MainCommands::Notepad)
        startProgram(DesktopPrograms::textEditor());
    else if (command == MainCommands::Calculator)
        startProgram(DesktopPrograms::calculator());
    else if (command == MainCommands::Printer)
        showPrinterDialog();
    else if (command == MainCommands::Help)
        startProgram(
            DesktopPrograms::help(QCoreApplication::applicationDirPath(), QDir::currentPath()));
    else
        showWindow(command);
}

QWidget *TMainFm::openWindow(const QString &command) const
{
    return m_windows.value(command);
}

QWidget *TMainFm::showWindow(const QString &command)
{
    if (QWidget *open = m_windows.value(command)) {
        // Restored from the task bar, but a maximised window stays maximised.
        open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }
    const WindowRegistry::Factory factory = WindowRegistry::find(command);
    if (!factory) {
        Prompt::info(this, MainCommands::notBuiltMessage(m_context, command));
        return nullptr;
    }
    QWidget *window = factory(this);
    if (!window)
        return nullptr;
    // A window of its own, destroyed when closed, so the next command starts afresh.
    window->setWindowFlag(Qt::Window, true);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(m_modeless.value(command) ? Qt::NonModal : Qt::ApplicationModal);
    m_windows.insert(command, window);
    window->show();
    return window;
}

void TMainFm::startProgram(const DesktopPrograms::Launch &launch)
{
    if (launch.program.isEmpty())
        Prompt::warning(this, launch.message);
    else if (!QProcess::startDetached(launch.program, launch.arguments))
        Prompt::warning(this, launch.failedMessage);
}

void TMainFm::showPrinterDialog()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.exec();
}

void TMainFm::closeEvent(QCloseEvent *event)
{
    // Once confirmed, the ending of the application closes the window without a second
    // question.
    if (m_exitConfirmed) {
        event->accept();
        return;
    }
    if (!Prompt::ask(this, MainCommands::ExitQuestion, Prompt::Answer::Yes,
                     MainCommands::ExitCaption)) {
        event->ignore();
        return;
    }
    m_exitConfirmed = true;
    event->accept();
    emit exitConfirmed();
}
