#include "LoginUt.h"

#include "MainUt.h"
#include "Prompt.h"
#include "SetDataUt.h"
#include "admin/LoginService.h"
#include "app/Startup.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "db/SharedConnection.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TLoginFm::TLoginFm(IniFile &ini, LoginContext &context, QWidget *parent)
    : QDialog(parent)
    , m_ini(ini)
    , m_context(context)
{
    setWindowTitle(QStringLiteral("登录"));
    createLayout();
    connect(okButton, &QPushButton::clicked, this, &TLoginFm::okButtonClick);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

// The main window has no parent, so that the desktop treats it as the program's own window;
// it lives as long as the login window.
TLoginFm::~TLoginFm()
{
    delete m_main;
}

TMainFm *TLoginFm::mainWindow() const
{
    return m_main;
}

TSetDataFm *TLoginFm::settingsWindow() const
{
    return m_settings;
}

void TLoginFm::createLayout()
{
    heading = new QLabel(this);
    heading->setAlignment(Qt::AlignCenter);
    QFont big = heading->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    heading->setFont(big);

    nameBox = new QComboBox(this);
    nameBox->setEditable(true);
    nameBox->setInsertPolicy(QComboBox::NoInsert);
    nameBox->setMinimumWidth(200);
    passwordEdit = new QLineEdit(this);
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    auto *nameLabel = new QLabel(QStringLiteral("用户名(&U):"), this);
    nameLabel->setBuddy(nameBox);
    auto *passwordLabel = new QLabel(QStringLiteral("密  码(&P):"), this);
    passwordLabel->setBuddy(passwordEdit);
    auto *form = new QFormLayout;
    form->addRow(nameLabel, nameBox);
    form->addRow(passwordLabel, passwordEdit);

    okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addSpacing(12);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TLoginFm::Start TLoginFm::start()
{
    // Starting on the defaults would hide the settings of a de.ini that cannot be read.
    if (QString error; !m_ini.isReadable(&error)) {
        Prompt::error(this, error);
        return Start::Quit;
    }
    if (!prepareDatabaseFile())
        return Start::Quit;
    heading->setText(m_context.softName);
    show();
    const Start connected = connectDatabase();
    if (connected != Start::Ready)
        return connected;
    return loadAdministrators();
}

bool TLoginFm::prepareDatabaseFile()
{
    const QString missing = Startup::missingDatabaseFile(m_context);
    if (missing.isEmpty())
        return true;
    if (!Prompt::ask(this, Startup::missingFileQuestion()))
        return false;
    QString error;
    // A file that cannot be made (a folder that is not there, no right to write) leads to
    // the failed connection, and so to the settings, where another file can be chosen.
    if (!DatabaseSetup::createEmbedded(missing, &error))
        Prompt::error(this, error);
    return true;
}

TLoginFm::Start TLoginFm::connectDatabase()
{
    QString error;
    // A server that does not answer takes up to its time-out.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const Startup::Connection connection = Startup::open(m_context, &error);
    QGuiApplication::restoreOverrideCursor();
    switch (connection) {
    case Startup::Connection::Open:
        return Start::Ready;
    case Startup::Connection::Empty:
        if (!Prompt::ask(this, Startup::emptyDatabaseQuestion()))
            return Start::Quit;
        if (Startup::createTables(m_context, &error))
            return Start::Ready;
        // No right to create tables there: another database is chosen in the settings. The
        // database stays as it was, the tables are made in one transaction.
        Prompt::error(this, error);
        SharedConnection::close();
        break;
    case Startup::Connection::Failed:
        break;
    }
    // Without a database only the settings and leaving are of use.
    okButton->setEnabled(false);
    Prompt::warning(this, Startup::connectionFailedMessage());
    showSettingsWindow();
    return Start::NotConnected;
}

void TLoginFm::showSettingsWindow()
{
    if (!m_settings) {
        m_settings = new TSetDataFm(m_ini, m_context, this);
        m_settings->setAttribute(Qt::WA_DeleteOnClose);
        m_settings->setWindowModality(Qt::ApplicationModal);
    }
    m_settings->show();
}

TLoginFm::Start TLoginFm::loadAdministrators()
{
    LoginService service(m_context);
    const LoginService::DatabaseCheck check = service.checkDatabase();
    if (check != LoginService::DatabaseCheck::Ok) {
        Prompt::error(this, LoginService::message(check));
        return Start::Quit;
    }
    const QStringList names = service.administratorNames();
    nameBox->clear();
    nameBox->addItems(names);
    nameBox->setEditText(names.first());
    // The default password belongs to the super administrator, whichever name is shown.
    passwordEdit->setText(service.superAdministratorHasDefaultPassword()
                              ? QString::fromLatin1(DefaultPassword)
                              : QString());
    passwordEdit->setFocus();
    return Start::Ready;
}

void TLoginFm::okButtonClick()
{
    if (!SharedConnection::isOpen())
        return;
    LoginService service(m_context);
    QString error;
    // The settings are read at every try, so a try after a change sees the new values.
    if (!service.readSettings(&error)) {
        Prompt::error(this, error);
        return;
    }
    switch (service.login(nameBox->currentText(), passwordEdit->text(), &error)) {
    case LoginService::Result::Accepted:
        break;
    case LoginService::Result::WrongPassword:
        Prompt::warning(this, LoginService::wrongPasswordMessage());
        passwordEdit->setFocus();
        passwordEdit->selectAll();
        return;
    case LoginService::Result::Failed:
        Prompt::error(this, error);
        return;
    }
    hide();
    if (!m_main) {
        m_main = new TMainFm(m_context);
        connect(m_main, &TMainFm::exitConfirmed, this, &TLoginFm::mainWindowClosed);
    }
    // Without a window manager a maximised state is not carried out; the size of the
    // screen gives the same picture there.
    if (QScreen *screen = this->screen())
        m_main->setGeometry(screen->availableGeometry());
    m_main->showMaximized();
}
