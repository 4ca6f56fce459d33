// The configuration file (de.ini) read and written as the program does.
#include "FuzzFile.h"
#include "db/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    IniFile ini(fuzzFile("ini", reinterpret_cast<const char *>(data), size));
    ini.isReadable();
    ini.read(QStringLiteral("part1"), QStringLiteral("csaccess"), QString());
    ini.read(QStringLiteral("系统"), QStringLiteral("单位名称"), QStringLiteral("无"));
    ini.write(QStringLiteral("part1"), QStringLiteral("csaccess"),
              QStringLiteral("Data Source=/tmp/书目.db;Password=秘密"));
    ini.write(QStringLiteral("新节"),
              {{QStringLiteral("a"), QStringLiteral("甲")}, {QStringLiteral("B"), QString()}});
    return 0;
}
