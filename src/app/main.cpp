#include "LoginUt.h"
#include "app/Startup.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <memory>

namespace {

// Creating a database needs no screen: the command works on a machine without a display.
bool wantsCreateOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--create-database") == 0 ||
            qstrncmp(argv[i], "--create-database=", 18) == 0)
            return true;
    }
    return false;
}

struct Options {
    QCommandLineOption config{QStringLiteral("config"), QStringLiteral("de.ini 的路径"),
                              QStringLiteral("PATH")};
    QCommandLineOption create{QStringLiteral("create-database"),
                              QStringLiteral("创建一个新的本地数据库文件后退出"),
                              QStringLiteral("PATH")};
    QCommandLineOption demo{QStringLiteral("demo"), QStringLiteral("在新数据库中放入示例数据")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addHelpOption();
        parser.addOption(config);
        parser.addOption(create);
        parser.addOption(demo);
    }
};

int createDatabase(const QString &path, bool demo)
{
    QString error;
    if (!DatabaseSetup::createEmbedded(path, &error) ||
        (demo && !DatabaseSetup::fillEmbeddedDemo(path, &error))) {
        QTextStream(stderr) << error << '\n';
        return 1;
    }
    return 0;
}

// The login window leads through the start-up; once it is done the program runs until the
// login window or the main window is closed.
int runProgram(QApplication &app, const QString &configOption)
{
    // Qt's own buttons and dialogs ("是", "否", the file dialog) in Chinese, when the
    // translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    IniFile ini(Startup::iniPath(configOption, QCoreApplication::applicationDirPath()));
    LoginContext &context = loginContext();
    Startup::readConfiguration(ini, context);

    TLoginFm login(ini, context);
    QObject::connect(&login, &TLoginFm::rejected, &app, &QCoreApplication::quit);
    QObject::connect(&login, &TLoginFm::mainWindowClosed, &app, &QCoreApplication::quit);
    if (login.start() == TLoginFm::Start::Quit)
        return 0;
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    std::unique_ptr<QCoreApplication> app(wantsCreateOnly(argc, argv)
                                              ? new QCoreApplication(argc, argv)
                                              : new QApplication(argc, argv));
    QCoreApplication::setApplicationName(Startup::Title);
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    parser.process(*app);

    if (parser.isSet(options.create))
        return createDatabase(parser.value(options.create), parser.isSet(options.demo));
    return runProgram(static_cast<QApplication &>(*app), parser.value(options.config));
}
