#include "PseudoTerminal.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return;
    const char *name = ::ptsname(m_master);
    if (!name)
        return;
    m_path = QFile::decodeName(name);
    // Kept open so that the settings below hold between the writers' opens.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0)
        return;
    ::cfmakeraw(&raw);
    if (::tcsetattr(m_slave, TCSANOW, &raw) != 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

PseudoTerminal::~PseudoTerminal()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PseudoTerminal::fill()
{
    // The kernel moves written bytes on to this end's buffer a moment later, which makes
    // room again: write until two rounds in a row, a while apart, find none.
    const QByteArray block(512, 'x');
    int quietRounds = 0;
    for (int round = 0; round < 1000 && quietRounds < 2; ++round) {
        qint64 written = 0;
        for (const int size : {512, 1}) {
            ssize_t n = 0;
            while ((n = ::write(m_slave, block.constData(), size_t(size))) > 0)
                written += n;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
        }
        quietRounds = written == 0 ? quietRounds + 1 : 0;
        ::usleep(50 * 1000);
    }
    return quietRounds == 2;
}

QByteArray PseudoTerminal::readAll(int timeoutMs)
{
    QByteArray bytes;
    char buffer[4096];
    pollfd p{m_master, POLLIN, 0};
    int wait = timeoutMs;
    while (::poll(&p, 1, wait) > 0 && (p.revents & POLLIN)) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
        wait = 50; // the rest follows at once
    }
    return bytes;
}
