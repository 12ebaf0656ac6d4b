#include "shell/devicestatus/SwitcherQueries.h"

#include "link/Commands.h"
#include "link/WaitClock.h"
#include "shell/CommandGate.h"

#include <chrono>

using namespace std::chrono_literals;

namespace {

const QString InfoStatus = QStringLiteral("Getting device info ...");
/// The switcher needs a moment between two input queries.
constexpr auto InputQueryPause = 5ms;

std::optional<TCommandResult> Info(CommandGate &gate, InfoSub sub, std::uint16_t p1,
                                   const QString &status = InfoStatus)
{
    TCommandResult result;
    gate.RunCommand(status, Command::Info, sub, p1, 0, result);
    if (!result.Success)
        return std::nullopt;
    return result;
}

} // namespace

QString PortName(bool output, int port)
{
    return (output ? QStringLiteral("Output") : QStringLiteral("Input")) + QString::number(port);
}

std::optional<SwitcherSize> ReadSize(CommandGate &gate)
{
    const auto size = Info(gate, InfoSub::Size, WholeDevice);
    if (!size)
        return std::nullopt;
    return SwitcherSize{size->r4(), size->r6()};
}

std::optional<SwitcherInfo> ReadInfo(CommandGate &gate)
{
    const auto kind = Info(gate, InfoSub::Kind, WholeDevice);
    if (!kind)
        return std::nullopt;
    const std::optional<SwitcherSize> size = ReadSize(gate);
    if (!size)
        return std::nullopt;
    const auto version = Info(gate, InfoSub::Version, WholeDevice);
    if (!version)
        return std::nullopt;
    return SwitcherInfo{kind->r4(), *size, version->r4(), version->r6()};
}

std::optional<PortState> ReadPortState(CommandGate &gate, bool output, int port)
{
    const auto answer = Info(
        gate, output ? InfoSub::OutputConnection : InfoSub::InputConnection, std::uint16_t(port),
        QStringLiteral("Getting ") + PortName(output, port) + QStringLiteral(" connection ..."));
    if (!answer)
        return std::nullopt;
    if (answer->r6() == PortConnected)
        return PortState::Connected;
    if (answer->r6() == PortNotConnected)
        return PortState::NotConnected;
    return PortState::NotKnown;
}

void ReadPortStates(
    CommandGate &gate, WaitClock &clock, int inputs, int outputs,
    const std::function<void(bool output, int port, std::optional<PortState> state)> &answered)
{
    for (int port = 1; port <= inputs; ++port) {
        answered(false, port, ReadPortState(gate, false, port));
        if (port < inputs)
            clock.sleep(InputQueryPause);
    }
    for (int port = 1; port <= outputs; ++port)
        answered(true, port, ReadPortState(gate, true, port));
}

std::optional<QList<int>> ReadRouting(CommandGate &gate, int outputs)
{
    QList<int> inputs;
    for (int output = 1; output <= outputs; ++output) {
        TCommandResult result;
        gate.RunCommand(QStringLiteral("Getting Output") + QString::number(output) +
                            QStringLiteral(" ..."),
                        Command::Routing, RoutingSub::GetRoute, std::uint16_t(output), 0, result);
        if (!result.Success)
            return std::nullopt;
        inputs.append(result.r6());
    }
    return inputs;
}
