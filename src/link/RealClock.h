#pragma once

#include "link/WaitClock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <vector>

class QEventLoop;

/// The clock of the running program: steps run the event loop and end early on wake().
class RealClock final : public WaitClock
{
public:
    RealClock();
    ~RealClock() override;
    void pumpStep(std::chrono::milliseconds step) override;
    void sleep(std::chrono::milliseconds duration) override;
    void wake() override;
    std::int64_t elapsedMs() const override;

private:
    QElapsedTimer m_started;
    QTimer m_stepTimer; // reused by every step: a step is on the hot path of each exchange
    std::vector<std::unique_ptr<QEventLoop>> m_loops; // one per nesting depth of steps
    std::size_t m_depth = 0;
    QEventLoop *m_loop = nullptr; // the innermost step's loop, while it waits
    bool m_woken = false;
};
