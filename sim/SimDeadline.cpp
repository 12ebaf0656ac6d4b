#include "SimDeadline.h"

#include <algorithm>
#include <cstdint>
#include <ctime>

#include <sys/timerfd.h>
#include <unistd.h>

SimDeadline::SimDeadline(QObject *parent)
    : QObject(parent), m_timer(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
{
    m_notifier.setSocket(m_timer.get());
    m_notifier.setEnabled(m_timer.valid());
    connect(&m_notifier, &QSocketNotifier::activated, this, &SimDeadline::fire);
}

qint64 SimDeadline::NowUs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

void SimDeadline::start(qint64 dueUs)
{
    // An expiry time of zero disarms a timer: a moment already past is the next microsecond.
    itimerspec due{};
    const qint64 at = std::max<qint64>(dueUs, 1);
    due.it_value.tv_sec = time_t(at / 1'000'000);
    due.it_value.tv_nsec = long(at % 1'000'000) * 1000;
    ::timerfd_settime(m_timer.get(), TFD_TIMER_ABSTIME, &due, nullptr);
}

void SimDeadline::stop()
{
    const itimerspec disarmed{};
    ::timerfd_settime(m_timer.get(), 0, &disarmed, nullptr);
}

void SimDeadline::fire()
{
    std::uint64_t expirations = 0;
    if (::read(m_timer.get(), &expirations, sizeof expirations) == sizeof expirations)
        emit expired();
}
