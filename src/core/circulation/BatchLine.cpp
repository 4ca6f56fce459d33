#include "BatchLine.h"

#include <QStringList>

namespace BatchLine {

namespace {

const QString MomentFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString DateFormat = QStringLiteral("yyyy-MM-dd");

bool looksLikeMoment(const QString &field)
{
    return !field.isEmpty() && field.front().isDigit();
}

Parse malformed(QString *message, const QString &why)
{
    *message = why;
    return Parse::Malformed;
}

} // namespace

Parse parse(const QString &text, Line *line, QString *message)
{
    QString t = text;
    while (t.endsWith(QLatin1Char('\r')) || t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    const QString trimmed = t.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
        return Parse::Skip;

    QStringList fields = t.split(QLatin1Char('\t'));
    for (QString &f : fields)
        f = f.trimmed();
    *line = Line();
    if (looksLikeMoment(fields.first())) {
        const QDateTime moment = fields.first().size() == MomentFormat.size()
                                     ? QDateTime::fromString(fields.first(), MomentFormat)
                                     : QDateTime();
        if (!moment.isValid())
            return malformed(message, QStringLiteral("扫描时间 \"%1\" 无效,应为 yyyy-mm-dd "
                                                     "hh:mm:ss.")
                                          .arg(fields.first()));
        line->scanned = moment;
        fields.removeFirst();
        if (fields.isEmpty())
            return malformed(message, QStringLiteral("扫描时间后缺少操作."));
    }
    const QString operation = fields.takeFirst();
    const QString op = operation.toLower();
    // The fields an operation takes: required ones first, then the optional reader.
    int required = 0;
    int optional = 0;
    if (op == QLatin1String("lend")) {
        line->operation = Operation::Lend;
        required = 2;
    } else if (op == QLatin1String("return")) {
        line->operation = Operation::Return;
        required = 1;
        optional = 1;
    } else if (op == QLatin1String("renew")) {
        line->operation = Operation::Renew;
        required = 2;
        optional = 1;
    } else {
        return malformed(
            message,
            QStringLiteral("未知的操作 \"%1\",应为 lend、return 或 renew.").arg(operation));
    }
    if (fields.size() < required)
        return malformed(message, QStringLiteral("%1 缺少字段: 需要 %2.")
                                      .arg(operation, line->operation == Operation::Lend
                                                          ? QStringLiteral("读者 和 物品")
                                                      : line->operation == Operation::Return
                                                          ? QStringLiteral("物品")
                                                          : QStringLiteral("物品 和 应还日期")));
    if (fields.size() > required + optional)
        return malformed(
            message, QStringLiteral("%1 的字段太多: \"%2\".")
                         .arg(operation, fields.mid(required + optional).join(QLatin1Char('\t'))));
    for (int i = 0; i < required; ++i) {
        if (fields[i].isEmpty())
            return malformed(message,
                             QStringLiteral("%1 的第 %2 个字段是空的.").arg(operation).arg(i + 1));
    }
    switch (line->operation) {
    case Operation::Lend:
        line->reader = fields[0];
        line->item = fields[1];
        break;
    case Operation::Return:
        line->item = fields[0];
        line->reader = fields.value(1);
        break;
    case Operation::Renew:
        line->item = fields[0];
        line->dueDate = fields[1].size() == DateFormat.size()
                            ? QDate::fromString(fields[1], DateFormat)
                            : QDate();
        if (!line->dueDate.isValid())
            return malformed(
                message, QStringLiteral("应还日期 \"%1\" 无效,应为 yyyy-mm-dd.").arg(fields[1]));
        line->reader = fields.value(2);
        break;
    }
    return Parse::Line;
}

} // namespace BatchLine
