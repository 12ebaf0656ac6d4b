#include "ScaledClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

ScaledClock::ScaledClock(int divisor) : m_divisor(std::max(divisor, 1)) {}

void ScaledClock::pumpStep(std::chrono::milliseconds step)
{
    QElapsedTimer real;
    real.start();
    m_woken = false;
    QCoreApplication::processEvents();
    if (!m_woken) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(std::max<std::int64_t>(step.count() / m_divisor, 1));
        QEventLoop *outer = m_loop;
        m_loop = &loop;
        loop.exec();
        m_loop = outer;
    }
    m_woken = false;
    // Program time moves by the scaled real time, never beyond the step itself.
    const std::int64_t passed = real.nsecsElapsed() * m_divisor / 1'000'000;
    m_now += std::clamp<std::int64_t>(passed, 0, step.count());
}

void ScaledClock::sleep(std::chrono::milliseconds duration)
{
    m_now += duration.count();
    m_slept += duration.count();
}

void ScaledClock::wake()
{
    m_woken = true;
    if (m_loop)
        m_loop->quit();
}
