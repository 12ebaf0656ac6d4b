#pragma once

#include <QString>

#include <vector>

class ShellContext;

/// One background read of the routing: the GetRoute queries of the offered outputs through
/// the gate's background door. It never connects and never writes the operation panel; each
/// query gets one attempt of at most a second, and a failure is kept quiet for the caller to
/// report. It gives way to the operator: when operator input asks the gate to yield, the
/// frame in flight finishes and the rest of the read is dropped. Outputs whose input differs
/// from the one shown are set to what the switcher answered.
namespace RoutingPoll {

enum class Outcome {
    Skipped, ///< the gate did not let it begin (busy, not connected, closing)
    Read,    ///< every offered output was read
    Yielded, ///< operator input came first; the outputs read so far are shown
    Failed,  ///< a query failed; the outputs read before it are shown
};

/// An output whose input was not the one shown.
struct Change
{
    int output = 0;
    int input = 0;
    /// The view showed a confirmed input before: the switcher changed it by itself.
    bool wasKnown = false;
};

struct Result
{
    Outcome outcome = Outcome::Skipped;
    std::vector<Change> changes;
    /// What the failed query would have shown, e.g. "Time out!".
    QString failure;
};

Result Run(ShellContext &context);

} // namespace RoutingPoll
