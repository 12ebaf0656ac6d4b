#pragma once

#include "link/WaitClock.h"

#include <functional>
#include <map>

/// A clock for tests: steps run pending events and advance virtual time without sleeping.
/// Scheduled actions run when virtual time reaches them, so a device that answers after
/// 20 ms, or never, is played out in microseconds of real time.
class VirtualClock final : public WaitClock
{
public:
    void pumpStep(std::chrono::milliseconds step) override;
    void sleep(std::chrono::milliseconds duration) override;
    void wake() override { m_woken = true; }
    std::int64_t elapsedMs() const override { return m_now; }

    /// Runs `action` once virtual time has advanced by `delay`.
    void schedule(std::chrono::milliseconds delay, std::function<void()> action);
    /// Advances time by `duration`, running due actions and events, without a wait.
    void advance(std::chrono::milliseconds duration);

    /// With real transports (a pseudo-terminal, loopback TCP) a step also gives the other end
    /// this much real time to answer, while still counting the step's full virtual length.
    void setRealPausePerStep(std::chrono::microseconds pause) { m_realPause = pause; }

    int steps() const { return m_steps; }
    std::int64_t sleptMs() const { return m_slept; }

private:
    void runDueActions(std::int64_t until, bool stopOnWake);

    std::int64_t m_now = 0;
    std::int64_t m_slept = 0;
    int m_steps = 0;
    std::chrono::microseconds m_realPause{0};
    bool m_woken = false;
    std::multimap<std::int64_t, std::function<void()>> m_actions;
};
