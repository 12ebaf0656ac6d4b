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
    const RoutingState::Certainty certainty = state.certainty(output);
    state.setPending(output, input);

    TCommandResult result;
    m_context.gate().RunCommand(QStringLiteral("Setting..."), Command::Routing,
                                RoutingSub::SetRoute, std::uint16_t(input), std::uint16_t(output),
                                result);
    if (result.Success) {
        state.confirm(output);
        const bool known = certainty == RoutingState::Certainty::Confirmed;
        emit routed(output, known ? previous : 0, input);
        return true;
    }
    // The switcher kept its routing: show what it was before.
    state.restore(output, previous, certainty);
    RoutingAborted = true;
    emit routeRefused(output);
    return false;
}

void RoutingController::step(int output, bool previous)
{
    const int current = m_context.routing().input(output);
    const int ports = m_context.routing().inputs();
    int input = previous ? current - 1 : current + 1;
    // Outside the offered inputs (also from a number no button stands for) the steps wrap:
    // previous lands on the last input, next on the first.
    if (input < 1 || input > ports)
        input = previous ? ports : 1;
    route(output, input);
}

void RoutingController::routeSeveral(int count, int output, int input)
{
    const Batch action(*this);
    RoutingAborted = false;
    const int ports = m_context.routing().outputs();
    int first = output;
    int last = std::min(output + count - 1, ports);
    if (count == AllOutputsTag || count == PortToPortTag) {
        first = 1;
        last = ports;
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
    const int outputs = m_context.routing().outputs();
    for (int output = 1; output <= outputs; ++output) {
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

RoutingController::Batch::Batch(RoutingController &controller) : m_controller(controller)
{
    if (m_controller.m_batchDepth++ == 0)
        emit m_controller.batchBegun();
}

RoutingController::Batch::~Batch()
{
    if (--m_controller.m_batchDepth == 0)
        emit m_controller.batchEnded();
}
