#pragma once

#include "shell/routing/RoutingPoll.h"

#include <QDateTime>
#include <QObject>

#include <chrono>
#include <functional>

class ShellContext;
class Timers;

/// "Follow switcher changes": while it is on, the routing is read in the background every
/// two seconds (RoutingPoll through the gate's queue), so that a change made on the front
/// panel or with the remote shows in the view. A change is said in the hint panel and in the
/// diagnostic trace ("10:42:07 Output2 now shows Input3 (changed on the switcher)"). Failed
/// reads stay silent until three in a row have failed.
class RoutingFollower : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds Interval{2000};
    static constexpr int FailuresReported = 3;

    RoutingFollower(ShellContext &context, Timers &timers, QObject *parent = nullptr);

    void setEnabled(bool on);
    bool enabled() const { return m_enabled; }
    /// One read as soon as the link is free, whether following is on or not (the line came
    /// back).
    void readNow();
    /// Where the time of day of the messages comes from.
    void setNowSource(std::function<QDateTime()> now) { m_now = std::move(now); }

    /// "Output2 now shows Input3 (changed on the switcher)", after the time of day.
    static QString ChangeText(const QTime &time, int output, int input);

signals:
    /// A read has ended (for tests and benches).
    void polled(RoutingPoll::Outcome outcome);

private:
    void scheduleTick();
    void tick();
    void queueRead();
    void read();
    void say(const QString &text);

    ShellContext &m_context;
    Timers &m_timers;
    std::function<QDateTime()> m_now = &QDateTime::currentDateTime;
    bool m_enabled = false;
    bool m_queued = false;
    int m_generation = 0;
    int m_failures = 0;
};
