// status: what the desktop program's "Device status" button shows.

#include "CommandTable.h"
#include "Output.h"
#include "Session.h"

#include "shell/ShellContext.h"
#include "shell/devicestatus/DeviceStatusReader.h"
#include "shell/devicestatus/SwitcherQueries.h"

#include <QJsonArray>

namespace {

QString StateText(std::optional<PortState> state)
{
    if (state == PortState::Connected)
        return QStringLiteral("Connected");
    if (state == PortState::NotConnected)
        return QStringLiteral("Not connected");
    return QStringLiteral("Not known");
}

QJsonValue StateJson(std::optional<PortState> state)
{
    if (state == PortState::Connected)
        return true;
    if (state == PortState::NotConnected)
        return false;
    return QJsonValue::Null;
}

} // namespace

int RunStatus(CommandContext &context)
{
    int exitCode = 0;
    const std::unique_ptr<Session> session = context.connect(exitCode);
    if (!session)
        return exitCode;
    const std::optional<SwitcherInfo> info = ReadInfo(session->gate());
    if (!info)
        return session->report(context.out());

    const QString kind = DeviceStatusReader::KindName(info->kind);
    QStringList lines{DeviceStatusReader::DeviceText(*info),
                      DeviceStatusReader::VersionText(*info)};
    QJsonObject document{
        {QStringLiteral("kind"), info->kind},
        {QStringLiteral("device"), kind},
        {QStringLiteral("inputs"), info->size.inputs},
        {QStringLiteral("outputs"), info->size.outputs},
        {QStringLiteral("version"),
         QString::number(info->major) + QLatin1Char('.') + QString::number(info->minor)}};
    // A port whose query fails reads "Not known" and the next port is asked all the same,
    // as on the desktop; the command then ends with that failure.
    bool complete = true;
    QJsonArray inputStates;
    QJsonArray outputStates;
    ReadPortStates(session->gate(), session->context().clock(), info->size.inputs,
                   info->size.outputs, [&](bool output, int port, std::optional<PortState> state) {
                       complete = complete && state.has_value();
                       lines.append(PortName(output, port) + QStringLiteral(": ") +
                                    StateText(state));
                       (output ? outputStates : inputStates)
                           .append(QJsonObject{{QStringLiteral("port"), port},
                                               {QStringLiteral("connected"), StateJson(state)}});
                   });
    document.insert(QStringLiteral("inputPorts"), inputStates);
    document.insert(QStringLiteral("outputPorts"), outputStates);
    context.out().result(lines, document);
    return complete ? 0 : session->report(context.out());
}
