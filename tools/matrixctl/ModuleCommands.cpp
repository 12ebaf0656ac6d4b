// module discover, query and reset: the switcher's network module.

#include "CommandTable.h"
#include "Confirm.h"
#include "ExitCodes.h"
#include "Output.h"
#include "Session.h"

#include "lanmodule/DeviceEntry.h"
#include "lanmodule/ModuleRecords.h"
#include "link/KXCOMControl.h"
#include "link/LanRecords.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"

#include <QJsonArray>
#include <QNetworkInterface>

namespace {

/// The directed broadcast address of a network interface that can broadcast, or nothing.
QString BroadcastAddress(const QString &interfaceName)
{
    const QNetworkInterface interface = QNetworkInterface::interfaceFromName(interfaceName);
    if (!interface.isValid() || !interface.flags().testFlag(QNetworkInterface::CanBroadcast))
        return {};
    for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
        const QHostAddress broadcast = entry.broadcast();
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !broadcast.isNull() &&
            broadcast != QHostAddress::AnyIPv4)
            return broadcast.toString();
    }
    return {};
}

/// The LDCD exchanges run over the serial line only; an exit code for any other target.
std::optional<int> RefuseWithoutSerial(CommandContext &context,
                                       std::optional<ConnectionTarget> &target)
{
    int exitCode = 0;
    target = context.target(exitCode);
    if (!target)
        return exitCode;
    if (target->mode != cmCOM)
        return context.usage(QStringLiteral("the network module answers over the serial port "
                                            "only: give --port"));
    return std::nullopt;
}

/// One LDCD exchange through the gate; the answer, or nothing after writing why.
std::optional<TLDCDRecord> Exchange(Session &session, Output &out, const TLDCDRecord &request,
                                    const QString &status, const QString &failed, int &exitCode)
{
    TLDCDResult result;
    {
        std::optional<ExchangeGuard> exchange = session.gate().tryBegin(status);
        if (exchange)
            exchange->link().SendLDCD(request, result);
    }
    if (!result.Success) {
        session.context().ShowStatus(StatusPanel::Operation, failed, true);
        exitCode = session.report(out, LinkFailures::Refused, failed);
        return std::nullopt;
    }
    return result.Reply;
}

int Query(Session &session, Output &out)
{
    int exitCode = 0;
    const auto reply = Exchange(session, out, ModuleRecords::QueryRequest(),
                                QStringLiteral("Query TCP Module information ..."),
                                QStringLiteral("Query TCP Module failed"), exitCode);
    if (!reply)
        return exitCode;
    session.context().ShowStatus(StatusPanel::Operation, QStringLiteral("Query TCP Module ok"));
    const ModuleRecords::ModuleInfo info = ModuleRecords::InfoTexts(*reply);
    out.result(
        {info.version, info.dhcp, info.address},
        {{QStringLiteral("version"),
          QString::number((*reply)[17]) + QLatin1Char('.') + QString::number((*reply)[18])},
         {QStringLiteral("dhcp"), (*reply)[19] != 0},
         {QStringLiteral("address"), LanRecords::DottedIPv4(std::span(*reply).subspan(20, 4))}});
    return 0;
}

} // namespace

int RunModuleDiscover(CommandContext &context)
{
    const QString host = context.value(QStringLiteral("host"));
    const QString interfaceName = context.value(QStringLiteral("broadcast"));
    if (!host.isEmpty() && !interfaceName.isEmpty())
        return context.usage(QStringLiteral("give either --host or --broadcast, not both"));
    ConnectionTarget target;
    target.mode = cmLAN;
    TUDPMode mode = umBROADCAST;
    if (!host.isEmpty()) {
        const std::optional<Connection::HostPort> parsed =
            Connection::ParseHostPort(host, SwitcherTcpPort);
        if (!parsed)
            return context.usage(Connection::BadHostText(host));
        target.host = parsed->address;
        mode = umNORMAL;
    } else if (!interfaceName.isEmpty()) {
        target.host = BroadcastAddress(interfaceName);
        if (target.host.isEmpty())
            return context.usage(interfaceName +
                                 QStringLiteral(" is no interface with an IPv4 broadcast address"));
        mode = umNORMAL;
    }

    Session session(context.env(), target);
    TKXCOMControl &link = session.link();
    link.setUDPMode(mode);
    link.SearchDevices();

    QStringList lines;
    QJsonArray devices;
    for (int device = 1; device <= link.DeviceCount(); ++device) {
        const QString mac = link.GetDeviceItem(device, 0);
        const QString ip = link.GetDeviceItem(device, 1);
        const QString tag = link.GetDeviceItem(device, 6);
        const QString dhcp = DeviceEntry::ModeOfDhcpItem(link.GetDeviceItem(device, 7));
        const QString entry = DeviceEntry::Make(
            tag, dhcp, ip, mac, DeviceEntry::SubnetText(mode == umNORMAL && !host.isEmpty()));
        lines.append(mac + QStringLiteral("  ") + ip + QStringLiteral("  ") + dhcp +
                     QStringLiteral("  ") + tag);
        devices.append(
            QJsonObject{{QStringLiteral("mac"), mac},
                        {QStringLiteral("ip"), ip},
                        {QStringLiteral("tag"), tag},
                        {QStringLiteral("dhcp"), dhcp == QLatin1String(DeviceEntry::AutoIPText)},
                        {QStringLiteral("entry"), entry}});
    }
    context.out().result(lines, {{QStringLiteral("devices"), devices}});
    if (devices.isEmpty())
        return context.out().fail(LinkFailures::NoAnswer,
                                  QStringLiteral("no network module answered"));
    return 0;
}

int RunModuleQuery(CommandContext &context)
{
    std::optional<ConnectionTarget> target;
    if (const auto refused = RefuseWithoutSerial(context, target))
        return *refused;
    int exitCode = 0;
    const std::unique_ptr<Session> session = context.connect(exitCode);
    if (!session)
        return exitCode;
    return Query(*session, context.out());
}

int RunModuleReset(CommandContext &context)
{
    std::optional<ConnectionTarget> target;
    if (const auto refused = RefuseWithoutSerial(context, target))
        return *refused;
    int exitCode = 0;
    if (!Confirmed(context,
                   QStringLiteral("Reset the network module of the switcher on ") +
                       target->where() +
                       QStringLiteral(" to its defaults (static address 192.168.0.100)?"),
                   QStringLiteral("Yes"), exitCode))
        return exitCode;
    const std::unique_ptr<Session> session = context.connect(exitCode);
    if (!session)
        return exitCode;
    if (!Exchange(*session, context.out(), ModuleRecords::ResetRequest(),
                  QStringLiteral("Reset Default ..."), QStringLiteral("Reset Default failed"),
                  exitCode))
        return exitCode;
    session->context().ShowStatus(StatusPanel::Operation, QStringLiteral("Reset Default ok"));
    context.out().note(QStringLiteral("Reset Default ok"));
    // As on the desktop, the module's state after the reset is read back at once.
    return Query(*session, context.out());
}
