#include "link/RealClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

RealClock::RealClock()
{
    m_started.start();
}

void RealClock::pumpStep(std::chrono::milliseconds step)
{
    m_woken = false;
    QCoreApplication::processEvents();
    if (m_woken) {
        m_woken = false;
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(step);
    // Steps nest when an event handler waits too; wake() ends the innermost one, and the
    // outer ones see the flag when they resume.
    QEventLoop *outer = m_loop;
    m_loop = &loop;
    loop.exec();
    m_loop = outer;
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
