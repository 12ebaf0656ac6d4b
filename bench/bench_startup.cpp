// Start-up cost of the controller: from exec to the main window shown and Settings.ini
// written (the last start-up step), on the offscreen platform, and the peak resident memory
// of that start. Each start runs a fresh process with the program linked into an empty
// folder, so it writes a new Settings.ini beside itself.
//
//   bench_startup [--runs N] PROGRAM            figures of one program
//   bench_startup [--runs N] BEFORE AFTER       two builds started alternately (A, B, A, B
//                                               ...), with the ratio of their medians
//
// Without a program it measures hdmi-matrix-controller of its own build tree.
// Targets: median <= 150 ms, peak RSS <= 60 MB; against an earlier build, at most 5 % slower
// and at most 2 MB more.

#include "BenchStats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr int DefaultRuns = 15;
constexpr int StartLimitMs = 20000;
constexpr double TargetMs = 150.0;
constexpr double TargetMb = 60.0;

struct Start
{
    double ms = 0;
    double peakMb = 0;
};

struct Figures
{
    QString program;
    std::vector<double> ms;
    std::vector<double> mb;
};

/// Puts the program into `folder` (a hard link when possible, else a copy): it keeps its
/// settings beside itself, so each start begins without a settings file.
std::optional<QString> placeProgram(const QString &program, const QString &folder)
{
    const QString target = QDir(folder).filePath(QFileInfo(program).fileName());
    if (::link(QFile::encodeName(program).constData(), QFile::encodeName(target).constData()) ==
            0 ||
        QFile::copy(program, target))
        return target;
    return std::nullopt;
}

/// One cold start: from fork to the moment Settings.ini appears in the program's folder.
std::optional<Start> startOnce(const QString &program)
{
    QTemporaryDir folder;
    const std::optional<QString> placed = placeProgram(program, folder.path());
    if (!placed)
        return std::nullopt;
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0)
        return std::nullopt;
    // The settings are saved whole, then given their name (a rename, or a link of an unnamed
    // file): the name appearing is the moment.
    inotify_add_watch(watch, QFile::encodeName(folder.path()).constData(), IN_MOVED_TO | IN_CREATE);
    const QByteArray path = QFile::encodeName(*placed);

    const auto began = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(path.constData(), path.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    bool written = false;
    auto elapsed = std::chrono::steady_clock::duration{};
    while (!written) {
        pollfd events{watch, POLLIN, 0};
        if (poll(&events, 1, StartLimitMs) <= 0)
            break;
        alignas(inotify_event) char buffer[4096];
        const ssize_t length = read(watch, buffer, sizeof buffer);
        elapsed = std::chrono::steady_clock::now() - began;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->len > 0 && std::strcmp(event->name, "Settings.ini") == 0)
                written = true;
            offset += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!written)
        return std::nullopt;
    return Start{std::chrono::duration<double, std::milli>(elapsed).count(),
                 double(usage.ru_maxrss) / 1024.0};
}

void report(const Figures &figures)
{
    const Spread ms = SpreadOf(figures.ms);
    const Spread mb = SpreadOf(figures.mb);
    std::printf("  %s\n", qPrintable(figures.program));
    std::printf("    start-up ms:  p10 %.1f  median %.1f  p90 %.1f\n", ms.p10, ms.median, ms.p90);
    std::printf("    peak RSS MB:  min %.1f  median %.1f  p90 %.1f\n", mb.min, mb.median, mb.p90);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int runs = TakeRuns(args, DefaultRuns);
    if (args.isEmpty())
        args << QDir(QCoreApplication::applicationDirPath())
                    .filePath(QStringLiteral("../hdmi-matrix-controller"));
    if (args.size() > 2) {
        std::fprintf(stderr, "usage: bench_startup [--runs N] PROGRAM [AFTER]\n");
        return 2;
    }

    std::vector<Figures> programs;
    for (const QString &program : std::as_const(args))
        programs.push_back({QFileInfo(program).absoluteFilePath(), {}, {}});
    // Started alternately, so that a change in the machine's load falls on both alike.
    for (int run = 0; run < runs; ++run) {
        for (Figures &figures : programs) {
            const std::optional<Start> start = startOnce(figures.program);
            if (!start) {
                std::fprintf(stderr, "bench_startup: %s did not write Settings.ini\n",
                             qPrintable(figures.program));
                return 1;
            }
            figures.ms.push_back(start->ms);
            figures.mb.push_back(start->peakMb);
        }
    }

    std::printf("cold start to main window shown and Settings.ini written (offscreen), %d runs"
                "%s\n",
                runs, programs.size() == 2 ? " each, alternately" : "");
    for (const Figures &figures : programs)
        report(figures);
    const Figures &last = programs.back();
    const double ms = SpreadOf(last.ms).median;
    const double mb = SpreadOf(last.mb).median;
    std::printf("  targets: median %.1f ms <= %.0f ms %s, peak RSS %.1f MB <= %.0f MB %s\n", ms,
                TargetMs, ms <= TargetMs ? "ok" : "OVER", mb, TargetMb,
                mb <= TargetMb ? "ok" : "OVER");
    if (programs.size() == 2) {
        const double ratio = RatioOf(ms, SpreadOf(programs[0].ms).median);
        const double extraMb = mb - SpreadOf(programs[0].mb).median;
        std::printf("  after/before: start-up %.3fx (<= 1.05 %s), RSS %+.1f MB (<= +2 MB %s)\n",
                    ratio, ratio <= 1.05 ? "ok" : "OVER", extraMb, extraMb <= 2.0 ? "ok" : "OVER");
    }
    return 0;
}
