#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

// Writes a receipt to the receipt printer port as plain text: GBK, each line ended by
// CR LF, the paper fed at the end. The port name is opened as a file, so a device and an
// ordinary file both work: LPTn is /dev/lp(n-1), COMn is /dev/ttyS(n-1), anything else a
// path. The lending receipt writes its parts one by one and goes on when one fails; the
// test receipt writes everything or reports the failure.
class ReceiptWriter {
public:
    explicit ReceiptWriter(const QString &portName);
    ~ReceiptWriter();
    ReceiptWriter(const ReceiptWriter &) = delete;
    ReceiptWriter &operator=(const ReceiptWriter &) = delete;

    // The file the port name stands for; empty for an empty name.
    static QString devicePath(const QString &portName);
    // Vertical tab, then ESC J 140: feed the paper by 140 dot rows.
    static QByteArray paperFeed();
    // "打印时间:yy-MM-dd HH:mm:ss".
    static QString timeLine(const QDateTime &moment);

    // Opens the port for writing, replacing what a file held.
    bool open(QString *error = nullptr);
    bool isOpen() const { return m_file.isOpen(); }
    bool writeLine(const QString &line, QString *error = nullptr);
    bool writeLines(const QStringList &lines, QString *error = nullptr);
    // Feeds the paper and closes the port.
    bool finish(QString *error = nullptr);

private:
    bool writeBytes(const QByteArray &bytes, QString *error);

    QString m_path;
    QFile m_file;
};

namespace Receipt {

// The lines of the test receipt of the receipt printer settings.
QStringList testLines(const QString &softName, const QString &adminName, const QDateTime &moment,
                      const QString &text);
// Prints the test receipt; false with the reason when the port cannot be written.
bool printTest(const QString &portName, const QString &softName, const QString &adminName,
               const QDateTime &moment, const QString &text, QString *error = nullptr);

} // namespace Receipt
