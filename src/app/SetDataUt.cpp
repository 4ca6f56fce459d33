#include "SetDataUt.h"

#include "Prompt.h"
#include "db/IniFile.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TSetDataFm::TSetDataFm(IniFile &ini, const LoginContext &context, QWidget *parent)
    : QDialog(parent)
    , m_ini(std::make_unique<IniFile>(ini.path()))
    , m_settings(*m_ini, context)
{
    setWindowTitle(QStringLiteral("数据库设置"));
    createLayout();
    fileEdit->setText(m_settings.file);
    serverBox->setEditText(m_settings.server);
    databaseEdit->setText(m_settings.database);
    userEdit->setText(m_settings.user);
    passwordEdit->setText(m_settings.password);
    showChoice();

    connect(embeddedChoice, &QRadioButton::clicked, this,
            [this] { choiceClick(DatabaseSettings::Choice::Embedded); });
    connect(serverChoice, &QRadioButton::clicked, this,
            [this] { choiceClick(DatabaseSettings::Choice::Server); });
    connect(serverBox, &QComboBox::editTextChanged, this, &TSetDataFm::serverFieldChange);
    for (QLineEdit *edit : {databaseEdit, userEdit, passwordEdit})
        connect(edit, &QLineEdit::textEdited, this, &TSetDataFm::serverFieldChange);
    connect(browseButton, &QPushButton::clicked, this, &TSetDataFm::browseButtonClick);
    connect(testButton, &QPushButton::clicked, this, &TSetDataFm::testButtonClick);
    connect(saveButton, &QPushButton::clicked, this, &TSetDataFm::saveButtonClick);
    connect(exitButton, &QPushButton::clicked, this, &TSetDataFm::exitButtonClick);
}

TSetDataFm::~TSetDataFm() = default;

void TSetDataFm::createLayout()
{
    auto *choiceGroup = new QGroupBox(QStringLiteral("请选择"), this);
    embeddedChoice = new QRadioButton(QStringLiteral("本地数据库文件 (可以直接保存)"), choiceGroup);
    serverChoice =
        new QRadioButton(QStringLiteral("PostgreSQL (只有测试连接成功才能保存)"), choiceGroup);
    auto *choiceLayout = new QVBoxLayout(choiceGroup);
    choiceLayout->addWidget(embeddedChoice);
    choiceLayout->addWidget(serverChoice);

    fileGroup = new QGroupBox(QStringLiteral("本地数据库文件"), this);
    fileEdit = new QLineEdit(fileGroup);
    browseButton = new QPushButton(QStringLiteral("浏览..."), fileGroup);
    auto *fileLayout = new QHBoxLayout(fileGroup);
    fileLayout->addWidget(fileEdit, 1);
    fileLayout->addWidget(browseButton);

    serverGroup = new QGroupBox(QStringLiteral("PostgreSQL"), this);
    serverBox = new QComboBox(serverGroup);
    serverBox->setEditable(true);
    serverBox->setInsertPolicy(QComboBox::NoInsert);
    databaseEdit = new QLineEdit(serverGroup);
    userEdit = new QLineEdit(serverGroup);
    passwordEdit = new QLineEdit(serverGroup);
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    testButton = new QPushButton(QStringLiteral("测试"), serverGroup);
    auto *serverLayout = new QFormLayout(serverGroup);
    serverLayout->addRow(QStringLiteral("服务器名/ip地址:"), serverBox);
    serverLayout->addRow(QStringLiteral("数据库名:"), databaseEdit);
    serverLayout->addRow(QStringLiteral("用户名:"), userEdit);
    serverLayout->addRow(QStringLiteral("密码:"), passwordEdit);
    serverLayout->addRow(QString(), testButton);

    saveButton = new QPushButton(QStringLiteral("保存"), this);
    exitButton = new QPushButton(QStringLiteral("退出"), this);
    saveButton->setAutoDefault(false);
    exitButton->setAutoDefault(false);
    testButton->setAutoDefault(false);
    browseButton->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(exitButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(choiceGroup);
    layout->addWidget(fileGroup);
    layout->addWidget(serverGroup);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(480);
}

void TSetDataFm::showChoice()
{
    const bool server = m_settings.choice() == DatabaseSettings::Choice::Server;
    embeddedChoice->setChecked(!server);
    serverChoice->setChecked(server);
    fileGroup->setVisible(!server);
    fileGroup->setEnabled(!server);
    serverGroup->setVisible(server);
    serverGroup->setEnabled(server);
    saveButton->setEnabled(m_settings.saveEnabled());
    adjustSize();
}

void TSetDataFm::choiceClick(DatabaseSettings::Choice choice)
{
    m_settings.choose(choice);
    showChoice();
}

void TSetDataFm::serverFieldChange()
{
    m_settings.serverFieldsChanged();
    saveButton->setEnabled(m_settings.saveEnabled());
}

void TSetDataFm::takeFields()
{
    m_settings.file = fileEdit->text();
    m_settings.server = serverBox->currentText();
    m_settings.database = databaseEdit->text();
    m_settings.user = userEdit->text();
    m_settings.password = passwordEdit->text();
}

void TSetDataFm::browseButtonClick()
{
    // An existing file is opened as it is; a new name becomes a new library database. A
    // relative name is shown in de.ini's folder, where the next start looks for it.
    m_settings.file = fileEdit->text();
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("选择或新建数据库文件"), m_settings.filePath(),
        QStringLiteral("数据库文件 (*.db *.sqlite);;所有文件 (*)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        fileEdit->setText(path);
}

void TSetDataFm::testButtonClick()
{
    takeFields();
    Prompt::info(this, m_settings.shownConnectionString());
    QString error;
    // The connection may take up to its time-out.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool connected = m_settings.test(&error);
    QGuiApplication::restoreOverrideCursor();
    if (connected)
        Prompt::info(this, DatabaseSettings::connectedMessage());
    else
        Prompt::warning(this, DatabaseSettings::connectFailedMessage() + QLatin1Char('\n') + error);
    saveButton->setEnabled(m_settings.saveEnabled());
}

void TSetDataFm::saveButtonClick()
{
    takeFields();
    QString error;
    if (!m_settings.save(&error)) {
        Prompt::error(this, error);
        return;
    }
    if (!m_atOnce)
        Prompt::info(this, DatabaseSettings::restartMessage());
    emit saved();
    close();
}

void TSetDataFm::exitButtonClick()
{
    if (!m_atOnce)
        Prompt::info(this, DatabaseSettings::restartMessage());
    close();
}
