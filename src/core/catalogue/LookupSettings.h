#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class IniFile;

// A Z39.50 or SRU server that the online lookup asks for the records of an ISBN.
struct CatalogueServer {
    QString name;     // what the result list calls it
    QString address;  // host:port/database (Z39.50) or http://host:port/database (SRU)
    QString syntax;   // USMARC, UNIMARC or MARCXML
    QString encoding; // the records' character set as the server sends them (e.g. utf-8,
                      // gbk, marc-8); empty: as the record itself says
    bool sru() const;
};

// The online lookup's part of de.ini, section [lookup]:
//   CatalogueBase=http://opac.nlc.cn   the web catalogue (scheme and host) the lookup asks
//   Timeout=10                         seconds one request may take, 1 to 300
//   Server1=名称,地址,记录格式,编码       Z39.50/SRU servers, Server1 to Server20
namespace LookupSettings {

constexpr int kDefaultTimeoutSeconds = 10;
constexpr int kMaxServers = 20;

QString defaultCatalogueBase();
QString catalogueBase(const IniFile &ini);
// The time-out in seconds; a value that is no number from 1 to 300 gives the default and a
// message in *problem.
int timeoutSeconds(const IniFile &ini, QString *problem = nullptr);
// The servers Server1 … Server20 in this order; lines that cannot be read are left out and
// each gives a message in *problems.
QVector<CatalogueServer> servers(const IniFile &ini, QStringList *problems = nullptr);
// One server line: "名称,地址[,记录格式[,编码]]"; the format defaults to USMARC.
bool parseServer(const QString &line, CatalogueServer *server, QString *error);

} // namespace LookupSettings
