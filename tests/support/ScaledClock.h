#pragma once

#include "link/WaitClock.h"

#include <QElapsedTimer>

class QEventLoop;

/// A clock for tests against real transports: steps run the event loop and really wait, but
/// only a tenth (by default) of their length, and sleeps do not block at all. elapsedMs()
/// reports the program's time, so a restart wait of seconds or a blinking status text passes
/// in a fraction of that, while bytes on a pseudo-terminal or socket still arrive in real
/// time.
class ScaledClock final : public WaitClock
{
public:
    explicit ScaledClock(int divisor = 10);

    void pumpStep(std::chrono::milliseconds step) override;
    void sleep(std::chrono::milliseconds duration) override;
    void wake() override;
    std::int64_t elapsedMs() const override { return m_now; }

    std::int64_t sleptMs() const { return m_slept; }

private:
    int m_divisor;
    std::int64_t m_now = 0;
    std::int64_t m_slept = 0;
    QEventLoop *m_loop = nullptr;
    bool m_woken = false;
};
