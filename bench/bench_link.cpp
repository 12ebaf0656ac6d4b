// Round trip of one route command through the link (SendCommand, waiting in event-loop steps)
// against a bare client that writes the same 13 bytes and reads 13 back, both against the
// simulator program, over loopback TCP and over a pseudo-terminal.
//   bench_link [round-trips]
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {
const char *SimAddress = "127.0.0.4";
constexpr quint16 SimPort = 8000;

struct Stats
{
    double median = 0;
    double p99 = 0;
};

Stats Summarise(std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    if (micros.empty())
        return {};
    return {micros[micros.size() / 2],
            micros[std::min(micros.size() - 1, micros.size() * 99 / 100)]};
}

bool ReadExactly(int fd, std::uint8_t *buffer, std::size_t count)
{
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd, buffer + got, count - got);
        if (n <= 0)
            return false;
        got += std::size_t(n);
    }
    return true;
}

std::vector<double> BareRoundTrips(int fd, int count)
{
    std::vector<double> micros;
    const TCommandFrame frame = MakeFrame(2, 3, 1, 1);
    std::array<std::uint8_t, FrameSize> answer{};
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        timer.start();
        if (::write(fd, frame.data(), frame.size()) != ssize_t(frame.size()) ||
            !ReadExactly(fd, answer.data(), answer.size()))
            break;
        micros.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    return micros;
}

std::vector<double> LinkRoundTrips(TKXCOMControl &link, int count)
{
    std::vector<double> micros;
    const TCommandFrame frame = MakeFrame(2, 3, 1, 1);
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        TCommandResult result;
        timer.start();
        link.SendCommand(frame, result);
        if (!result.Success)
            break;
        micros.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    return micros;
}

int OpenTcp()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(SimPort);
    ::inet_pton(AF_INET, SimAddress, &address.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

int OpenPty(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B19200);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

void Report(const char *line, const Stats &link, const Stats &bare)
{
    std::printf("%-4s link   median %8.1f us  p99 %8.1f us\n", line, link.median, link.p99);
    std::printf("%-4s bare   median %8.1f us  p99 %8.1f us\n", line, bare.median, bare.p99);
    std::printf("%-4s ratio  median %.2fx  p99 %.2fx  (target <= 1.5x)\n", line,
                bare.median > 0 ? link.median / bare.median : 0.0,
                bare.p99 > 0 ? link.p99 / bare.p99 : 0.0);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    const QString simPath =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../matrix-sim");

    QProcess sim;
    sim.start(simPath,
              {QStringLiteral("--pty"), QStringLiteral("--tcp"), QString::fromLatin1(SimAddress)});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(simPath));
        return 1;
    }
    const QString ptyPath = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QThread::msleep(100); // the TCP server is listening shortly after the path is printed

    RealClock clock;
    QtTransportFactory factory;
    ProgramFlags flags;
    TKXCOMControl link(flags, factory, clock);
    QObject::connect(
        &link, &TKXCOMControl::notify, &link, [](int code, qint64, qint64, const QString &) {
            if (code != NotifyTrace && code != NotifyDataDump && code != NotifyBytesReceived)
                std::fprintf(stderr, "link notification %d\n", code);
        });
    std::printf("%d round trips of a route command each\n", count);

    link.setControlMode(cmLAN);
    link.setDeviceIP(QString::fromLatin1(SimAddress));
    if (!link.Open()) {
        std::fprintf(stderr, "link cannot connect\n");
        return 1;
    }
    const Stats tcpLink = Summarise(LinkRoundTrips(link, count));
    link.Close();
    QThread::msleep(50);
    const int tcp = OpenTcp();
    const Stats tcpBare = Summarise(BareRoundTrips(tcp, count));
    ::close(tcp);
    Report("tcp", tcpLink, tcpBare);

    link.setControlMode(cmCOM);
    link.setComPort(ptyPath);
    if (!link.Open()) {
        std::fprintf(stderr, "link cannot open %s\n", qPrintable(ptyPath));
        return 1;
    }
    const Stats ptyLink = Summarise(LinkRoundTrips(link, count));
    link.Close();
    const int pty = OpenPty(ptyPath);
    const Stats ptyBare = Summarise(BareRoundTrips(pty, count));
    ::close(pty);
    Report("pty", ptyLink, ptyBare);

    sim.kill();
    sim.waitForFinished();
    return 0;
}
