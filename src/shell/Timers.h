#pragma once

#include <QObject>

#include <chrono>
#include <functional>

/// The window's timed work (the routing poll, the reconnection back-off) goes through this,
/// so that the tests play it on their virtual clock.
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
