#pragma once

#include <QObject>

#include <chrono>
#include <functional>

namespace Bridge {

/// The bridge's timed work (the poll, the reconnect back-off, a client's time-out) goes
/// through this, so that the tests play it on their virtual clock.
class Timers
{
public:
    virtual ~Timers() = default;
    /// Runs `action` once, `delay` from now, unless `context` has been destroyed by then.
    virtual void after(std::chrono::milliseconds delay, QObject *context,
                       std::function<void()> action) = 0;
};

/// Qt's single-shot timers: the running program.
class QtTimers final : public Timers
{
public:
    void after(std::chrono::milliseconds delay, QObject *context,
               std::function<void()> action) override;
};

} // namespace Bridge
