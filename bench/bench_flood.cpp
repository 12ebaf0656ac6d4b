// Memory of the link while its TCP peer floods garbage: the simulated module (in this process)
// sends a flood of garbage instead of its answers, the first half while the link is idle, the
// second while it alternates failing commands with idle spells. The resident set is sampled
// all along and set against the figure before the flood; afterwards commands are sent until
// one works again.
//   bench_flood [megabytes]          (default 100)
//
// Target: the peak during the flood within 10 MB of the resident set before it; afterwards
// a command works again.
#include "SimTcpServer.h"
#include "SwitcherDevice.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>

#include <algorithm>
#include <cstdio>

namespace {

const QString SimAddress = QStringLiteral("127.0.0.23");
constexpr double TargetMb = 10.0;
constexpr auto IdleSpell = std::chrono::milliseconds(20);

/// A field of /proc/self/status in MB: VmRSS (resident now) or VmHWM (resident at most).
double StatusMb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double ResidentMb()
{
    return StatusMb("VmRSS");
}

bool RouteCommand(TKXCOMControl &link)
{
    TCommandResult result;
    link.SendCommand(MakeFrame(2, 3, 1, 1), result);
    return result.Success == 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const qint64 floodBytes = megabytes * 1024 * 1024;

    SwitcherDevice device;
    SimTcpServer server(device);
    if (!server.listen(QHostAddress(SimAddress))) {
        std::fprintf(stderr, "cannot listen on %s\n", qPrintable(SimAddress));
        return 1;
    }
    RealClock clock;
    QtTransportFactory transports;
    ProgramFlags flags;
    TKXCOMControl link(flags, transports, clock);
    int sendFailures = 0;
    QObject::connect(&link, &TKXCOMControl::notify, &link,
                     [&](int code, qint64, qint64, const QString &) {
                         if (code == NotifySendFailed)
                             ++sendFailures;
                     });
    link.setControlMode(cmLAN);
    link.setDeviceIP(SimAddress);
    if (!link.Open() || !RouteCommand(link)) {
        std::fprintf(stderr, "the link cannot reach the simulator\n");
        return 1;
    }
    const double idleMb = ResidentMb();

    QElapsedTimer timer;
    timer.start();
    double peakMb = idleMb;
    int commands = 0;
    auto idleSpell = [&] {
        const std::int64_t until = clock.elapsedMs() + IdleSpell.count();
        while (clock.elapsedMs() < until)
            clock.pumpStep(std::chrono::milliseconds(until - clock.elapsedMs()));
        peakMb = std::max(peakMb, ResidentMb());
    };
    // The first half arrives while the link is idle (the event loop runs, no exchange), the
    // second while it keeps sending commands.
    device.faults().setFlood(floodBytes / 2);
    server.pumpFlood();
    while (device.faults().flood() > 0)
        idleSpell();
    device.faults().setFlood(floodBytes - floodBytes / 2);
    server.pumpFlood();
    while (device.faults().flood() > 0) {
        RouteCommand(link);
        ++commands;
        peakMb = std::max(peakMb, ResidentMb());
        idleSpell();
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    // What is still on its way was sent before the module behaved again.
    int commandsAfter = 1;
    bool worksAfter = RouteCommand(link);
    for (; !worksAfter && commandsAfter < 100; ++commandsAfter) {
        peakMb = std::max(peakMb, ResidentMb());
        worksAfter = RouteCommand(link);
    }
    idleSpell();
    const double afterMb = ResidentMb();
    // The kernel's high-water mark also catches peaks between two samples.
    peakMb = std::max(peakMb, StatusMb("VmHWM"));

    std::printf("flood of %lld MB over loopback TCP in %.1f s: %d commands during it, %d failed "
                "with \"Send data failed!\"\n",
                static_cast<long long>(megabytes), seconds, commands, sendFailures);
    std::printf("resident set: %.1f MB before, peak %.1f MB during (+%.1f MB, target <= %.0f "
                "MB), %.1f MB after; afterwards command %d %s\n",
                idleMb, peakMb, peakMb - idleMb, TargetMb, afterMb, commandsAfter,
                worksAfter ? "works" : "still FAILS");
    return worksAfter && peakMb - idleMb <= TargetMb ? 0 : 1;
}
