// EDID read and download from the EDID page, against the simulated switcher on a
// pseudo-terminal whose line is paced like a 19200-baud serial line (1920 bytes per second).
// Each operation's elapsed time is set against the wire time of every byte that crossed the
// line during it (bytes to the switcher plus bytes back, at 1920 bytes per second), which is
// the least time the operation can take on a real line. The simulated line hands each byte
// over only once it has crossed the wire, so the measured time is what a real line would show.
// Target: within 1 % of the wire time at the median. The simulated switchers run on a thread
// of their own, as a real one runs beside the PC: what the program does while it waits for an
// answer (painting, for one) does not delay the answer.
//
// The simulated line itself costs a little beyond the wire time (its timers, the terminal), so
// each operation is also set against its floor, measured in turn with it: a bare client on a
// raw descriptor of a second such line that writes the very requests the program wrote and
// reads, blocking, exactly as many bytes as the switcher answered to each.
//   bench_edid [repetitions]
#include "BenchProgram.h"
#include "BenchStats.h"
#include "ProgramWindows.h"
#include "RawTerminal.h"

#include "SimPty.h"
#include "SwitcherDevice.h"
#include "edid/ui/EdidPage.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/ShellContext.h"
#include "shell/settings/SettingsLocation.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double LineBytesPerSecond = 1920.0;
constexpr double Target = 0.01;

qsizetype TotalBytes(const QList<QByteArray> &units)
{
    qsizetype total = 0;
    for (const QByteArray &unit : units)
        total += unit.size();
    return total;
}

double WireMs(qsizetype bytes)
{
    return double(bytes) * 1000.0 / LineBytesPerSecond;
}

/// A paced simulated switcher on a pseudo-terminal, living on a thread of its own. Its state
/// is touched only on that thread, through run().
class SwitcherThread
{
public:
    SwitcherThread()
    {
        m_home.moveToThread(&m_thread);
        m_thread.start();
        run([this] {
            m_device = std::make_unique<SwitcherDevice>();
            m_device->faults().setPaced(true);
            m_pty = std::make_unique<SimPty>(*m_device);
            m_opened = m_pty->open();
            // The program waits for each answer before it sends on: bytes going out belong
            // to the request received last.
            QObject::connect(m_device.get(), &SwitcherDevice::transmit,
                             [this](const QByteArray &bytes) {
                                 const qsizetype request = m_device->state().received.size() - 1;
                                 if (request < 0)
                                     return;
                                 while (m_answerBytes.size() <= request)
                                     m_answerBytes.append(0);
                                 m_answerBytes[request] += bytes.size();
                             });
        });
    }
    ~SwitcherThread()
    {
        run([this] {
            m_pty.reset();
            m_device.reset();
        });
        m_thread.quit();
        m_thread.wait();
    }

    /// Runs `action` on the switcher's thread and returns when it is done.
    template <typename Action> void run(Action action)
    {
        QMetaObject::invokeMethod(&m_home, action, Qt::BlockingQueuedConnection);
    }

    bool opened() const { return m_opened; }
    QString slavePath()
    {
        QString path;
        run([&] { path = m_opened ? m_pty->slavePath() : m_pty->errorString(); });
        return path;
    }
    void clearLogs()
    {
        run([this] {
            m_device->state().clearLogs();
            m_answerBytes.clear();
        });
    }
    SwitcherDevice &device() { return *m_device; }
    const QList<qsizetype> &answerBytes() const { return m_answerBytes; }

private:
    QThread m_thread;
    QObject m_home;
    std::unique_ptr<SwitcherDevice> m_device;
    std::unique_ptr<SimPty> m_pty;
    QList<qsizetype> m_answerBytes;
    bool m_opened = false;
};

struct Figures
{
    std::vector<double> elapsedMs;
    std::vector<double> wireMs;
    std::vector<double> floorMs;
    qsizetype bytesOut = 0;
    qsizetype bytesBack = 0;
    bool failed = false;
};

/// What crossed the line in one operation: each request and the bytes answered to it.
struct Exchange
{
    QList<QByteArray> requests;
    QList<qsizetype> answerBytes;
};

/// One run of `action`, added to `figures`; `exchange` receives what crossed the line.
template <typename Action>
void MeasureOnce(Figures &figures, Exchange &exchange, SwitcherThread &switcher, TForm1 &form,
                 Action action)
{
    switcher.clearLogs();
    QElapsedTimer timer;
    timer.start();
    action();
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    switcher.run([&] {
        const SwitcherState &state = switcher.device().state();
        exchange.requests = state.received;
        exchange.answerBytes = switcher.answerBytes();
        figures.bytesOut = TotalBytes(state.received);
        figures.bytesBack = TotalBytes(state.sent);
    });
    figures.elapsedMs.push_back(elapsed);
    figures.wireMs.push_back(WireMs(figures.bytesOut + figures.bytesBack));
    if (form.statusText(2) != QStringLiteral("Done") ||
        exchange.answerBytes.size() != exchange.requests.size())
        figures.failed = true;
}

/// The floor: `exchange` replayed by a bare client on `fd`, one write and blocking reads of
/// exactly the bytes answered; milliseconds, or -1 when an answer did not come whole.
double BareReplay(int fd, const Exchange &exchange)
{
    std::array<char, 512> buffer{};
    QElapsedTimer timer;
    timer.start();
    for (qsizetype i = 0; i < exchange.requests.size(); ++i) {
        const QByteArray &request = exchange.requests[i];
        ::tcflush(fd, TCIFLUSH);
        if (::write(fd, request.constData(), size_t(request.size())) != request.size())
            return -1;
        for (qsizetype wanted = exchange.answerBytes[i]; wanted > 0;) {
            const ssize_t n =
                ::read(fd, buffer.data(), std::min<std::size_t>(buffer.size(), wanted));
            if (n <= 0)
                return -1;
            wanted -= n;
        }
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

void MeasureFloor(Figures &figures, SwitcherThread &switcher, int fd, const Exchange &exchange)
{
    switcher.clearLogs();
    const double floor = BareReplay(fd, exchange);
    if (floor < 0)
        figures.failed = true;
    else
        figures.floorMs.push_back(floor);
}

bool Report(const char *name, const Figures &figures)
{
    std::vector<double> excess; // of each repetition, in percent of its wire time
    for (std::size_t i = 0; i < figures.elapsedMs.size(); ++i)
        excess.push_back((figures.elapsedMs[i] / figures.wireMs[i] - 1.0) * 100.0);
    const Spread spread = SpreadOf(excess);
    const double wire = SpreadOf(figures.wireMs).median;
    const double elapsed = SpreadOf(figures.elapsedMs).median;
    const bool ok = !figures.failed && std::abs(spread.median) <= Target * 100.0;
    std::printf("%-9s %4lld bytes out, %4lld back: wire %6.1f ms, measured %6.1f ms (median of "
                "%zu): %+5.2f %% of the wire time (min %+.2f, p10 %+.2f, p90 %+.2f, max %+.2f), "
                "%s\n",
                name, static_cast<long long>(figures.bytesOut),
                static_cast<long long>(figures.bytesBack), wire, elapsed, figures.elapsedMs.size(),
                spread.median, spread.min, spread.p10, spread.p90,
                *std::max_element(excess.begin(), excess.end()),
                figures.failed ? "FAILED" : (ok ? "within 1 %" : "NOT within 1 %"));
    if (!figures.floorMs.empty()) {
        std::vector<double> overFloor; // each repetition against the floor measured after it
        const std::size_t n = std::min(figures.floorMs.size(), figures.elapsedMs.size());
        for (std::size_t i = 0; i < n; ++i)
            overFloor.push_back((figures.elapsedMs[i] / figures.floorMs[i] - 1.0) * 100.0);
        const Spread floor = SpreadOf(figures.floorMs);
        const Spread over = SpreadOf(overFloor);
        std::printf("%-9s floor %6.1f ms (%+.2f %% of the wire time); program over its floor: "
                    "median %+.2f %% (p10 %+.2f, p90 %+.2f)\n",
                    "", floor.median, (floor.median / wire - 1.0) * 100.0, over.median, over.p10,
                    over.p90);
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    SwitcherThread switcher;
    if (!switcher.opened()) {
        std::fprintf(stderr, "pseudo-terminal: %s\n", qPrintable(switcher.slavePath()));
        return 2;
    }
    const QString slavePath = switcher.slavePath();

    QTemporaryDir dir;
    RealClock clock;
    QtTransportFactory transports;
    BenchDialogs dialogs;
    OnePort ports(slavePath);
    ProgramWindows windows(dialogs, transports, clock, ports,
                           SettingsLocation::inDirectory(dir.path()));
    TForm1 &form = windows.mainWindow();
    form.show();
    form.btnConnectClick();
    TKXCOMControl *link = windows.context().link();
    if (!link || !link->Connected()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slavePath));
        return 2;
    }
    EdidPage &page = windows.edid();
    page.findChild<QComboBox *>(QStringLiteral("cbReadEDIDDataOutput"))
        ->setCurrentIndex(5); // "User1 Memory"
    page.findChild<QComboBox *>(QStringLiteral("cbDownloadEDIDInput"))
        ->setCurrentIndex(7); // "User2 Memory"

    std::printf("EDID transfers at 19200 baud over %s, %d repetitions\n", qPrintable(slavePath),
                repetitions);
    SwitcherThread floorSwitcher;
    // The floor reads what has come, waiting at most a second for it.
    const int floorFd =
        floorSwitcher.opened() ? OpenRawTerminal(floorSwitcher.slavePath(), 1, 10) : -1;
    if (floorFd < 0) {
        std::fprintf(stderr, "cannot open the floor's pseudo-terminal\n");
        return 2;
    }

    // Reads and downloads take turns, each followed by its floor, so all see the same load on
    // the machine.
    Figures read;
    Figures download;
    Exchange exchange;
    for (int i = 0; i < repetitions; ++i) {
        MeasureOnce(read, exchange, switcher, form, [&] { page.btnReadEDIDDataClick(); });
        MeasureFloor(read, floorSwitcher, floorFd, exchange);
        MeasureOnce(download, exchange, switcher, form, [&] { page.btnDownloadEDIDClick(); });
        MeasureFloor(download, floorSwitcher, floorFd, exchange);
    }
    ::close(floorFd);
    const bool readOk = Report("read", read);
    const bool downloadOk = Report("download", download);
    bool stored = false;
    switcher.run([&] {
        const SwitcherState &state = switcher.device().state();
        stored = state.userMemory[1] == state.userMemory[0];
    });
    std::printf("downloaded block arrived intact: %s\n", stored ? "yes" : "no");

    form.close();
    return readOk && downloadOk && stored && dialogs.shown == 0 ? 0 : 1;
}
