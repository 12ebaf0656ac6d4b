// Round trip of one route command through the link (SendCommand, waiting in event-loop steps)
// against its floor: a bare client that does the same exchange with the least work (one write
// of the 13 bytes, one blocking read of exactly 13 bytes back), over loopback TCP and over a
// pseudo-terminal. A second bare client also clears the input before each request, as the
// link must (a terminal's buffers flushed, a socket's pending bytes read and dropped). The
// simulator serves one client at a time, so the link and the bare clients talk to simulator
// processes of their own; their round trips take turns one by one (link, bare, link,
// bare+clear ...) so that all see the same load on the machine. On a machine shared with other
// work, --pin-simulators keeps both simulators on one processor, so that neither client's
// simulator is the one that lands beside a busy process; --pin also keeps the clients on
// another one.
//   bench_link [--pin | --pin-simulators] [round-trips]
#include "BenchProgram.h"
#include "BenchStats.h"
#include "RawTerminal.h"

#include "link/FileDescriptor.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {
const char *LinkSimAddress = "127.0.0.21";
const char *BareSimAddress = "127.0.0.22";
constexpr quint16 SimPort = 8000;
constexpr int WarmUp = 200;
constexpr double MedianTarget = 1.2;
constexpr double TcpP99Target = 1.4;

enum class Line { Tcp, Pty };

/// Connects to the simulator, retrying while it starts listening.
int OpenTcp(const char *host)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(SimPort);
        ::inet_pton(AF_INET, host, &address.sin_addr);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return fd;
        }
        ::close(fd);
        QThread::msleep(20);
    }
    return -1;
}

/// What the link does before each request: a terminal's buffers are cleared, whatever is
/// pending on a socket is read and dropped (one read of up to 64 KiB).
void ClearInput(int fd, Line line)
{
    if (line == Line::Pty) {
        ::tcflush(fd, TCIOFLUSH);
        return;
    }
    static std::array<char, 65536> discarded;
    [[maybe_unused]] const ssize_t n = ::recv(fd, discarded.data(), discarded.size(), MSG_DONTWAIT);
}

/// The floor: one write, one read of exactly 13 bytes (MSG_WAITALL on a socket, VMIN on a
/// terminal), after clearing the input as the link does when `clearFirst` is set. Negative when
/// the exchange failed.
double BareRoundTrip(int fd, Line line, bool clearFirst)
{
    static const TCommandFrame frame = MakeFrame(2, 3, 1, 1);
    TCommandFrame answer{};
    QElapsedTimer timer;
    timer.start();
    if (clearFirst)
        ClearInput(fd, line);
    if (::write(fd, frame.data(), frame.size()) != ssize_t(frame.size()))
        return -1;
    const ssize_t got = line == Line::Tcp ? ::recv(fd, answer.data(), answer.size(), MSG_WAITALL)
                                          : ::read(fd, answer.data(), answer.size());
    if (got != ssize_t(answer.size()))
        return -1;
    return double(timer.nsecsElapsed()) / 1000.0;
}

double LinkRoundTrip(TKXCOMControl &link)
{
    static const TCommandFrame frame = MakeFrame(2, 3, 1, 1);
    TCommandResult result;
    QElapsedTimer timer;
    timer.start();
    link.SendCommand(frame, result);
    return result.Success ? double(timer.nsecsElapsed()) / 1000.0 : -1;
}

void PrintSpread(const char *line, const char *who, const Spread &s)
{
    std::printf("%-4s %-12s min %6.1f  p10 %6.1f  median %6.1f  p90 %6.1f  p99 %7.1f us\n", line,
                who, s.min, s.p10, s.median, s.p90, s.p99);
}

void PrintRatio(const char *line, const char *floor, const Spread &link, const Spread &bare,
                bool checkP99)
{
    std::printf("%-4s link / %-12s median %.2fx (target <= %.1fx)  p99 %.2fx", line, floor,
                RatioOf(link.median, bare.median), MedianTarget, RatioOf(link.p99, bare.p99));
    if (checkP99)
        std::printf(" (target <= %.1fx)", TcpP99Target);
    std::printf("\n");
}

/// Round trips of the link and of the two bare clients take turns; false when one failed.
bool Compare(Line line, TKXCOMControl &link, int bareFd, int count, bool checkP99)
{
    std::vector<double> linkMicros;
    std::vector<double> bareMicros;
    std::vector<double> clearingMicros;
    for (int i = 0; i < WarmUp + count; ++i) {
        // Each client's simulator has sat idle for one round trip of the other when its turn
        // comes, so all pay the same for waking it.
        const bool clearFirst = i % 2 == 1;
        const double viaLink = LinkRoundTrip(link);
        const double bare = BareRoundTrip(bareFd, line, clearFirst);
        if (viaLink < 0 || bare < 0) {
            std::fprintf(stderr, "round trip %d failed (%s)\n", i, viaLink < 0 ? "link" : "bare");
            return false;
        }
        if (i < WarmUp)
            continue;
        linkMicros.push_back(viaLink);
        (clearFirst ? clearingMicros : bareMicros).push_back(bare);
    }
    const char *name = line == Line::Tcp ? "tcp" : "pty";
    const Spread viaLink = SpreadOf(linkMicros);
    const Spread bare = SpreadOf(bareMicros);
    const Spread clearing = SpreadOf(clearingMicros);
    PrintSpread(name, "link", viaLink);
    PrintSpread(name, "bare", bare);
    PrintSpread(name, "bare+clear", clearing);
    PrintRatio(name, "bare", viaLink, bare, checkP99);
    PrintRatio(name, "bare+clear", viaLink, clearing, checkP99);
    return true;
}
/// Runs `pid` (0: this process) on one processor only.
void Pin(qint64 pid, int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    ::sched_setaffinity(pid_t(pid), sizeof set, &set);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    const bool pinAll = arguments.removeAll(QStringLiteral("--pin")) > 0;
    const bool pinSimulators = arguments.removeAll(QStringLiteral("--pin-simulators")) > 0;
    const int count = arguments.size() > 1 ? std::max(10, arguments[1].toInt()) : 10000;

    SimProcess linkSim;
    SimProcess bareSim;
    if (!linkSim.start({QStringLiteral("--tcp"), QString::fromLatin1(LinkSimAddress)}) ||
        !bareSim.start({QStringLiteral("--tcp"), QString::fromLatin1(BareSimAddress)}))
        return 1;
    if (pinAll || pinSimulators) {
        // Both simulators on the first processor, so that neither client's simulator is the
        // one that shares a processor with other work; with --pin the clients run on the
        // last processor and every message crosses between the two.
        Pin(linkSim.pid(), 0);
        Pin(bareSim.pid(), 0);
        const int last = int(::sysconf(_SC_NPROCESSORS_ONLN)) - 1;
        if (pinAll)
            Pin(0, last);
        std::printf("pinned: simulators on processor 0, clients %s\n",
                    pinAll ? qPrintable(QStringLiteral("on processor %1").arg(last))
                           : "where the system puts them");
    }
    RealClock clock;
    QtTransportFactory factory;
    ProgramFlags flags;
    TKXCOMControl link(flags, factory, clock);
    QObject::connect(
        &link, &TKXCOMControl::notify, &link, [](int code, qint64, qint64, const QString &) {
            if (code != NotifyTrace && code != NotifyDataDump && code != NotifyBytesReceived)
                std::fprintf(stderr, "link notification %d\n", code);
        });
    std::printf("%d round trips of a route command through the link, half as many for each bare "
                "client, after %d to warm up\n",
                count, WarmUp);

    const FileDescriptor tcp(OpenTcp(BareSimAddress));
    link.setControlMode(cmLAN);
    link.setDeviceIP(QString::fromLatin1(LinkSimAddress));
    if (tcp.get() < 0 || !link.Open()) {
        std::fprintf(stderr, "cannot connect to the simulators\n");
        return 1;
    }
    bool ok = Compare(Line::Tcp, link, tcp.get(), count, true);
    link.Close();

    const FileDescriptor pty(OpenRawTerminal(bareSim.ptyPath(), FrameSize));
    link.setControlMode(cmCOM);
    link.setComPort(linkSim.ptyPath());
    if (pty.get() < 0 || !link.Open()) {
        std::fprintf(stderr, "cannot open the pseudo-terminals\n");
        return 1;
    }
    ok = Compare(Line::Pty, link, pty.get(), count, false) && ok;
    link.Close();
    return ok ? 0 : 1;
}
