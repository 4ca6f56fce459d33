#include "db/DatabaseSetup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

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

} // namespace

int main(int argc, char *argv[])
{
    std::unique_ptr<QCoreApplication> app(wantsCreateOnly(argc, argv)
                                              ? new QCoreApplication(argc, argv)
                                              : new QApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("图书管理系统"));
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption config(QStringLiteral("config"), QStringLiteral("de.ini 的路径"),
                              QStringLiteral("PATH"));
    QCommandLineOption create(QStringLiteral("create-database"),
                              QStringLiteral("创建一个新的本地数据库文件后退出"),
                              QStringLiteral("PATH"));
    QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("在新数据库中放入示例数据"));
    parser.addOption(config);
    parser.addOption(create);
    parser.addOption(demo);
    parser.process(*app);

    if (parser.isSet(create)) {
        QString error;
        if (!DatabaseSetup::createEmbedded(parser.value(create), &error)) {
            QTextStream(stderr) << error << '\n';
            return 1;
        }
        return 0;
    }
    return 0;
}
