#include "VirtualClock.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

void VirtualClock::pumpStep(std::chrono::milliseconds step)
{
    ++m_steps;
    m_woken = false;
    QCoreApplication::processEvents();
    if (m_woken)
        return;
    if (m_realPause.count() > 0) {
        QThread::usleep(static_cast<unsigned long>(m_realPause.count()));
        QCoreApplication::processEvents();
        if (m_woken)
            return;
    }
    runDueActions(m_now + step.count(), true);
    QCoreApplication::processEvents();
}

void VirtualClock::sleep(std::chrono::milliseconds duration)
{
    m_slept += duration.count();
    runDueActions(m_now + duration.count(), false);
}

void VirtualClock::schedule(std::chrono::milliseconds delay, std::function<void()> action)
{
    m_actions.emplace(m_now + delay.count(), std::move(action));
}

void VirtualClock::advance(std::chrono::milliseconds duration)
{
    runDueActions(m_now + duration.count(), false);
    QCoreApplication::processEvents();
}

void VirtualClock::runDueActions(std::int64_t until, bool stopOnWake)
{
    while (!m_actions.empty() && m_actions.begin()->first <= until) {
        auto node = m_actions.extract(m_actions.begin());
        m_now = std::max(m_now, node.key());
        node.mapped()();
        if (stopOnWake) {
            // Inside a step events run, so what the action posted is handled at its time.
            QCoreApplication::processEvents();
            if (m_woken)
                return;
        }
    }
    m_now = std::max(m_now, until);
}
