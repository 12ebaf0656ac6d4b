#pragma once

#include <chrono>
#include <cstdint>

// Every wait of the program goes through one clock: "run pending events, then wait up to one
// step". The real clock ends a step early as soon as wake() is called, so an answer that
// arrives in 0.1 ms is handled in 0.1 ms; tests use a virtual clock that never sleeps.
class WaitClock
{
public:
    virtual ~WaitClock() = default;

    /// Runs pending events, then waits until `step` has passed or wake() is called.
    virtual void pumpStep(std::chrono::milliseconds step) = 0;
    /// Blocks for `duration` without running events.
    virtual void sleep(std::chrono::milliseconds duration) = 0;
    /// Ends the current step early (the awaited bytes are complete).
    virtual void wake() = 0;
    /// Monotonic milliseconds since the clock was made.
    virtual std::int64_t elapsedMs() const = 0;
};
