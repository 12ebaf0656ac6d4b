#pragma once

// The bare clients' end of a pseudo-terminal: raw, 19200 baud, as the link sets a serial
// line, with the read behaviour the floor needs.

#include <QString>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

/// Opens `path` raw at 19200 baud. A read blocks until `minBytes` have come, or, with
/// `timeoutTenths` > 0, at most that many tenths of a second after the first. -1 on an error.
inline int OpenRawTerminal(const QString &path, int minBytes, int timeoutTenths = 0)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B19200);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = cc_t(minBytes);
    settings.c_cc[VTIME] = cc_t(timeoutTenths);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}
