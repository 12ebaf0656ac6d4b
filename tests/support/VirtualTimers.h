#pragma once

#include "VirtualClock.h"

#include "shell/Timers.h"

#include <QPointer>

/// Timed work (the window's and the bridge's) on the virtual clock: an action runs when virtual
/// time reaches it.
class VirtualTimers final : public Timers
{
public:
    explicit VirtualTimers(VirtualClock &clock) : m_clock(clock) {}

    void after(std::chrono::milliseconds delay, QObject *context,
               std::function<void()> action) override
    {
        m_clock.schedule(delay, [context = QPointer(context), action = std::move(action)] {
            if (context)
                action();
        });
    }

private:
    VirtualClock &m_clock;
};
