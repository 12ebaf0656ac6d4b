#pragma once

#include "link/Commands.h"

#include <QString>

#include <cstdint>
#include <optional>

class IniDocument;
struct AppSettings;

/// The switcher matrixctl talks to: a serial port, or a network module's address and port.
struct Target
{
    enum class Kind { Serial, Tcp };

    Kind kind = Kind::Serial;
    QString port;
    QString host;
    std::uint16_t tcpPort = SwitcherTcpPort;
    /// The network module's MAC text when the desktop program knows the device; it chooses
    /// the port tags of a network switcher.
    QString mac = QLatin1String(NoDeviceMACText);

    /// "/dev/ttyUSB0" or "192.168.1.50:8000".
    QString where() const;
};

/// "A.B.C.D" or "A.B.C.D:PORT"; nothing (and the reason) for anything else.
std::optional<Target> ParseHost(const QString &text, QString *error);

/// The connection of the command line (`port` or `host`), or with neither the one the
/// desktop program would use from its settings. Nothing (and the reason) when there is none.
std::optional<Target> ResolveTarget(const QString &port, const QString &host,
                                    const AppSettings &desktop, QString *error);
