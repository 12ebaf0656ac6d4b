// The cost of following the switcher ("Follow switcher changes").
//
// line: the share of a 19200-baud serial line that the two-second routing poll takes. One
// poll (the window's background read: four GetRoute queries through the command gate) is
// timed against its floor, a bare client doing the same four exchanges with one write and one
// blocking read each, turn about, on paced lines of simulator processes of their own. The
// share is the poll's time over its two-second period; the wire alone (4 x 26 bytes at 1920
// bytes per second) would be 2.7 %.
//
// cpu: the extra processor time of an idle connected window that follows the switcher. The
// whole window (offscreen) runs connected to a simulator process for a fixed interval with
// following off, then on, turn about; the process's own CPU time is read around each
// interval. The floor is the same window with following off.
//   bench_live line [polls]
//   bench_live cpu [pairs] [seconds-per-interval]
#include "BenchProgram.h"
#include "BenchStats.h"
#include "RawTerminal.h"

#include "LiveFeatures.h"
#include "ProgramWindows.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/connection/ConnectionController.h"
#include "shell/routing/RoutingPoll.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramMenus.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr double PollPeriodMs = 2000.0;
constexpr double WireMs = 4 * 2 * FrameSize * 10 * 1000.0 / 19200.0;
// The poll's line runs at 19200 baud, as the switcher's does.
const QStringList Paced{QStringLiteral("--paced")};

/// The floor: four GetRoute exchanges, one write and one blocking read of 13 bytes each.
double BarePoll(int fd)
{
    QElapsedTimer timer;
    timer.start();
    for (int output = 1; output <= 4; ++output) {
        const TCommandFrame frame = WireFrame(MakeFrame(2, 1, std::uint16_t(output)));
        ::tcflush(fd, TCIOFLUSH);
        if (::write(fd, frame.data(), frame.size()) != qsizetype(frame.size()))
            return -1;
        std::array<std::uint8_t, FrameSize> answer{};
        if (::read(fd, answer.data(), answer.size()) != qsizetype(answer.size()))
            return -1;
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

void Print(const char *name, const Spread &spread, const char *unit)
{
    std::printf("%-22s p10 %8.4f  median %8.4f  p90 %8.4f %s\n", name, spread.p10, spread.median,
                spread.p90, unit);
}

int LineShare(int polls)
{
    SimProcess pollSim;
    SimProcess bareSim;
    if (!pollSim.start(Paced) || !bareSim.start(Paced))
        return 1;
    QTemporaryDir dir;
    RealClock clock;
    QtTransportFactory transports;
    OnePort port(pollSim.ptyPath());
    ShellContext context(transports, clock, port, SettingsLocation::inDirectory(dir.path()));
    context.status().setBlinking(false);
    context.link()->setControlMode(cmCOM);
    context.connection().RefreshComPortList();
    context.connection().connectOrDisconnect();
    const int bare = OpenRawTerminal(bareSim.ptyPath(), FrameSize);
    if (!context.link()->Connected() || bare < 0) {
        std::fprintf(stderr, "cannot open the pseudo-terminals\n");
        return 1;
    }
    std::vector<double> pollMs;
    std::vector<double> bareMs;
    for (int i = 0; i < polls + 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        const RoutingPoll::Result result = RoutingPoll::Run(context);
        const double poll = double(timer.nsecsElapsed()) / 1e6;
        const double floor = BarePoll(bare);
        if (result.outcome != RoutingPoll::Outcome::Read || floor < 0) {
            std::fprintf(stderr, "poll %d failed\n", i);
            return 1;
        }
        if (i < 3)
            continue; // warming up
        pollMs.push_back(poll);
        bareMs.push_back(floor);
    }
    ::close(bare);
    const Spread poll = SpreadOf(pollMs);
    const Spread floor = SpreadOf(bareMs);
    std::printf("%d polls of outputs 1..4 over a paced 19200-baud pseudo-terminal, each "
                "followed by the bare floor\n",
                polls);
    Print("poll", poll, "ms");
    Print("bare floor", floor, "ms");
    std::printf("wire time alone %.1f ms (%.2f %% of the period)\n", WireMs,
                100.0 * WireMs / PollPeriodMs);
    std::printf("poll / floor median %.2fx\n", RatioOf(poll.median, floor.median));
    std::printf("line share of the 2 s poll: median %.2f %% (p10 %.2f, p90 %.2f)\n",
                100.0 * poll.median / PollPeriodMs, 100.0 * poll.p10 / PollPeriodMs,
                100.0 * poll.p90 / PollPeriodMs);
    return 0;
}

double ProcessCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

/// Runs the event loop for `seconds`; the process's CPU time meanwhile, in ms.
double IdleInterval(int seconds)
{
    const double before = ProcessCpuMs();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return ProcessCpuMs() - before;
}

int IdleCpu(int pairs, int seconds)
{
    SimProcess sim;
    if (!sim.start())
        return 1;
    QTemporaryDir dir;
    RealClock clock;
    QtTransportFactory transports;
    OnePort port(sim.ptyPath());
    BenchDialogs dialogs;
    ProgramWindows windows(dialogs, transports, clock, port,
                           SettingsLocation::inDirectory(dir.path()));
    TForm1 &form = windows.mainWindow();
    form.show();
    form.btnConnectClick();
    if (!windows.context().link()->Connected()) {
        std::fprintf(stderr, "cannot connect to the simulator\n");
        return 1;
    }
    QAction *follow = windows.live().menus().mnuFollowSwitcher;
    IdleInterval(1); // settle
    std::vector<double> offPercent;
    std::vector<double> onPercent;
    std::vector<double> extraPercent;
    const double intervalMs = seconds * 1000.0;
    double offTotal = 0;
    double onTotal = 0;
    for (int i = 0; i < pairs; ++i) {
        follow->setChecked(false);
        const double off = IdleInterval(seconds);
        follow->setChecked(true);
        const double on = IdleInterval(seconds);
        offPercent.push_back(100.0 * off / intervalMs);
        onPercent.push_back(100.0 * on / intervalMs);
        extraPercent.push_back(100.0 * (on - off) / intervalMs);
        offTotal += off;
        onTotal += on;
    }
    follow->setChecked(false);
    std::printf("%d pairs of %d s intervals of an idle connected window (offscreen), "
                "following off then on\n",
                pairs, seconds);
    Print("CPU, following off", SpreadOf(offPercent), "% of one core");
    Print("CPU, following on", SpreadOf(onPercent), "% of one core");
    Print("extra CPU of following", SpreadOf(extraPercent), "% of one core (target < 1)");
    std::printf("extra CPU, median on - median off: %.4f %% of one core\n",
                SpreadOf(onPercent).median - SpreadOf(offPercent).median);
    std::printf("extra CPU over all intervals: %.4f %% of one core, %.0f us per poll\n",
                100.0 * (onTotal - offTotal) / (pairs * intervalMs),
                1000.0 * (onTotal - offTotal) / (pairs * intervalMs / PollPeriodMs));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode == QLatin1String("line"))
        return LineShare(arguments.value(2, QStringLiteral("40")).toInt());
    if (mode == QLatin1String("cpu"))
        return IdleCpu(arguments.value(2, QStringLiteral("16")).toInt(),
                       arguments.value(3, QStringLiteral("6")).toInt());
    std::fprintf(stderr, "usage: bench_live line [polls] | cpu [pairs] [seconds]\n");
    return 2;
}
