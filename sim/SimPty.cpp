#include "SimPty.h"

#include "SimLog.h"
#include "SwitcherDevice.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

SimPty::SimPty(SwitcherDevice &device, QObject *parent) : QObject(parent), m_device(device)
{
    connect(&m_device, &SwitcherDevice::transmit, this, &SimPty::write);
}

SimPty::~SimPty()
{
    close();
    releaseSlave();
}

bool SimPty::fail(const QString &what)
{
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    qCWarning(lcSim) << m_error;
    close();
    return false;
}

bool SimPty::open()
{
    close();
    releaseSlave();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    const char *name = ::ptsname(m_master);
    if (!name)
        return fail(QStringLiteral("ptsname"));
    m_slavePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(QStringLiteral("open ") + m_slavePath);
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail(QStringLiteral("tcgetattr"));
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail(QStringLiteral("tcsetattr"));

    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SimPty::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &SimPty::flushPending);
    m_error.clear();
    return true;
}

void SimPty::releaseSlave()
{
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

void SimPty::close()
{
    for (QSocketNotifier **notifier : {&m_readNotifier, &m_writeNotifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            (*notifier)->deleteLater();
            *notifier = nullptr;
        }
    }
    m_pending.clear();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
        m_device.resetInput();
    }
    // The slave descriptor stays open: the terminal's path is gone with the master, but its
    // number is not handed to the next terminal anybody opens while this one lives. A program
    // that reopens the old path after the cable was pulled must find nothing there, not some
    // other program's terminal.
}

void SimPty::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_device.receiveFrom(this, QByteArray(buffer, qsizetype(n)));
            if (m_master < 0)
                return;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        fail(QStringLiteral("read ") + m_slavePath);
        emit failed(m_error);
        return;
    }
}

void SimPty::write(const QByteArray &bytes)
{
    // Answers to a TCP client of the same device do not belong on the serial line.
    if (m_master < 0 || !m_device.answersTo(this))
        return;
    m_pending += bytes;
    flushPending();
}

void SimPty::flushPending()
{
    while (m_master >= 0 && !m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        fail(QStringLiteral("write ") + m_slavePath);
        emit failed(m_error);
        return;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
}
