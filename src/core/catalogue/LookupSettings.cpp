#include "LookupSettings.h"

#include "db/IniFile.h"

namespace {
const QString kSection = QStringLiteral("lookup");
}

bool CatalogueServer::sru() const
{
    return address.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

namespace LookupSettings {

QString defaultCatalogueBase()
{
    return QStringLiteral("http://opac.nlc.cn");
}

QString catalogueBase(const IniFile &ini)
{
    QString base =
        ini.read(kSection, QStringLiteral("CatalogueBase"), defaultCatalogueBase()).trimmed();
    if (base.isEmpty())
        base = defaultCatalogueBase();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

int timeoutSeconds(const IniFile &ini, QString *problem)
{
    const QString text = ini.read(kSection, QStringLiteral("Timeout"), QString()).trimmed();
    if (text.isEmpty())
        return kDefaultTimeoutSeconds;
    bool ok = false;
    const int seconds = text.toInt(&ok);
    if (ok && seconds >= 1 && seconds <= 300)
        return seconds;
    if (problem)
        *problem = QStringLiteral("de.ini 中 [lookup] Timeout 的值 \"%1\" 不对, 应是 1 到 300 "
                                  "之间的秒数; 现按 %2 秒.")
                       .arg(text)
                       .arg(kDefaultTimeoutSeconds);
    return kDefaultTimeoutSeconds;
}

bool parseServer(const QString &line, CatalogueServer *server, QString *error)
{
    const QStringList parts = line.split(QLatin1Char(','));
    CatalogueServer s;
    s.name = parts.value(0).trimmed();
    s.address = parts.value(1).trimmed();
    s.syntax = parts.value(2).trimmed().toUpper();
    s.encoding = parts.value(3).trimmed();
    if (s.syntax.isEmpty())
        s.syntax = QStringLiteral("USMARC");
    if (s.name.isEmpty() || s.address.isEmpty()) {
        *error = QStringLiteral("缺少名称或地址");
        return false;
    }
    if (parts.size() > 4) {
        *error = QStringLiteral("项目太多, 应是: 名称,地址,记录格式,编码");
        return false;
    }
    if (s.syntax != QLatin1String("USMARC") && s.syntax != QLatin1String("UNIMARC") &&
        s.syntax != QLatin1String("MARCXML")) {
        *error =
            QStringLiteral("记录格式 \"%1\" 不认识, 应是 USMARC, UNIMARC 或 MARCXML").arg(s.syntax);
        return false;
    }
    *server = s;
    return true;
}

QVector<CatalogueServer> servers(const IniFile &ini, QStringList *problems)
{
    QVector<CatalogueServer> list;
    for (int i = 1; i <= kMaxServers; ++i) {
        const QString key = QStringLiteral("Server%1").arg(i);
        const QString line = ini.read(kSection, key, QString()).trimmed();
        if (line.isEmpty())
            continue;
        CatalogueServer server;
        QString error;
        if (parseServer(line, &server, &error))
            list.append(server);
        else if (problems)
            problems->append(
                QStringLiteral("de.ini 中 [lookup] %1 读不懂 (%2): %3").arg(key, error, line));
    }
    return list;
}

} // namespace LookupSettings
