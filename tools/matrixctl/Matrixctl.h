#pragma once

#include "shell/settings/SettingsLocation.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QIODevice;
class TransportFactory;
class WaitClock;

inline constexpr const char *MatrixctlVersion = "1.0";

/// What matrixctl runs on and where it writes. The program hands in the real clock, the real
/// transports and the standard streams; the tests hand in a virtual clock and buffers.
struct Environment
{
    QIODevice *out = nullptr;
    QIODevice *err = nullptr;
    QIODevice *in = nullptr;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
    bool inIsTerminal = false;

    WaitClock *clock = nullptr;
    /// Makes the transports; `tcpPort` is the remote port of the network module.
    std::function<std::unique_ptr<TransportFactory>(std::uint16_t tcpPort)> transports;
    /// The desktop program's Settings.ini.
    SettingsLocation settings;
    /// Where a merged firmware file goes when no file name is given.
    QString workingDir;
};

/// Runs one command line (without the program name) and returns the exit code.
int RunMatrixctl(const QStringList &arguments, Environment &env);
