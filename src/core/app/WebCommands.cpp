#include "WebCommands.h"

#include "CommandLine.h"
#include "db/IniFile.h"
#include "db/LoginContext.h"
#include "web/WebServer.h"

#include <QTextStream>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace WebCommands {

const CirculationCommands::Command *find(const QString &name)
{
    static const CirculationCommands::Command commands[] = {
        {QStringLiteral("serve"), 0,
         QStringLiteral("用法: tsgl serve [--listen 地址:端口] (为读者提供网页, 默认 "
                        "127.0.0.1:8080)"),
         &serve},
    };
    for (const auto &command : commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

bool reserveDays(const IniFile &ini, int *days, QString *error)
{
    const QString text =
        ini.read(QStringLiteral("web"), QStringLiteral("ReserveDays"), QString()).trimmed();
    *days = DefaultReserveDays;
    if (text.isEmpty())
        return true;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > 365) {
        *error = QStringLiteral("de.ini 中 [web] ReserveDays 的值 \"%1\" 不对, 应是 1 到 365 "
                                "之间的天数.")
                     .arg(text);
        return false;
    }
    *days = n;
    return true;
}

int serve(const QStringList &, QTextStream &out, QTextStream &err)
{
    WebServer::Options options;
    QString error;
    if (!WebServer::parseListen(CommandLine::commandOptions().listen, &options.host, &options.port,
                                &error) ||
        !reserveDays(IniFile(loginContext().iniPath), &options.reservationDays, &error)) {
        err << error << Qt::endl;
        return 2;
    }

    // SIGINT and SIGTERM end the server in an orderly way: they are blocked in every thread
    // (the workers inherit the mask) and taken by one thread that stops the server.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    WebServer server(options);
    if (!server.bind(&error)) {
        err << error << Qt::endl;
        return 1;
    }
    std::thread waiter([&server, stopSignals]() {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
    });
    out << QStringLiteral("网页服务已启动: http://%1:%2/ (预定保留 %3 天; Ctrl+C 结束)")
               .arg(options.host.contains(QLatin1Char(':'))
                        ? QLatin1Char('[') + options.host + QLatin1Char(']')
                        : options.host)
               .arg(server.port())
               .arg(options.reservationDays)
        << Qt::endl;
    const bool ran = server.run();
    // Ends the waiting thread when the server ended by itself.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    if (!ran) {
        err << QStringLiteral("网页服务意外结束.") << Qt::endl;
        return 1;
    }
    out << QStringLiteral("网页服务已结束.") << Qt::endl;
    return 0;
}

} // namespace WebCommands
