#include "BridgeConnection.h"

#include "lanmodule/DeviceEntry.h"
#include "link/KXCOMControl.h"
#include "link/TcpEndpoint.h"
#include "shell/IniDocument.h"
#include "shell/ShellContext.h"
#include "shell/connection/ConnectionController.h"
#include "shell/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

/// Dotted IPv4 text with each octet in plain decimal, or nothing.
std::optional<QString> NormalizedIPv4(const QString &text)
{
    const QStringList octets = text.trimmed().split(QLatin1Char('.'));
    if (octets.size() != 4)
        return std::nullopt;
    QStringList normalized;
    for (const QString &octet : octets) {
        bool ok = false;
        const int value = octet.toInt(&ok, 10);
        if (!ok || octet.isEmpty() || octet.size() > 3 || value < 0 || value > 255)
            return std::nullopt;
        normalized << QString::number(value);
    }
    return normalized.join(QLatin1Char('.'));
}

/// The device the desktop program selects: the entry named in "TCP control device", else the
/// first of the list.
QString SelectedDevice(const AppSettings &settings)
{
    for (const QString &entry : settings.devices) {
        if (DeviceEntry::SameEntry(entry, settings.device))
            return entry;
    }
    return settings.devices.isEmpty() ? QString() : settings.devices.first();
}

QString EntryIP(const QString &entry)
{
    return NormalizedIPv4(DeviceEntry::GetEntryField(entry, DeviceEntry::IP)).value_or(QString());
}

} // namespace

QString ConnectionTarget::describe() const
{
    if (mode == cmCOM)
        return QStringLiteral("serial port ") + serialPort;
    return host + QLatin1Char(':') + QString::number(tcpPort);
}

std::unique_ptr<StreamEndpoint> TargetTransports::createTcp()
{
    return std::make_unique<TcpEndpoint>(m_tcpPort);
}

namespace Connection {

bool TakeOption(const QStringList &arguments, int &index, ConnectionOptions &options,
                QString *error)
{
    const QString &name = arguments[index];
    QString *value = name == QLatin1String("--port")       ? &options.port
                     : name == QLatin1String("--host")     ? &options.host
                     : name == QLatin1String("--settings") ? &options.settings
                                                           : nullptr;
    if (!value)
        return false;
    if (index + 1 >= arguments.size() || arguments[index + 1].isEmpty()) {
        *error = name + QStringLiteral(": a value is missing");
        return true;
    }
    *value = arguments[++index];
    return true;
}

QString Usage()
{
    return QStringLiteral(
        "The switcher (the first that applies):\n"
        "  --port DEVICE          over this serial port (/dev/ttyUSB0)\n"
        "  --host ADDR[:PORT]     over TCP to the network module at this IPv4 address\n"
        "                         (port 8000 when not given)\n"
        "  neither                the connection the desktop program uses, from its\n"
        "                         Settings.ini\n"
        "  --settings FILE        the Settings.ini to read the connection, the network\n"
        "                         devices and the port tags from (default: the desktop\n"
        "                         program's)\n");
}

std::optional<HostPort> ParseHostPort(const QString &text, std::uint16_t defaultPort)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const auto address = NormalizedIPv4(colon < 0 ? text : text.left(colon));
    if (!address)
        return std::nullopt;
    HostPort result{*address, defaultPort};
    if (colon >= 0) {
        bool ok = false;
        const QString digits = text.mid(colon + 1);
        const uint port = digits.toUInt(&ok, 10);
        if (!ok || digits.size() > 5 || port < 1 || port > 65535)
            return std::nullopt;
        result.port = std::uint16_t(port);
    }
    return result;
}

SettingsLocation Location(const ConnectionOptions &options)
{
    if (!options.settings.isEmpty()) {
        const QFileInfo file(options.settings);
        return SettingsLocation(file.absolutePath(), file.absoluteFilePath());
    }
    // The desktop program's file: beside the executables, or in the desktop program's own
    // configuration folder, which Qt names after the application.
    const QString name = QCoreApplication::applicationName();
    const QString organization = QCoreApplication::organizationName();
    QCoreApplication::setApplicationName(QStringLiteral("hdmi-matrix-controller"));
    QCoreApplication::setOrganizationName(QStringLiteral("hdmi-matrix-controller"));
    const SettingsLocation location =
        SettingsLocation::resolve(QCoreApplication::applicationDirPath());
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setOrganizationName(organization);
    return location;
}

std::optional<ConnectionTarget> Resolve(const ConnectionOptions &options,
                                        const SettingsLocation &location, QString *error)
{
    if (!options.port.isEmpty() && !options.host.isEmpty()) {
        *error = QStringLiteral("--port and --host exclude each other");
        return std::nullopt;
    }
    IniDocument ini;
    QString readError;
    if (!ini.load(location.filePath(), &readError)) {
        *error =
            QStringLiteral("cannot read ") + location.filePath() + QStringLiteral(": ") + readError;
        return std::nullopt;
    }
    const AppSettings settings = SettingsStore::read(ini);

    ConnectionTarget target;
    if (!options.port.isEmpty()) {
        target.serialPort = options.port;
        return target;
    }
    if (!options.host.isEmpty()) {
        const auto hostPort = ParseHostPort(options.host, SwitcherTcpPort);
        if (!hostPort) {
            *error =
                QStringLiteral("--host: not ADDR[:PORT] with an IPv4 address: ") + options.host;
            return std::nullopt;
        }
        target.host = hostPort->address;
        target.tcpPort = hostPort->port;
    } else if (settings.lanMode) {
        target.host = EntryIP(SelectedDevice(settings));
        if (target.host.isEmpty()) {
            *error = location.filePath() +
                     QStringLiteral(" names TCP control mode but no network device; use "
                                    "--port or --host");
            return std::nullopt;
        }
    } else {
        target.serialPort = settings.comPort;
        if (target.serialPort.isEmpty()) {
            *error =
                location.filePath() + QStringLiteral(" names no serial port; use --port or --host");
            return std::nullopt;
        }
        return target;
    }

    // The port tags of a network device are kept under its MAC: the device with this address,
    // the selected one first.
    target.mode = cmLAN;
    QStringList entries{SelectedDevice(settings)};
    entries += settings.devices;
    for (const QString &entry : std::as_const(entries)) {
        const QString mac = DeviceEntry::GetEntryField(entry, DeviceEntry::MAC);
        if (!entry.isEmpty() && EntryIP(entry) == target.host && !mac.isEmpty()) {
            target.mac = mac;
            break;
        }
    }
    return target;
}

void Apply(ShellContext &context, const ConnectionTarget &target)
{
    ConnectionController &connection = context.connection();
    if (target.mode == cmCOM) {
        connection.RefreshComPortList();
        connection.rbCOMModeClick();
    } else {
        context.selectDevice(target.mac, target.host);
        connection.rbLANModeClick();
    }
}

} // namespace Connection
