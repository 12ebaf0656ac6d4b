#pragma once

// A route through a front end (A) against the same route by a bare link client (B), measured
// pair by pair, A then B, so that a change in the machine's load falls on both alike. Shared
// by the front ends' bench programs.

#include "BenchStats.h"

#include "link/Commands.h"
#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "link/QtTransportFactory.h"
#include "link/RealClock.h"

#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

/// Starts `program` (matrix-sim) for one TCP client on `address`; true once it has said so.
inline bool StartSimulator(QProcess &sim, const QString &program, const QString &address)
{
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(program, {QStringLiteral("--tcp"), address});
    return sim.waitForStarted() && sim.waitForReadyRead(5000);
}

/// Starts the front end's simulator and the bare client's, both matrix-sim of `dir`; false,
/// said on stderr, when one does not start.
inline bool StartSimulators(QProcess &frontEndSim, const QString &frontEndAddress,
                            QProcess &bareSim, const QString &bareAddress, const QString &dir)
{
    const QString program = dir + QStringLiteral("matrix-sim");
    if (StartSimulator(frontEndSim, program, frontEndAddress) &&
        StartSimulator(bareSim, program, bareAddress))
        return true;
    std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
    return false;
}

/// Starts matrix-bridge with `arguments`; true once it has reached its simulator, otherwise
/// its log goes to stderr.
inline bool StartBridge(QProcess &bridge, const QString &program, const QStringList &arguments)
{
    bridge.start(program, arguments);
    QByteArray log;
    QElapsedTimer waited;
    waited.start();
    while (!log.contains("reached") && waited.elapsed() < 5000) {
        bridge.waitForReadyRead(100);
        log += bridge.readAllStandardError();
    }
    if (!log.contains("reached"))
        std::fprintf(stderr, "matrix-bridge did not reach its simulator:\n%s", log.constData());
    return log.contains("reached");
}

/// The B side: the program's own link in TCP control mode towards a simulator of its own.
struct BareLink
{
    explicit BareLink(const QString &address)
    {
        link.setControlMode(cmLAN);
        link.setDeviceIP(address);
    }

    RealClock clock;
    QtTransportFactory factory;
    ProgramFlags flags;
    TKXCOMControl link{flags, factory, clock};
};

struct PairedFigures
{
    std::vector<double> frontEndMedians;
    std::vector<double> addedMedians;
};

/// `runs` rounds of `pairs` pairs after `warmUp` unmeasured ones. `frontEnd(input)` routes
/// input 1 or 2 to output 1 through the front end and returns false when it failed; `bare`
/// is an open link to a switcher of its own. Figures are in `unit` ("us" or "ms").
template <typename FrontEndRoute>
bool MeasurePairs(int runs, int pairs, int warmUp, const char *frontEndName, FrontEndRoute frontEnd,
                  TKXCOMControl &bare, const char *unit, PairedFigures &figures)
{
    const double nanoseconds = unit[0] == 'm' ? 1e6 : 1e3;
    const auto print = [unit](const char *what, const Spread &spread) {
        std::printf("  %-26s p10 %8.3f %s  median %8.3f %s  p90 %8.3f %s\n", what, spread.p10, unit,
                    spread.median, unit, spread.p90, unit);
    };
    QElapsedTimer timer;
    for (int run = 1; run <= runs; ++run) {
        std::vector<double> a, b, added;
        for (int i = -warmUp; i < pairs; ++i) {
            const int input = (i & 1) + 1;
            timer.start();
            if (!frontEnd(input)) {
                std::fprintf(stderr, "the %s failed a route\n", frontEndName);
                return false;
            }
            const double throughFrontEnd = double(timer.nsecsElapsed()) / nanoseconds;
            TCommandResult result;
            timer.start();
            bare.SendCommand(MakeFrame(std::uint8_t(Command::Routing),
                                       std::uint8_t(RoutingSub::SetRoute), std::uint16_t(input), 1),
                             result);
            const double direct = double(timer.nsecsElapsed()) / nanoseconds;
            if (!result.Success) {
                std::fprintf(stderr, "the bare link failed\n");
                return false;
            }
            if (i < 0)
                continue;
            a.push_back(throughFrontEnd);
            b.push_back(direct);
            added.push_back(throughFrontEnd - direct);
        }
        const Spread sa = SpreadOf(a), sb = SpreadOf(b), sd = SpreadOf(added);
        std::printf("run %d\n", run);
        print("A through the front end", sa);
        print("B bare link", sb);
        print("A - B, pair by pair", sd);
        figures.frontEndMedians.push_back(sa.median);
        figures.addedMedians.push_back(sd.median);
    }
    return true;
}

/// Prints how the medians of A and the added time spread across the runs; returns the
/// largest added median.
inline double ReportPairs(const PairedFigures &figures, const char *unit, double target)
{
    const auto [low, high] =
        std::minmax_element(figures.frontEndMedians.begin(), figures.frontEndMedians.end());
    const auto [addedLow, addedHigh] =
        std::minmax_element(figures.addedMedians.begin(), figures.addedMedians.end());
    std::printf("medians of A across runs: %.3f .. %.3f %s, spread %.1f %% (target <= 10 %%)\n",
                *low, *high, unit, (RatioOf(*high, *low) - 1.0) * 100.0);
    std::printf("added by the front end across runs: %.3f .. %.3f %s (target < %g %s): %s\n",
                *addedLow, *addedHigh, unit, target, unit, *addedHigh < target ? "met" : "NOT MET");
    return *addedHigh;
}
