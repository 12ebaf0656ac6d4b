// Start-up cost of the controller: from nothing to the main window shown and Settings.ini
// written, on the offscreen platform.
//
//   bench_startup            in-process runs and child-process cold starts, then the figures
//   bench_startup --child D  one start with the settings file in folder D (used by the above)
//
// Targets: median <= 150 ms, peak resident memory <= 60 MB.

#include "link/QtTransportFactory.h"
#include "link/RealClock.h"
#include "shell/connection/SerialPortLister.h"
#include "shell/SettingsLocation.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramWindows.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int InProcessRuns = 9;
constexpr int ChildRuns = 5;
constexpr double TargetMs = 150.0;
constexpr double TargetMb = 60.0;

// Creates the windows, shows the main window and waits until it is on screen; returns false
// when the settings file was not written.
bool startOnce(const QString &folder)
{
    RealClock clock;
    QtTransportFactory transports;
    QtDialogs dialogs;
    SerialPortLister ports;
    ProgramWindows windows(dialogs, transports, clock, ports,
                           SettingsLocation::inDirectory(folder));
    TForm1 &form = windows.mainWindow();
    form.show();
    QCoreApplication::processEvents();
    return QFileInfo::exists(form.settingsFilePath());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

double peakMb(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

int runChild(const QString &folder)
{
    if (!startOnce(folder))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--child"))
        return runChild(args[2]);

    std::vector<double> inProcess;
    for (int i = 0; i < InProcessRuns; ++i) {
        QTemporaryDir folder;
        QElapsedTimer timer;
        timer.start();
        if (!startOnce(folder.path())) {
            std::fprintf(stderr, "bench_startup: Settings.ini was not written\n");
            return 1;
        }
        inProcess.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    // The first run pays for fonts and plug-ins; the median shows the usual cost.
    const double firstMs = inProcess.front();
    const double inProcessMedian = median(inProcess);
    const double selfPeak = peakMb(RUSAGE_SELF);

    std::vector<double> cold;
    for (int i = 0; i < ChildRuns; ++i) {
        QTemporaryDir folder;
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), folder.path()});
        bool ready = false;
        while (!ready && child.waitForReadyRead(10000))
            ready = child.readAllStandardOutput().contains("ready");
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        child.waitForFinished(10000);
        if (!ready) {
            std::fprintf(stderr, "bench_startup: child start failed\n");
            return 1;
        }
        cold.push_back(ms);
    }
    const double coldMedian = median(cold);
    const double childPeak = peakMb(RUSAGE_CHILDREN);

    std::printf("start-up to main window shown and settings written (offscreen)\n");
    std::printf("  in process: first %.1f ms, median of %d %.1f ms\n", firstMs, InProcessRuns,
                inProcessMedian);
    std::printf("  cold start (child process): median of %d %.1f ms   target <= %.0f ms  %s\n",
                ChildRuns, coldMedian, TargetMs, coldMedian <= TargetMs ? "ok" : "OVER");
    std::printf("  peak RSS: child %.1f MB   target <= %.0f MB  %s   (this process after %d "
                "runs: %.1f MB)\n",
                childPeak, TargetMb, childPeak <= TargetMb ? "ok" : "OVER", InProcessRuns,
                selfPeak);
    return 0;
}
