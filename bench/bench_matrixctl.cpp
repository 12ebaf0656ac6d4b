// The cost of one matrixctl command as a script sees it: `matrixctl --host ... route IN 1`
// against the simulator program over loopback TCP, the whole process from fork to exit
// (start-up, connect, size query, route, close). Each run is paired with `true` started the
// same way, the floor of any process, alternately, so that a change in the machine's load
// falls on both alike.
//
//   bench_matrixctl [--runs N] [MATRIXCTL]
//
// Without a program it measures matrixctl of its own build tree. Target: median < 100 ms.

#include "BenchStats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int DefaultRuns = 40;
constexpr double TargetMs = 100.0;
const char *SimAddress = "127.0.0.42";

double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double position = q * double(values.size() - 1);
    const auto below = std::size_t(position);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (position - double(below));
}

struct Timed
{
    double ms = 0;
    int exitCode = -1;
};

/// Fork, exec, wait: milliseconds from the fork to the child's exit, and its exit code.
Timed RunOnce(const std::vector<QByteArray> &command)
{
    std::vector<char *> argv;
    for (const QByteArray &part : command)
        argv.push_back(const_cast<char *>(part.constData()));
    argv.push_back(nullptr);
    const auto began = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        // What the command writes is not measured; only its exit code counts.
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const auto elapsed = std::chrono::steady_clock::now() - began;
    return {std::chrono::duration<double, std::milli>(elapsed).count(),
            WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

void Report(const char *name, const std::vector<double> &ms)
{
    std::printf("  %-34s p10 %6.1f  median %6.1f  p90 %6.1f  max %6.1f ms\n", name,
                Quantile(ms, 0.1), Quantile(ms, 0.5), Quantile(ms, 0.9), Quantile(ms, 1.0));
}

/// Waits until the simulator accepts connections.
bool SimulatorListens()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTcpSocket probe;
        probe.connectToHost(QString::fromLatin1(SimAddress), 8000);
        if (probe.waitForConnected(100)) {
            probe.disconnectFromHost();
            return true;
        }
        QThread::msleep(20);
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int runs = TakeRuns(args, DefaultRuns);
    const QDir buildRoot(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    const QString program =
        QFileInfo(args.isEmpty() ? buildRoot.filePath(QStringLiteral("matrixctl")) : args.first())
            .absoluteFilePath();
    const QString truePath = QFileInfo::exists(QStringLiteral("/usr/bin/true"))
                                 ? QStringLiteral("/usr/bin/true")
                                 : QStringLiteral("/bin/true");

    QProcess simulator;
    simulator.start(buildRoot.filePath(QStringLiteral("matrix-sim")),
                    {QStringLiteral("--tcp"), QString::fromLatin1(SimAddress)});
    if (!simulator.waitForStarted(5000) || !SimulatorListens()) {
        std::fprintf(stderr, "bench_matrixctl: the simulator does not listen on %s:8000\n",
                     SimAddress);
        return 1;
    }

    const std::vector<QByteArray> floor{QFile::encodeName(truePath)};
    std::vector<double> floorMs;
    std::vector<double> routeMs;
    std::vector<double> differenceMs;
    for (int run = 0; run < runs; ++run) {
        const QByteArray input = QByteArray::number(run % 4 + 1);
        const std::vector<QByteArray> route{
            QFile::encodeName(program), "--host", SimAddress, "route", input, "1"};
        const Timed base = RunOnce(floor);
        const Timed timed = RunOnce(route);
        if (timed.exitCode != 0) {
            std::fprintf(stderr, "bench_matrixctl: run %d ended with exit code %d\n", run + 1,
                         timed.exitCode);
            simulator.kill();
            simulator.waitForFinished(2000);
            return 1;
        }
        floorMs.push_back(base.ms);
        routeMs.push_back(timed.ms);
        differenceMs.push_back(timed.ms - base.ms);
    }
    simulator.kill();
    simulator.waitForFinished(2000);

    std::printf("matrixctl route over loopback TCP against matrix-sim, fork to exit, %d runs "
                "each, alternately with true\n",
                runs);
    Report("true (process floor)", floorMs);
    Report("matrixctl --host ... route IN 1", routeMs);
    Report("difference of each pair", differenceMs);
    const double median = Quantile(routeMs, 0.5);
    std::printf("  target: median %.1f ms < %.0f ms %s; %.1fx the process floor\n", median,
                TargetMs, median < TargetMs ? "ok" : "OVER", median / Quantile(floorMs, 0.5));
    return 0;
}
