#include "ReceiptSettings.h"

#include "db/IniFile.h"
#include "db/LoginContext.h"

#include <QStringList>

namespace ReceiptSettings {

const QStringList &portChoices()
{
    static const QStringList ports = {
        QStringLiteral("LPT1"), QStringLiteral("LPT2"), QStringLiteral("LPT3"),
        QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
        QStringLiteral("COM4"), QStringLiteral("COM5"), QStringLiteral("COM6"),
        QStringLiteral("COM7"), QStringLiteral("COM8"), QStringLiteral("COM9")};
    return ports;
}

bool apply(IniFile &ini, const QString &port, bool printAfterLending)
{
    const QString section = QStringLiteral("PosPrt");
    // The first failure stops, so that the file's error string says what went wrong.
    if (!ini.write(section, QStringLiteral("JieChuHouDaYin"),
                   printAfterLending ? QStringLiteral("1") : QStringLiteral("0")) ||
        !ini.write(section, QStringLiteral("PosPort"), port))
        return false;
    loginContext().printReceiptAfterLending = printAfterLending;
    loginContext().posPort = port;
    return true;
}

} // namespace ReceiptSettings
