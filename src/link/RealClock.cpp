#include "link/RealClock.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdlib>

RealClock::RealClock()
{
    m_started.start();
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_stepTimer, &QTimer::timeout, [this] {
        if (m_step)
            m_step->over = true;
    });
}

void RealClock::pumpStep(std::chrono::milliseconds step)
{
    // A wake() between steps (an answer completed while no step was waiting) ends this step
    // at once.
    if (m_woken) {
        m_woken = false;
        return;
    }
    // Each round of the dispatcher runs what is pending and returns once something has
    // happened; the step ends when the timer or a wake() says so. No event loop is quit, so
    // an answer does not cost a wake-up of the dispatcher on top of its own arrival.
    // Steps nest when an event handler waits too (a dialog, a notification): the timer
    // belongs to the innermost step, and an outer step that resumes ends at once, which only
    // shortens that one step.
    Step self;
    Step *outer = m_step;
    m_step = &self;
    armTimer(step);
    while (!self.over)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_step = outer;
    if (outer)
        outer->over = true;
    m_woken = false;
}

void RealClock::armTimer(std::chrono::milliseconds step)
{
    // The timer stays armed after a step: the next one most likely ends at the same moment
    // (the rest of the same tick, or the first tick of the next exchange a few microseconds
    // later), and re-arming it for every step costs more than the exchange's own work. A step
    // may so end up to a millisecond early or late; the link counts its ticks on the clock.
    if (m_stepTimer.isActive() && std::abs(m_stepTimer.remainingTime() - step.count()) <= 1)
        return;
    m_stepTimer.start(step);
}

void RealClock::sleep(std::chrono::milliseconds duration)
{
    QThread::msleep(static_cast<unsigned long>(duration.count()));
}

void RealClock::wake()
{
    m_woken = true;
    if (m_step)
        m_step->over = true;
}

std::int64_t RealClock::elapsedMs() const
{
    return m_started.elapsed();
}
