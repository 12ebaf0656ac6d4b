#include "link/SerialEndpoint.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

QString SystemPath(const QString &name)
{
    const bool path = name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./")) ||
                      name.startsWith(QLatin1String("../"));
    return path ? name : QStringLiteral("/dev/") + name;
}

QString OpenError(const QString &path, int error)
{
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

/// Raw bytes at 19200 baud 8N1, no flow control, the modem lines ignored.
bool SetLine(int fd)
{
    termios line{};
    if (::tcgetattr(fd, &line) != 0)
        return false;
    ::cfmakeraw(&line);
    line.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    // With one byte as the least a read waits for, an empty non-blocking read fails with
    // EAGAIN and a read of nothing means the line hung up.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    return ::cfsetispeed(&line, B19200) == 0 && ::cfsetospeed(&line, B19200) == 0 &&
           ::tcsetattr(fd, TCSANOW, &line) == 0;
}

} // namespace

void SerialEndpoint::startOpen()
{
    clearError();
    if (state() == State::Open)
        return;
    setFailure(Failure::None);
    if (m_name.isEmpty()) {
        setError(QStringLiteral("no port name"));
        setFailure(Failure::NotFound);
        emit errorOccurred();
        return;
    }
    const QString path = SystemPath(m_name);
    FileDescriptor port(
        ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!port.valid())
        return openFailed(path, errno);
    // One program drives a switcher at a time: the port is ours alone while it is open.
    if (::flock(port.get(), LOCK_EX | LOCK_NB) != 0 || ::ioctl(port.get(), TIOCEXCL) != 0)
        return openFailed(path, errno == EWOULDBLOCK ? EBUSY : errno);
    if (!SetLine(port.get()))
        return openFailed(path, errno);
    adopt(std::move(port), State::Open);
}

void SerialEndpoint::openFailed(const QString &path, int error)
{
    setError(OpenError(path, error));
    setFailure(FailureOf(error));
}

void SerialEndpoint::releasing(int fd)
{
    // Exclusive mode outlives this descriptor while anyone else holds the terminal open.
    ::ioctl(fd, TIOCNXCL);
}

void SerialEndpoint::clearInput()
{
    // The line's own flush empties the input as well: nothing is left to read and drop.
    forgetPending();
    if (state() == State::Open)
        ::tcflush(descriptor(), TCIOFLUSH);
}
