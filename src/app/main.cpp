#include "AppIcons.h"
#include "LoginUt.h"
#include "app/CirculationCommands.h"
#include "app/CommandLine.h"
#include "app/CommandSession.h"
#include "app/ImportCommands.h"
#include "app/MaintenanceCommands.h"
#include "app/Startup.h"
#include "app/WebCommands.h"
#include "app/Version.h"
#include "db/DatabaseSetup.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

namespace {

struct Options {
    QCommandLineOption config{QStringLiteral("config"), QStringLiteral("de.ini 的路径"),
                              QStringLiteral("PATH")};
    QCommandLineOption create{QStringLiteral("create-database"),
                              QStringLiteral("创建一个新的本地数据库文件后退出"),
                              QStringLiteral("PATH")};
    QCommandLineOption demo{QStringLiteral("demo"), QStringLiteral("在新数据库中放入示例数据")};
    QCommandLineOption operatorName{
        QStringLiteral("operator"),
        QStringLiteral("命令以这个管理员的名义执行 (默认: 第一个管理员,即超级管理员)"),
        QStringLiteral("NAME")};
    QCommandLineOption start{QStringLiteral("start"), QStringLiteral("导入时的起始编号"),
                             QStringLiteral("N")};
    QCommandLineOption randomNumbers{QStringLiteral("random-numbers"),
                                     QStringLiteral("导入时由系统随机自动编号")};
    QCommandLineOption listen{QStringLiteral("listen"),
                              QStringLiteral("网页服务的地址和端口 (默认 127.0.0.1:8080)"),
                              QStringLiteral("ADDR:PORT")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(Startup::Title);
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(config);
        parser.addOption(create);
        parser.addOption(demo);
        parser.addOption(operatorName);
        parser.addOption(start);
        parser.addOption(randomNumbers);
        parser.addOption(listen);
        parser.addPositionalArgument(
            QStringLiteral("命令"),
            QStringLiteral("reserve 物品 读者 到期时间: 为读者预定一本图书或期刊\n"
                           "circulation 文件: 按文件逐行借出、归还、续借\n"
                           "backup 文件夹: 把本地数据库备份到文件夹\n"
                           "import books|readers|periodicals|loans|marc 文件: 导入图书、读者、"
                           "期刊、借阅记录或马克数据\n"
                           "serve [--listen 地址:端口]: 为读者提供网页 (馆藏查询、借阅、预定)"),
            QStringLiteral("[命令 参数…]"));
    }
};

void nameApplication()
{
    QCoreApplication::setApplicationName(Startup::Title);
    QCoreApplication::setApplicationVersion(Version::text());
}

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

// Everything but the windows: no display is needed.
int runCommand(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    nameApplication();
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    parser.process(app); // --help, --version and unknown options end here
    if (parser.isSet(options.create))
        return createDatabase(parser.value(options.create), parser.isSet(options.demo));
    const QStringList rest = parser.positionalArguments();
    const QString command =
        rest.isEmpty() ? app.arguments().mid(1).join(QLatin1Char(' ')) : rest.first();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const CirculationCommands::Command *run = CirculationCommands::find(command);
    if (!run)
        run = MaintenanceCommands::find(command);
    if (!run)
        run = ImportCommands::find(command);
    if (!run)
        run = WebCommands::find(command);
    if (!run) {
        err << CommandLine::unknownCommandMessage(command) << Qt::endl;
        return 1;
    }
    CommandLine::CommandOptions &commandOptions = CommandLine::commandOptions();
    commandOptions.start = parser.value(options.start);
    commandOptions.randomNumbers = parser.isSet(options.randomNumbers);
    commandOptions.listen = parser.value(options.listen);
    const QStringList arguments = rest.mid(1);
    if (arguments.size() != run->arguments) {
        err << run->usage << Qt::endl;
        return 2;
    }
    CommandSession session;
    QString error;
    if (!session.open(parser.value(options.config), QCoreApplication::applicationDirPath(),
                      parser.value(options.operatorName), &error)) {
        err << error << Qt::endl;
        return 2;
    }
    for (const QString &note : session.notes())
        err << note << Qt::endl;
    return run->run(arguments, out, err);
}

// The login window leads through the start-up; once it is done the program runs until the
// login window or the main window is closed.
int runProgram(int argc, char *argv[])
{
    QApplication app(argc, argv);
    nameApplication();
    QApplication::setWindowIcon(AppIcons::program()); // every window's, the login's first
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    parser.process(app);

    // Qt's own buttons and dialogs ("是", "否", the file dialog) in Chinese, when the
    // translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    IniFile ini(
        Startup::iniPath(parser.value(options.config), QCoreApplication::applicationDirPath()));
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return CommandLine::wantsWindows(arguments) ? runProgram(argc, argv) : runCommand(argc, argv);
}
