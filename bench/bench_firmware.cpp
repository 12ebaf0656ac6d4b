// Firmware upload speed: a main part goes through the link to the simulated switcher over a
// pseudo-terminal (COM mode) or loopback TCP (LAN mode). On a line paced at 19200 baud the
// upload is set side by side with what the wire allows, its ceiling: every packet out and
// every answer back at 1920 bytes per second. The 300 ms pauses before the packets and the
// restart wait after them are not part of the measured span. Each packet's own time over its
// wire time gives the spread.
//
//   bench_firmware            paced runs of 8 KiB and 64 KiB parts (about 45 s), unpaced
//                             runs of 64 KiB
//   bench_firmware --quick    the paced run of 8 KiB only

#include "BenchStats.h"

#include "SimFirmware.h"
#include "SimPty.h"
#include "SimTcpServer.h"
#include "SwitcherDevice.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

enum class Line { Pty, Tcp };

constexpr double WireBytesPerSecond = 1920.0;
constexpr double TargetEfficiency = 0.99;
const QString TcpAddress = QStringLiteral("127.0.0.25");

struct Upload
{
    double seconds = 0;
    int packets = 0;
    std::vector<double> packetMs; // from one packet's answer (or the first packet) to the next
    int resent = 0;               // packets sent again after an invalid or refused answer
    bool intact = false;
};

QByteArray MakeImage(int size)
{
    QByteArray image(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 131 + (i >> 9)) & 0xFF);
    return image;
}

std::optional<Upload> RunUpload(Line line, bool paced, int size)
{
    SwitcherDevice device;
    SimFirmware firmware(device);
    device.faults().setPaced(paced);
    SimPty pty(device);
    SimTcpServer server(device);

    RealClock clock;
    QtTransportFactory transports;
    ProgramFlags flags;
    TKXCOMControl link(flags, transports, clock);
    if (line == Line::Pty) {
        if (!pty.open()) {
            std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(pty.errorString()));
            return std::nullopt;
        }
        link.setControlMode(cmCOM);
        link.setComPort(pty.slavePath());
    } else {
        if (!server.listen(QHostAddress(TcpAddress))) {
            std::fprintf(stderr, "cannot listen on %s: %s\n", qPrintable(TcpAddress),
                         qPrintable(server.errorString()));
            return std::nullopt;
        }
        link.setControlMode(cmLAN);
        link.setDeviceIP(TcpAddress);
    }
    if (!link.Open()) {
        std::fprintf(stderr, "the link cannot open its line\n");
        return std::nullopt;
    }

    // The span runs from the first packet on the wire to the switcher's last answer. Over
    // TCP the answers to the announcing frames are dumped too; only the dump of a packet sent
    // starts the span.
    QElapsedTimer timer;
    qint64 startNs = -1;
    qint64 endNs = -1;
    qint64 lastNs = -1;
    Upload upload;
    QObject::connect(
        &link, &TKXCOMControl::notify, &link, [&](int code, qint64, qint64, const QString &text) {
            if (code == NotifyDataDump && startNs < 0 && text.contains(QLatin1String("send data:")))
                startNs = lastNs = timer.nsecsElapsed();
            if (code == NotifyDataDump && !text.startsWith(QLatin1String("[1]")) &&
                text.contains(QLatin1String("send data:")))
                ++upload.resent;
            if (code == NotifyProgress) {
                ++upload.packets;
                const qint64 now = timer.nsecsElapsed();
                upload.packetMs.push_back(double(now - lastNs) / 1e6);
                lastNs = now;
            }
            if (code == NotifyTransferDone) {
                endNs = timer.nsecsElapsed();
                // Ends the restart wait that follows a main part at once.
                flags.StopRequested = true;
            }
        });
    const QByteArray image = MakeImage(size);
    link.WriteStream = image;
    TCommandResult result;
    timer.start();
    link.WriteMainFirmware(MakeFrame(0x20, 1, 1, 0, 1, 0), result);
    if (startNs < 0 || endNs < 0) {
        std::fprintf(stderr, "the upload did not complete\n");
        return std::nullopt;
    }
    upload.seconds = double(endNs - startNs) / 1e9;
    upload.intact = firmware.image(1, 1) == image;
    return upload;
}

bool ReportPaced(int size)
{
    const auto upload = RunUpload(Line::Pty, true, size);
    if (!upload)
        return false;
    const double packets = double(upload->packets);
    const double packetWireMs = double(PacketSize + FrameSize) * 1000.0 / WireBytesPerSecond;
    const double ceiling = packets * packetWireMs / 1000.0;
    // The simulated line hands bytes over only once they have crossed the wire, so the
    // measured span is what a real line would take and whatever exceeds the ceiling is the
    // controller's own overhead.
    const double efficiency = upload->seconds > 0 ? ceiling / upload->seconds : 0.0;
    std::vector<double> excess;
    for (const double ms : upload->packetMs)
        excess.push_back(ms - packetWireMs);
    const Spread over = SpreadOf(excess);
    const bool ok = efficiency >= TargetEfficiency && upload->intact;
    std::printf("paced 19200 baud, pty, %2d KiB: %3d packets, %7.3f s measured, %7.3f s wire "
                "ceiling: %6.2f %% of the ceiling (target >= %.0f %%) %s%s\n",
                size / 1024, upload->packets, upload->seconds, ceiling, efficiency * 100.0,
                TargetEfficiency * 100.0, ok ? "ok" : "BELOW TARGET",
                upload->intact ? "" : ", IMAGE DIFFERS");
    std::printf("    per packet over its %.1f ms of wire time: min %.2f  p10 %.2f  median %.2f  "
                "p90 %.2f  max %.2f ms; packets sent again: %d\n",
                packetWireMs, over.min, over.p10, over.median, over.p90,
                *std::max_element(excess.begin(), excess.end()), upload->resent);
    return ok;
}

bool ReportUnpaced(Line line, int size)
{
    const auto upload = RunUpload(line, false, size);
    if (!upload)
        return false;
    std::printf("unpaced, %s, %3d KiB: %3d packets, %7.3f s, %8.1f KiB/s%s\n",
                line == Line::Pty ? "pty" : "tcp", size / 1024, upload->packets, upload->seconds,
                double(size) / 1024.0 / upload->seconds, upload->intact ? "" : ", IMAGE DIFFERS");
    return upload->intact;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool quick = QCoreApplication::arguments().contains(QStringLiteral("--quick"));

    std::printf("firmware upload of a main part (packets of 270 bytes, answers of 13)\n");
    bool ok = ReportPaced(8 * 1024);
    if (quick)
        return ok ? 0 : 1;
    ok = ReportPaced(64 * 1024) && ok;
    ok = ReportUnpaced(Line::Pty, 64 * 1024) && ok;
    ok = ReportUnpaced(Line::Tcp, 64 * 1024) && ok;
    return ok ? 0 : 1;
}
