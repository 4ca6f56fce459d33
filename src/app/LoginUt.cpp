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
#include <QTimer>
#include <QVBoxLayout>

TLoginFm::TLoginFm(IniFile &ini, LoginContext &context, QWidget *parent)
    : QDialog(parent)
    , m_ini(ini)
    , m_context(context)
{
    setWindowTitle(QStringLiteral("登录"));
    createLayout();
    m_clock.start();
    m_waitTimer = new QTimer(this);
    m_waitTimer->setInterval(200);
    connect(m_waitTimer, &QTimer::timeout, this, &TLoginFm::showWait);
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
    waitLabel = new QLabel(this);
    waitLabel->setAlignment(Qt::AlignCenter);
    waitLabel->hide();

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
    layout->addWidget(waitLabel);
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
    heading->setText(m_context.softName);
    show();
    return connectDatabase();
}

// From the configured database to the administrators' names: at the start, and again when
// the settings window has saved another database.
TLoginFm::Start TLoginFm::connectDatabase()
{
    okButton->setEnabled(false);
    nameBox->clear();
    passwordEdit->clear();
    QString error;
    const QString missing = Startup::missingDatabaseFile(m_context);
    if (!missing.isEmpty()) {
        // "否": an existing library may be chosen in the settings instead.
        if (!Prompt::ask(this, Startup::missingFileQuestion(missing), Prompt::Answer::Yes))
            return offerSettings();
        // A file that cannot be made (a folder that is not there, no right to write) leads to
        // the settings, where another file can be chosen.
        if (!DatabaseSetup::createEmbedded(missing, &error))
            return connectionFailed(error);
    }
    // A server that does not answer takes up to its time-out.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList upgradeNotes;
    const Startup::Connection connection = Startup::open(m_context, &error, &upgradeNotes);
    QGuiApplication::restoreOverrideCursor();
    switch (connection) {
    case Startup::Connection::Open:
        // What an older library still needs (rows without their number): said, then on.
        if (!upgradeNotes.isEmpty())
            Prompt::warning(this, upgradeNotes.join(QLatin1Char('\n')));
        break;
    case Startup::Connection::Empty:
        if (!Prompt::ask(this, Startup::emptyDatabaseQuestion(m_context), Prompt::Answer::Yes)) {
            SharedConnection::close();
            return offerSettings();
        }
        // No right to create tables there: another database is chosen in the settings. The
        // database stays as it was, the tables are made in one transaction.
        if (!Startup::createTables(m_context, &error)) {
            SharedConnection::close();
            return connectionFailed(error);
        }
        break;
    case Startup::Connection::Failed:
        return connectionFailed(error);
    }
    return loadAdministrators();
}

TLoginFm::Start TLoginFm::connectionFailed(const QString &reason)
{
    Prompt::warning(this, Startup::connectionFailedMessage(reason));
    return offerSettings();
}

// Without a database only the settings and leaving are of use.
TLoginFm::Start TLoginFm::offerSettings()
{
    showSettingsWindow();
    return Start::NotConnected;
}

void TLoginFm::showSettingsWindow()
{
    if (!m_settings) {
        m_settings = new TSetDataFm(m_ini, m_context, this);
        m_settings->setAttribute(Qt::WA_DeleteOnClose);
        m_settings->setWindowModality(Qt::ApplicationModal);
        m_settings->setTakesEffectAtOnce(true);
        connect(m_settings, &TSetDataFm::saved, this, [this] { m_settingsSaved = true; });
        connect(m_settings, &QDialog::finished, this, &TLoginFm::settingsClosed);
    }
    m_settings->show();
}

// Saved settings are used at once: the login connects to the database they name.
void TLoginFm::settingsClosed()
{
    m_settings = nullptr; // it is being destroyed
    if (!m_settingsSaved)
        return;
    m_settingsSaved = false;
    Startup::readConfiguration(m_ini, m_context);
    if (connectDatabase() == Start::Quit)
        reject();
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
    showWait();
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
    if (!SharedConnection::isOpen() || m_throttle.remaining(m_clock.elapsed()) > 0)
        return;
    LoginService service(m_context);
    QString error;
    // The settings are read at every try, so a try after a change sees the new values.
    if (!service.readSettings(&error)) {
        Prompt::error(this, Startup::databaseError(m_context, error));
        return;
    }
    switch (service.login(nameBox->currentText(), passwordEdit->text(), &error)) {
    case LoginService::Result::Accepted:
        m_throttle.accepted();
        break;
    case LoginService::Result::WrongPassword:
        m_throttle.wrongPassword(m_clock.elapsed());
        Prompt::warning(this, LoginService::wrongPasswordMessage());
        passwordEdit->setFocus();
        passwordEdit->selectAll();
        showWait();
        return;
    case LoginService::Result::Failed:
        Prompt::error(this, Startup::databaseError(m_context, error));
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

// After too many wrong passwords 确定 counts the wait down; the window stays usable.
void TLoginFm::showWait()
{
    const qint64 remaining = m_throttle.remaining(m_clock.elapsed());
    const bool waiting = remaining > 0 && SharedConnection::isOpen();
    if (waiting) {
        okButton->setText(QStringLiteral("确定 (%1)").arg(LoginThrottle::seconds(remaining)));
        waitLabel->setText(m_throttle.waitMessage(m_clock.elapsed()));
        if (!m_waitTimer->isActive())
            m_waitTimer->start();
    } else {
        okButton->setText(QStringLiteral("确定"));
        m_waitTimer->stop();
    }
    waitLabel->setVisible(waiting);
    okButton->setEnabled(!waiting && SharedConnection::isOpen());
}
