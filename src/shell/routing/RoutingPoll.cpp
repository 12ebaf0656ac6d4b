#include "shell/routing/RoutingPoll.h"

#include "link/Frames.h"
#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/routing/RoutingState.h"

namespace RoutingPoll {

namespace {

// A switcher answers a query in milliseconds; a read that waits longer would keep the
// operator's input waiting too.
constexpr ExchangeLimits PollLimits{1, 100};

} // namespace

Result Run(ShellContext &context)
{
    Result result;
    std::optional<ExchangeGuard> guard = context.gate().tryBeginBackground();
    if (!guard)
        return result;
    const ShellContext::QuietFailures quiet(context);
    RoutingState &state = context.routing();
    result.outcome = Outcome::Read;
    for (int output = 1; output <= state.outputs(); ++output) {
        TCommandResult answer;
        guard->link().SendCommand(MakeFrame(std::uint8_t(Command::Routing),
                                            std::uint8_t(RoutingSub::GetRoute),
                                            std::uint16_t(output)),
                                  answer, PollLimits);
        if (!answer.Success) {
            result.outcome = Outcome::Failed;
            result.failure = quiet.last();
            break;
        }
        const int input = answer.r6();
        const RoutingState::Certainty certainty = state.certainty(output);
        if (input != state.input(output) || certainty != RoutingState::Certainty::Confirmed) {
            result.changes.push_back(
                {output, input, certainty == RoutingState::Certainty::Confirmed});
            state.setInput(output, input);
        }
        if (context.gate().yieldRequested()) {
            result.outcome = output < state.outputs() ? Outcome::Yielded : Outcome::Read;
            break;
        }
    }
    return result;
}

} // namespace RoutingPoll
