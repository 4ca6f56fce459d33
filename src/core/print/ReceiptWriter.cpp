#include "ReceiptWriter.h"

#include "text/Gbk.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QPromise>
#include <QRegularExpression>
#include <QThread>
#include <QThreadPool>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

ReceiptWriter::ReceiptWriter(const QString &portName, int timeoutMs)
    : m_portName(portName)
    , m_path(devicePath(portName))
    , m_timeoutMs(timeoutMs)
{}

ReceiptWriter::~ReceiptWriter()
{
    if (m_fd >= 0) {
        // What a failed receipt left in a serial port's buffer is dropped, so that closing
        // does not wait for a printer that does not answer.
        if (::isatty(m_fd))
            ::tcflush(m_fd, TCOFLUSH);
        ::close(m_fd);
    }
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

QByteArray ReceiptWriter::encode(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Gbk::encode(line) + QByteArray("\r\n");
    return bytes + paperFeed();
}

QString ReceiptWriter::portLabel() const
{
    return m_path == m_portName ? m_path : QStringLiteral("%1（%2）").arg(m_portName, m_path);
}

bool ReceiptWriter::failed(const QString &what, int code, QString *error) const
{
    if (error)
        *error = what.arg(portLabel()) + QStringLiteral("：") + qt_error_string(code);
    return false;
}

bool ReceiptWriter::timedOut(QString *error) const
{
    if (error)
        *error =
            QStringLiteral("打印机端口 %1 在 %2 秒内没有接收完小票，打印机可能脱机、缺纸或没有连接")
                .arg(portLabel(), QString::number(m_timeoutMs / 1000.0));
    return false;
}

bool ReceiptWriter::open(QString *error)
{
    if (m_path.trimmed().isEmpty()) {
        if (error)
            *error = QStringLiteral("没有指定打印机端口");
        return false;
    }
    const QString notADevice =
        QStringLiteral(
            "%1 不是打印机端口，没有写入：小票只写到打印机设备（LPT1、COM1 等字符设备），"
            "不写普通文件")
            .arg(portLabel());
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR) {
            if (error)
                *error = QStringLiteral("打印机端口 %1 不存在").arg(portLabel());
            return false;
        }
        return failed(QStringLiteral("无法打开打印机端口 %1"), code, error);
    }
    if (!S_ISCHR(st.st_mode)) {
        if (error)
            *error = notADevice;
        return false;
    }
    // Never O_CREAT or O_TRUNC: nothing is made and nothing emptied. O_NONBLOCK: neither the
    // open nor a write waits for the printer; the waiting is done here, against the deadline.
    int fd = -1;
    do {
        fd = ::open(native.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return failed(QStringLiteral("无法打开打印机端口 %1"), errno, error);
    // The name may have been pointed at another file since the check above: what counts is
    // what was opened.
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = notADevice;
        return false;
    }
    m_fd = fd;
    m_deadline = QDeadlineTimer(m_timeoutMs);
    return true;
}

bool ReceiptWriter::write(const QByteArray &bytes, QString *error)
{
    if (m_fd < 0) {
        if (error)
            *error = QStringLiteral("打印机端口没有打开");
        return false;
    }
    qsizetype done = 0;
    int waits = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            waits = 0;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return failed(QStringLiteral("写入打印机端口 %1 失败"), errno, error);
        // The device takes nothing more for now: wait for room, but not past the deadline.
        if (m_deadline.hasExpired())
            return timedOut(error);
        // Some drivers (the parallel port's) report room at once while still busy.
        if (waits++ > 0)
            QThread::msleep(10);
        pollfd p{m_fd, POLLOUT, 0};
        const qint64 left = m_deadline.remainingTime();
        if (::poll(&p, 1, int(qBound(qint64(0), left, qint64(100)))) < 0 && errno != EINTR)
            return failed(QStringLiteral("写入打印机端口 %1 失败"), errno, error);
    }
    return true;
}

bool ReceiptWriter::close(QString *error)
{
    if (m_fd < 0)
        return true;
    bool ok = true;
    if (::isatty(m_fd)) {
        // A serial port holds what it was given until the printer takes it.
        int queued = 0;
        while (::ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
            if (m_deadline.hasExpired()) {
                ::tcflush(m_fd, TCOFLUSH);
                ok = timedOut(error);
                break;
            }
            QThread::msleep(10);
        }
    }
    const int fd = m_fd;
    m_fd = -1;
    // Linux frees the descriptor even when close reports an error.
    if (::close(fd) != 0 && ok && errno != EINTR)
        return failed(QStringLiteral("写入打印机端口 %1 失败"), errno, error);
    return ok;
}

namespace Receipt {

namespace {

// One thread for receipts, so that two of them never interleave on a printer. It belongs to
// the application, which waits for a receipt in progress (at most its time-out) at the end.
QThreadPool *receiptThread()
{
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(1);
    }
    return pool;
}

} // namespace

Outcome write(const QString &portName, const QByteArray &bytes, int timeoutMs)
{
    Outcome outcome;
    ReceiptWriter writer(portName, timeoutMs);
    outcome.ok = writer.open(&outcome.error) && writer.write(bytes, &outcome.error) &&
                 writer.close(&outcome.error);
    return outcome;
}

QFuture<Outcome> send(const QString &portName, const QByteArray &bytes, int timeoutMs)
{
    auto promise = std::make_shared<QPromise<Outcome>>();
    QFuture<Outcome> future = promise->future();
    promise->start();
    receiptThread()->start([promise, portName, bytes, timeoutMs] {
        promise->addResult(write(portName, bytes, timeoutMs));
        promise->finish();
    });
    return future;
}

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

QByteArray testReceipt(const QString &softName, const QString &adminName, const QDateTime &moment,
                       const QString &text)
{
    return ReceiptWriter::encode(testLines(softName, adminName, moment, text));
}

} // namespace Receipt
