#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFuture>
#include <QString>
#include <QStringList>

// Writes a receipt to the receipt printer port: plain text in GBK, each line ended by CR LF,
// the paper fed at the end. LPTn is the parallel port /dev/lp(n-1), COMn the serial port
// /dev/ttyS(n-1); any other name is a path. Only a character device is written: a regular
// file, a folder or a pipe named as the port is refused and left as it is, so a mistyped
// port can never overwrite the library or any other file. A printer that does not take the
// data (off line, out of paper, not connected) makes the writer give up after a time-out
// instead of waiting for ever.
class ReceiptWriter {
public:
    explicit ReceiptWriter(const QString &portName, int timeoutMs);
    ~ReceiptWriter();
    ReceiptWriter(const ReceiptWriter &) = delete;
    ReceiptWriter &operator=(const ReceiptWriter &) = delete;

    // The device the port name stands for; other names unchanged.
    static QString devicePath(const QString &portName);
    // Vertical tab, then ESC J 140: feed the paper by 140 dot rows.
    static QByteArray paperFeed();
    // "打印时间:yy-MM-dd HH:mm:ss".
    static QString timeLine(const QDateTime &moment);
    // The bytes of a receipt: each line in GBK with CR LF, then the paper feed.
    static QByteArray encode(const QStringList &lines);

    // Opens the port's device for writing; nothing is created and nothing emptied. The
    // time-out starts here.
    bool open(QString *error = nullptr);
    bool isOpen() const { return m_fd >= 0; }
    // Writes all bytes, waiting for the printer until the time-out.
    bool write(const QByteArray &bytes, QString *error = nullptr);
    // Waits (until the time-out) for a serial port to pass on what it holds, then closes.
    bool close(QString *error = nullptr);

private:
    bool timedOut(QString *error) const;
    bool failed(const QString &what, int code, QString *error) const;
    QString portLabel() const;

    QString m_portName;
    QString m_path;
    int m_timeoutMs;
    QDeadlineTimer m_deadline;
    int m_fd = -1;
};

namespace Receipt {

// How long a receipt may take before the printer counts as not answering.
inline constexpr int kTimeoutMs = 5000;

struct Outcome {
    bool ok = false;
    QString error; // why the receipt was not printed
};

// Writes a whole receipt on the calling thread; never takes much longer than the time-out.
Outcome write(const QString &portName, const QByteArray &bytes, int timeoutMs = kTimeoutMs);
// Writes it on the receipt thread and returns at once; the future reports the outcome.
// Receipts are written one after the other, never interleaved on a printer. Call from the
// GUI thread. A caller that does not care about the outcome (lending) just drops the future.
QFuture<Outcome> send(const QString &portName, const QByteArray &bytes, int timeoutMs = kTimeoutMs);

// The lines of the test receipt of the receipt printer settings.
QStringList testLines(const QString &softName, const QString &adminName, const QDateTime &moment,
                      const QString &text);
// Its bytes.
QByteArray testReceipt(const QString &softName, const QString &adminName, const QDateTime &moment,
                       const QString &text);

} // namespace Receipt
