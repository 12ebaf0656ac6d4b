#include "link/RealClock.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

RealClock::RealClock()
{
    m_started.start();
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_stepTimer, &QTimer::timeout, [this] {
        if (m_loop)
            m_loop->quit();
    });
}

RealClock::~RealClock() = default;

void RealClock::pumpStep(std::chrono::milliseconds step)
{
    // A wake() between steps (an answer completed while no step was waiting) ends this step
    // at once.
    if (m_woken) {
        m_woken = false;
        return;
    }
    // The step's loop runs the pending events first, then waits until wake() or the timer
    // ends it. Steps nest when an event handler waits too (a dialog, a notification): the
    // timer belongs to the innermost step, and an outer step that resumes ends at once,
    // which only shortens that one step. One loop per nesting depth is kept, since a step
    // runs on the hot path of every exchange.
    if (m_depth == m_loops.size())
        m_loops.push_back(std::make_unique<QEventLoop>());
    QEventLoop *loop = m_loops[m_depth].get();
    QEventLoop *outer = m_loop;
    ++m_depth;
    m_loop = loop;
    m_stepTimer.start(step);
    loop->exec();
    m_stepTimer.stop();
    --m_depth;
    m_loop = outer;
    if (outer)
        outer->quit();
    m_woken = false;
}

void RealClock::sleep(std::chrono::milliseconds duration)
{
    QThread::msleep(static_cast<unsigned long>(duration.count()));
}

void RealClock::wake()
{
    m_woken = true;
    if (m_loop)
        m_loop->quit();
}

std::int64_t RealClock::elapsedMs() const
{
    return m_started.elapsed();
}
