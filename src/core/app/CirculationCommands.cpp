#include "CirculationCommands.h"

#include "circulation/BatchCirculation.h"
#include "circulation/ReservationPlacement.h"

#include <QDateTime>
#include <QTextStream>

namespace CirculationCommands {

const Command *find(const QString &name)
{
    static const Command commands[] = {
        {QStringLiteral("reserve"), 3,
         QStringLiteral("用法: tsgl reserve 物品 读者 到期时间 (物品: 条形码或编号; 读者: "
                        "读者编号或卡号; 到期时间: yyyy-mm-dd 或 \"yyyy-mm-dd hh:mm:ss\")"),
         &reserve},
        {QStringLiteral("circulation"), 1,
         QStringLiteral("用法: tsgl circulation 文件 (每行一个操作,字段之间用制表符分隔)"),
         &circulation},
    };
    for (const Command &command : commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

int reserve(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const ReservationPlacement::Outcome outcome = ReservationPlacement::place(
        arguments.value(0), arguments.value(1), arguments.value(2), QDateTime::currentDateTime());
    if (!outcome.placed) {
        err << outcome.message << Qt::endl;
        return 1;
    }
    out << QStringLiteral("OK ") << outcome.message << Qt::endl;
    return 0;
}

int circulation(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    return BatchCirculation::runFile(arguments.value(0), out, err);
}

} // namespace CirculationCommands
