#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal: its other end (the slave) is a character device that a receipt can be
// written to, as to a printer port, and whose bytes the test reads from this end. Raw, so
// that the bytes pass unchanged. Nobody reads unless the test does: once its buffer is full
// the device takes no more, as a printer that is off line.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_slave >= 0; }
    // The device path of the other end, as a port name.
    QString devicePath() const { return m_path; }
    // Fills the buffer: from now on a writer to the device has to wait.
    bool fill();
    // Everything written to the device so far, waiting up to timeoutMs for the first bytes.
    QByteArray readAll(int timeoutMs = 1000);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
