// status: what the desktop program's "Device status" button shows.

#include "CommandTable.h"
#include "Output.h"
#include "Session.h"
#include "SwitcherQueries.h"

#include "link/WaitClock.h"
#include "shell/ShellContext.h"
#include "shell/devicestatus/DeviceStatusReader.h"

#include <QJsonArray>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto InputQueryPause = 5ms; // as the desktop program pauses between input queries

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
    QStringList lines{QStringLiteral("Device: ") + kind + QStringLiteral(", ") +
                          QString::number(info->size.inputs) + QLatin1Char('x') +
                          QString::number(info->size.outputs),
                      QStringLiteral("Version: ") + QString::number(info->major) +
                          QLatin1Char('.') + QString::number(info->minor)};
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
    for (const bool output : {false, true}) {
        const int ports = output ? info->size.outputs : info->size.inputs;
        QJsonArray states;
        for (int port = 1; port <= ports; ++port) {
            const std::optional<PortState> state = ReadPortState(session->gate(), output, port);
            complete = complete && state.has_value();
            lines.append(PortName(output, port) + QStringLiteral(": ") + StateText(state));
            states.append(QJsonObject{{QStringLiteral("port"), port},
                                      {QStringLiteral("connected"), StateJson(state)}});
            if (!output && port < ports)
                session->context().clock().sleep(InputQueryPause);
        }
        document.insert(output ? QStringLiteral("outputPorts") : QStringLiteral("inputPorts"),
                        states);
    }
    context.out().result(lines, document);
    return complete ? 0 : session->report(context.out());
}
