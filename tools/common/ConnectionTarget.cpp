#include "ConnectionTarget.h"

#include "DesktopSettings.h"

#include "lanmodule/DeviceEntry.h"

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

/// The address of a device entry; empty when it has none a connection can go to (0.0.0.0
/// would reach this machine).
QString EntryIP(const QString &entry)
{
    const QString ip =
        NormalizedIPv4(DeviceEntry::GetEntryField(entry, DeviceEntry::IP)).value_or(QString());
    return ip == QLatin1String("0.0.0.0") ? QString() : ip;
}

/// The MAC of the network device at `host`, the selected one first.
QString MacOfDevice(const AppSettings &settings, const QString &host)
{
    QStringList entries{SelectedDevice(settings)};
    entries += settings.devices;
    for (const QString &entry : std::as_const(entries)) {
        const QString mac = DeviceEntry::GetEntryField(entry, DeviceEntry::MAC);
        if (!entry.isEmpty() && EntryIP(entry) == host && !mac.isEmpty())
            return mac;
    }
    return QLatin1String(NoDeviceMACText);
}

} // namespace

QString ConnectionTarget::where() const
{
    if (mode == cmCOM)
        return serialPort;
    return host + QLatin1Char(':') + QString::number(tcpPort);
}

QString ConnectionTarget::describe() const
{
    return mode == cmCOM ? QStringLiteral("serial port ") + serialPort : where();
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

QString BadHostText(const QString &text)
{
    return QStringLiteral("--host: not ADDR[:PORT] with an IPv4 address: ") + text;
}

SettingsLocation Location(const ConnectionOptions &options)
{
    if (options.settings.isEmpty())
        return SettingsLocation::forThisProgram();
    const QFileInfo file(options.settings);
    return SettingsLocation(file.absolutePath(), file.absoluteFilePath());
}

std::optional<ConnectionTarget> Resolve(const ConnectionOptions &options, DesktopSettings &settings,
                                        Unresolved *why)
{
    const auto fail = [why](const QString &text, LinkFailures::ExitCode exitCode) {
        *why = {text, exitCode};
        return std::nullopt;
    };
    if (!options.port.isEmpty() && !options.host.isEmpty())
        return fail(QStringLiteral("--port and --host exclude each other"), LinkFailures::Usage);
    ConnectionTarget target;
    if (!options.port.isEmpty()) {
        target.serialPort = options.port;
        return target;
    }
    std::optional<HostPort> hostPort;
    if (!options.host.isEmpty()) {
        hostPort = ParseHostPort(options.host, SwitcherTcpPort);
        if (!hostPort)
            return fail(BadHostText(options.host), LinkFailures::Usage);
    }
    const AppSettings *desktop = settings.values();
    if (!desktop)
        return fail(settings.error(), LinkFailures::BadInput);

    if (hostPort) {
        target.host = hostPort->address;
        target.tcpPort = hostPort->port;
    } else if (desktop->lanMode) {
        target.host = EntryIP(SelectedDevice(*desktop));
        if (target.host.isEmpty())
            return fail(settings.path() +
                            QStringLiteral(" names TCP control mode but no network device; use "
                                           "--port or --host"),
                        LinkFailures::Usage);
    } else {
        target.serialPort = desktop->comPort;
        if (target.serialPort.isEmpty())
            return fail(settings.path() +
                            QStringLiteral(" names no serial port; use --port or --host"),
                        LinkFailures::Usage);
        return target;
    }
    // The port tags of a network device are kept under its MAC.
    target.mode = cmLAN;
    target.mac = MacOfDevice(*desktop, target.host);
    return target;
}

} // namespace Connection
