#include "Target.h"

#include "lanmodule/DeviceEntry.h"
#include "shell/settings/AppSettings.h"

namespace {

bool IsDottedIPv4(const QString &text)
{
    const QStringList octets = text.split(QLatin1Char('.'));
    if (octets.size() != 4)
        return false;
    for (const QString &octet : octets) {
        bool ok = false;
        const int value = octet.toInt(&ok, 10);
        if (!ok || value < 0 || value > 255 || octet.isEmpty())
            return false;
    }
    return true;
}

/// The MAC of the known network device at `ip`, if the desktop program lists one.
QString MacOfDevice(const AppSettings &desktop, const QString &ip)
{
    for (const QString &entry : desktop.devices) {
        if (DeviceEntry::GetEntryField(entry, DeviceEntry::IP) == ip)
            return DeviceEntry::GetEntryField(entry, DeviceEntry::MAC);
    }
    return QLatin1String(NoDeviceMACText);
}

} // namespace

QString Target::where() const
{
    if (kind == Kind::Serial)
        return port;
    return host + QLatin1Char(':') + QString::number(tcpPort);
}

std::optional<Target> ParseHost(const QString &text, QString *error)
{
    Target target;
    target.kind = Target::Kind::Tcp;
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 2 || !IsDottedIPv4(parts.first())) {
        *error = QStringLiteral("--host needs an IPv4 address, optionally with :PORT (got \"") +
                 text + QStringLiteral("\")");
        return std::nullopt;
    }
    target.host = parts.first();
    if (parts.size() == 2) {
        bool ok = false;
        const uint port = parts[1].toUInt(&ok, 10);
        if (!ok || port == 0 || port > 65535) {
            *error = QStringLiteral("--host: bad TCP port \"") + parts[1] + QLatin1Char('"');
            return std::nullopt;
        }
        target.tcpPort = std::uint16_t(port);
    }
    return target;
}

std::optional<Target> ResolveTarget(const QString &port, const QString &host,
                                    const AppSettings &desktop, QString *error)
{
    if (!port.isEmpty() && !host.isEmpty()) {
        *error = QStringLiteral("give either --port or --host, not both");
        return std::nullopt;
    }
    if (!port.isEmpty()) {
        Target target;
        target.port = port;
        return target;
    }
    if (!host.isEmpty()) {
        std::optional<Target> target = ParseHost(host, error);
        if (target)
            target->mac = MacOfDevice(desktop, target->host);
        return target;
    }
    // The desktop program's connection: its control mode, then its port or selected device.
    if (desktop.lanMode) {
        const QString ip = DeviceEntry::GetEntryField(desktop.device, DeviceEntry::IP);
        if (desktop.device.isEmpty() || !IsDottedIPv4(ip) || ip == QLatin1String("0.0.0.0")) {
            *error = QStringLiteral("the desktop program has no network device selected: "
                                    "give --port or --host");
            return std::nullopt;
        }
        Target target;
        target.kind = Target::Kind::Tcp;
        target.host = ip;
        target.mac = DeviceEntry::GetEntryField(desktop.device, DeviceEntry::MAC);
        return target;
    }
    if (desktop.comPort.isEmpty()) {
        *error = QStringLiteral("the desktop program has no serial port saved: "
                                "give --port or --host");
        return std::nullopt;
    }
    Target target;
    target.port = desktop.comPort;
    return target;
}
