#include "link/RealClock.h"

#include <QCoreApplication>
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
    m_woken = false;
    QCoreApplication::processEvents();
    if (m_woken) {
        m_woken = false;
        return;
    }
    // Steps nest when an event handler waits too (a dialog, a notification). The timer
    // belongs to the innermost step; an outer step that resumes ends at once, which only
    // shortens that one step.
    QEventLoop loop;
    QEventLoop *outer = m_loop;
    m_loop = &loop;
    m_stepTimer.start(step);
    loop.exec();
    m_stepTimer.stop();
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
