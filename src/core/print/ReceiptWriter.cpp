#include "ReceiptWriter.h"

#include "text/Gbk.h"

#include <QRegularExpression>

ReceiptWriter::ReceiptWriter(const QString &portName)
    : m_path(devicePath(portName))
{}

ReceiptWriter::~ReceiptWriter()
{
    m_file.close();
}

QString ReceiptWriter::devicePath(const QString &portName)
{
    static const QRegularExpression port(QStringLiteral("^(LPT|COM)([1-9][0-9]*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = port.match(portName.trimmed());
    if (!m.hasMatch())
        return portName;
    const int n = m.captured(2).toInt() - 1;
    const bool parallel = m.captured(1).compare(QLatin1String("LPT"), Qt::CaseInsensitive) == 0;
    return (parallel ? QStringLiteral("/dev/lp%1") : QStringLiteral("/dev/ttyS%1")).arg(n);
}

QByteArray ReceiptWriter::paperFeed()
{
    return QByteArray("\x0B\x1B\x4A\x8C", 4);
}

QString ReceiptWriter::timeLine(const QDateTime &moment)
{
    return QStringLiteral("打印时间:") + moment.toString(QStringLiteral("yy-MM-dd HH:mm:ss"));
}

bool ReceiptWriter::open(QString *error)
{
    if (m_path.isEmpty()) {
        if (error)
            *error = QStringLiteral("没有指定打印机端口");
        return false;
    }
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

bool ReceiptWriter::writeBytes(const QByteArray &bytes, QString *error)
{
    if (!m_file.isOpen()) {
        if (error)
            *error = QStringLiteral("打印机端口没有打开");
        return false;
    }
    if (m_file.write(bytes) != bytes.size()) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

bool ReceiptWriter::writeLine(const QString &line, QString *error)
{
    return writeBytes(Gbk::encode(line) + QByteArray("\r\n"), error);
}

bool ReceiptWriter::writeLines(const QStringList &lines, QString *error)
{
    for (const QString &line : lines) {
        if (!writeLine(line, error))
            return false;
    }
    return true;
}

bool ReceiptWriter::finish(QString *error)
{
    const bool written = writeBytes(paperFeed(), error);
    if (!m_file.isOpen())
        return false;
    const bool flushed = m_file.flush();
    m_file.close();
    if (written && (!flushed || m_file.error() != QFileDevice::NoError)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return written;
}

namespace Receipt {

QStringList testLines(const QString &softName, const QString &adminName, const QDateTime &moment,
                      const QString &text)
{
    return {QStringLiteral(" "),
            QStringLiteral(" [打印开始]"),
            QStringLiteral("[ ") + softName + QStringLiteral(" ]"),
            QStringLiteral("管理员: ") + adminName,
            ReceiptWriter::timeLine(moment),
            text,
            QStringLiteral("    打印结束-打印成功 ")};
}

bool printTest(const QString &portName, const QString &softName, const QString &adminName,
               const QDateTime &moment, const QString &text, QString *error)
{
    ReceiptWriter writer(portName);
    return writer.open(error) &&
           writer.writeLines(testLines(softName, adminName, moment, text), error) &&
           writer.finish(error);
}

} // namespace Receipt
