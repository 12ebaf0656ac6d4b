#pragma once

// Which switcher a command-line program drives, and how: from --port or --host, or else the
// connection the desktop program would use from its Settings.ini. Kept in one place so that
// the command-line programs share it.

#include "link/Commands.h"
#include "link/QtTransportFactory.h"
#include "link/Transport.h"
#include "shell/SettingsLocation.h"
#include "shell/connection/PortLister.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class ShellContext;

/// The connection options as given on the command line.
struct ConnectionOptions
{
    QString port;     ///< --port DEVICE
    QString host;     ///< --host ADDR[:PORT]
    QString settings; ///< --settings FILE
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

/// The Settings.ini to read: --settings, or the desktop program's.
SettingsLocation Location(const ConnectionOptions &options);
/// The switcher the options (or the settings file) name; nullopt with the reason otherwise.
std::optional<ConnectionTarget> Resolve(const ConnectionOptions &options,
                                        const SettingsLocation &location, QString *error);
/// Puts the context into the target's control mode, with its port or device selected and
/// its port tags loaded. The context's port lister must be a TargetPortLister.
void Apply(ShellContext &context, const ConnectionTarget &target);

} // namespace Connection

/// The real endpoints, the TCP client towards the target's port.
class TargetTransports final : public TransportFactory
{
public:
    explicit TargetTransports(std::uint16_t tcpPort) : m_tcpPort(tcpPort) {}
    std::unique_ptr<StreamEndpoint> createSerial() override { return m_qt.createSerial(); }
    std::unique_ptr<StreamEndpoint> createTcp() override;
    std::unique_ptr<DatagramEndpoint> createUdp() override { return m_qt.createUdp(); }
    QString localIPv4() const override { return m_qt.localIPv4(); }

private:
    QtTransportFactory m_qt;
    std::uint16_t m_tcpPort;
};

/// A port list of exactly the chosen serial port (none in TCP control mode).
class TargetPortLister final : public PortLister
{
public:
    explicit TargetPortLister(const QString &port) : m_port(port) {}
    QStringList ports() const override
    {
        return m_port.isEmpty() ? QStringList{} : QStringList{m_port};
    }

private:
    QString m_port;
};
