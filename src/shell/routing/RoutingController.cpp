#include "shell/routing/RoutingController.h"

#include "link/Commands.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/routing/RoutingState.h"

#include <algorithm>

RoutingController::RoutingController(ShellContext &context, QObject *parent)
    : QObject(parent), m_context(context)
{
}

bool RoutingController::route(int output, int input)
{
    RoutingState &state = m_context.routing();
    const int previous = state.input(output);
    state.setInput(output, input);

    TCommandResult result;
    m_context.gate().RunCommand(QStringLiteral("Setting..."), Command::Routing,
                                RoutingSub::SetRoute, std::uint16_t(input), std::uint16_t(output),
                                result);
    if (result.Success)
        return true;
    // The switcher kept its routing: show what it was before.
    state.setInput(output, previous);
    RoutingAborted = true;
    emit routeRefused(output);
    return false;
}

void RoutingController::step(int output, bool previous)
{
    const int current = m_context.routing().input(output);
    int input = previous ? current - 1 : current + 1;
    // Outside the four inputs (also from a number no button stands for) the steps wrap:
    // previous lands on the last input, next on the first.
    if (input < 1 || input > VisiblePorts)
        input = previous ? VisiblePorts : 1;
    route(output, input);
}

void RoutingController::routeSeveral(int count, int output, int input)
{
    RoutingAborted = false;
    int first = output;
    int last = std::min(output + count - 1, VisiblePorts);
    if (count == AllOutputsTag || count == PortToPortTag) {
        first = 1;
        last = VisiblePorts;
    }
    for (int target = first; target <= last; ++target) {
        route(target, count == PortToPortTag ? target : input);
        if (RoutingAborted)
            break;
    }
}

bool RoutingController::RefreshRouting()
{
    TCommandResult result;
    for (int output = 1; output <= VisiblePorts; ++output) {
        result = TCommandResult{};
        m_context.gate().RunCommand(
            QStringLiteral("Getting Output") + QString::number(output) + QStringLiteral(" ..."),
            Command::Routing, RoutingSub::GetRoute, std::uint16_t(output), 0, result);
        if (!result.Success)
            break;
        m_context.routing().setInput(output, result.r6());
    }
    return result.Success != 0;
}
