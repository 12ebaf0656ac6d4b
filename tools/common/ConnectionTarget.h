#pragma once

// Which switcher a command-line program drives: from --port or --host, or else the connection
// the desktop program would use from its Settings.ini. matrixctl and matrix-bridge share it.

#include "link/Commands.h"
#include "shell/LinkFailures.h"
#include "shell/settings/SettingsLocation.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class DesktopSettings;

/// The connection options as given on the command line.
struct ConnectionOptions
{
    QString port;     ///< --port DEVICE
    QString host;     ///< --host ADDR[:PORT]
    QString settings; ///< --settings FILE (matrix-bridge)
};

/// The switcher to drive.
struct ConnectionTarget
{
    TControlMode mode = cmCOM;
    QString serialPort;
    QString host;
    std::uint16_t tcpPort = SwitcherTcpPort;
    /// TCP control mode: the MAC of the network device whose port tags apply, or
    /// "00-00-00-00-00-00" when Settings.ini knows no device at that address.
    QString mac = QLatin1String(NoDeviceMACText);

    /// "/dev/ttyUSB0" or "192.168.1.50:8000".
    QString where() const;
    /// "serial port /dev/ttyUSB0" or "192.168.1.50:8000".
    QString describe() const;
};

namespace Connection {

/// When `arguments[index]` is one of the connection options, takes it and its value (moving
/// `index` on) and returns true; `error` is set when its value is missing.
bool TakeOption(const QStringList &arguments, int &index, ConnectionOptions &options,
                QString *error);
/// The lines of --help that describe the connection options.
QString Usage();

/// ADDR[:PORT] with a dotted IPv4 address; nullopt for anything else.
struct HostPort
{
    QString address;
    std::uint16_t port = 0;
};
std::optional<HostPort> ParseHostPort(const QString &text, std::uint16_t defaultPort);
/// Why `text`, given with --host, is not ADDR[:PORT].
QString BadHostText(const QString &text);

/// The Settings.ini to use: --settings, or the one every program of the project shares.
SettingsLocation Location(const ConnectionOptions &options);

/// Why Resolve found no switcher.
struct Unresolved
{
    QString text;
    /// Usage for the command line or settings that name no switcher; BadInput for a settings
    /// file that cannot be read.
    LinkFailures::ExitCode exitCode = LinkFailures::Usage;
};

/// The switcher the options name. The settings file is read only when they need it: without
/// --port (to find the desktop program's connection, or the network device a --host address
/// stands for).
std::optional<ConnectionTarget> Resolve(const ConnectionOptions &options, DesktopSettings &settings,
                                        Unresolved *why);

} // namespace Connection
