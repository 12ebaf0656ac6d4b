#pragma once

#include "link/WaitClock.h"

#include <QElapsedTimer>
#include <QTimer>

/// The clock of the running program: steps run the event loop and end early on wake().
class RealClock final : public WaitClock
{
public:
    RealClock();
    void pumpStep(std::chrono::milliseconds step) override;
    void sleep(std::chrono::milliseconds duration) override;
    void wake() override;
    std::int64_t elapsedMs() const override;

private:
    /// One running step; steps nest when an event handler waits too.
    struct Step
    {
        bool over = false;
    };

    void armTimer(std::chrono::milliseconds step);

    QElapsedTimer m_started;
    QTimer m_stepTimer;     // reused by every step: a step is on the hot path of each exchange
    Step *m_step = nullptr; // the innermost running step
    bool m_woken = false;
};
