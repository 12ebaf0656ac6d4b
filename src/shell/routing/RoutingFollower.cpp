#include "shell/routing/RoutingFollower.h"

#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/TextLog.h"
#include "shell/Timers.h"

#include <QPointer>

RoutingFollower::RoutingFollower(ShellContext &context, Timers &timers, QObject *parent)
    : QObject(parent), m_context(context), m_timers(timers)
{
}

QString RoutingFollower::ChangeText(const QTime &time, int output, int input)
{
    return time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" Output") +
           QString::number(output) + QStringLiteral(" now shows Input") + QString::number(input) +
           QStringLiteral(" (changed on the switcher)");
}

void RoutingFollower::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    m_failures = 0;
    ++m_generation; // a tick still on its way belongs to the previous setting
    if (on)
        scheduleTick();
}

void RoutingFollower::scheduleTick()
{
    m_timers.after(Interval, this, [this, generation = m_generation] {
        if (generation != m_generation)
            return;
        tick();
    });
}

void RoutingFollower::tick()
{
    // The next read is due two seconds after this one was, however long this one waits.
    scheduleTick();
    queueRead();
}

void RoutingFollower::readNow()
{
    queueRead();
}

void RoutingFollower::queueRead()
{
    // One read waits in the queue at most: a long operation does not pile them up.
    if (m_queued)
        return;
    m_queued = true;
    m_context.gate().enqueue([self = QPointer(this)] {
        if (!self)
            return;
        self->m_queued = false;
        self->read();
    });
}

void RoutingFollower::read()
{
    const RoutingPoll::Result result = RoutingPoll::Run(m_context);
    for (const RoutingPoll::Change &change : result.changes) {
        if (change.wasKnown)
            say(ChangeText(m_now().time(), change.output, change.input));
    }
    if (result.outcome == RoutingPoll::Outcome::Failed) {
        if (++m_failures == FailuresReported) {
            say(m_now().time().toString(QStringLiteral("HH:mm:ss")) +
                QStringLiteral(" Routing not read ") + QString::number(FailuresReported) +
                QStringLiteral(" times in a row: ") + result.failure);
        }
    } else if (result.outcome != RoutingPoll::Outcome::Skipped) {
        m_failures = 0;
    }
    emit polled(result.outcome);
}

void RoutingFollower::say(const QString &text)
{
    m_context.ShowStatus(StatusPanel::Hint, text);
    m_context.diagnostics().add(text);
}
