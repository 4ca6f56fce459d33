#include "LoginContext.h"

#include "ConnectionString.h"
#include "IniFile.h"

#include <QFileInfo>

LoginContext &loginContext()
{
    static LoginContext context;
    return context;
}

void LoginContext::readConfiguration(const IniFile &ini)
{
    const QString zero = QStringLiteral("0");
    const QString part1 = QStringLiteral("part1");
    iniPath = ini.path();
    posPort = ini.read(QStringLiteral("PosPrt"), QStringLiteral("PosPort"), zero);
    if (posPort == zero)
        posPort = QStringLiteral("LPT1");
    printReceiptAfterLending = ini.read(QStringLiteral("PosPrt"), QStringLiteral("JieChuHouDaYin"),
                                        zero) == QLatin1String("1");
    enterKeySearch = ini.read(part1, QStringLiteral("WinA"), zero) == QLatin1String("1");
    softName = ini.read(part1, QStringLiteral("softname"), zero);
    telephone = ini.read(part1, QStringLiteral("tel"), zero);
    company = ini.read(part1, QStringLiteral("company"), zero);
    memo = ini.read(part1, QStringLiteral("Memo"), zero);
    web = ini.read(part1, QStringLiteral("web"), zero);
    barcodeDuplicateWarning = ini.read(part1, QStringLiteral("BcCc"), zero) == QLatin1String("1");
    const QString abc = ini.read(part1, QStringLiteral("abc"), QStringLiteral("a"));
    dialect = dialectFromIni(abc);
    connectionString = ini.read(part1, QStringLiteral("csaccess"), zero);
    if (abc == QLatin1String("s"))
        connectionString = ini.read(part1, QStringLiteral("cs"), zero);
    // The embedded database's file lies beside de.ini, wherever the program is started.
    if (abc != QLatin1String("s"))
        connectionString = ConnectionString::withDataSourceIn(connectionString, iniFolder());
}

QString LoginContext::iniFolder() const
{
    return QFileInfo(iniPath).absolutePath();
}
