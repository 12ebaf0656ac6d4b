// monitor: the routing as it changes on the switcher (front panel, remote, other programs).

#include "CommandTable.h"
#include "Interrupt.h"
#include "Output.h"
#include "Session.h"
#include "shell/devicestatus/SwitcherQueries.h"

#include "link/Commands.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

namespace {

constexpr int DefaultIntervalMs = 1000;

/// Polls the routing through the gate's queue, one poll after the other, and writes each
/// change; the first poll writes the routing it starts from.
class RoutingMonitor
{
public:
    RoutingMonitor(Session &session, Output &out, int outputs, int intervalMs, int count)
        : m_session(session), m_out(out), m_outputs(outputs), m_count(count)
    {
        m_next.setSingleShot(true);
        m_next.setInterval(intervalMs);
        QObject::connect(&m_next, &QTimer::timeout, [this] { schedulePoll(); });
    }

    /// Runs until stopped, the change count is reached or a poll fails; the exit code.
    int run()
    {
        Interrupt interrupt;
        QObject::connect(&interrupt, &Interrupt::requested, [this] { stop(0); });
        schedulePoll();
        m_loop.exec();
        m_next.stop();
        return m_exitCode;
    }

private:
    void schedulePoll()
    {
        m_session.gate().enqueue([this] { poll(); });
    }

    void stop(int exitCode)
    {
        if (m_stopped)
            return;
        m_stopped = true;
        m_exitCode = exitCode;
        // A poll waiting for the switcher ends at its next step.
        m_session.context().flags().StopRequested = true;
        m_loop.quit();
    }

    void poll()
    {
        if (m_stopped)
            return;
        const std::optional<QList<int>> inputs = ReadRouting(m_session.gate(), m_outputs);
        if (m_stopped)
            return;
        if (!inputs) {
            stop(m_session.report(m_out));
            return;
        }
        for (int output = 1; output <= inputs->size(); ++output) {
            const int input = inputs->at(output - 1);
            const std::optional<int> previous =
                m_last.isEmpty() ? std::nullopt : std::optional<int>(m_last.at(output - 1));
            if (previous == input)
                continue;
            write(output, input, previous);
            if (previous && m_count > 0 && ++m_changes >= m_count) {
                stop(0);
                return;
            }
        }
        m_last = *inputs;
        m_next.start();
    }

    void write(int output, int input, std::optional<int> previous)
    {
        // Local time with its offset from UTC, so that lines from several hosts compare.
        const QDateTime now = QDateTime::currentDateTime();
        const QString time = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs);
        QString line = time + QLatin1Char(' ') + PortName(true, output) + QStringLiteral(": ");
        if (previous)
            line += PortName(false, *previous) + QStringLiteral(" -> ");
        line += PortName(false, input);
        m_out.event(line, {{QStringLiteral("time"), time},
                           {QStringLiteral("output"), output},
                           {QStringLiteral("input"), input},
                           {QStringLiteral("previous"),
                            previous ? QJsonValue(*previous) : QJsonValue::Null}});
    }

    Session &m_session;
    Output &m_out;
    int m_outputs;
    int m_count;
    int m_changes = 0;
    QList<int> m_last;
    QTimer m_next;
    QEventLoop m_loop;
    bool m_stopped = false;
    int m_exitCode = 0;
};

} // namespace

int RunMonitor(CommandContext &context)
{
    int intervalMs = DefaultIntervalMs;
    if (context.isSet(QStringLiteral("interval-ms"))) {
        const std::optional<int> value = PortNumber(context.value(QStringLiteral("interval-ms")));
        if (!value)
            return context.usage(QStringLiteral("--interval-ms needs a number of milliseconds"));
        intervalMs = *value;
    }
    int count = 0;
    if (context.isSet(QStringLiteral("count"))) {
        const std::optional<int> value = PortNumber(context.value(QStringLiteral("count")));
        if (!value)
            return context.usage(QStringLiteral("--count needs a number from 1"));
        count = *value;
    }
    int exitCode = 0;
    SwitcherSize size;
    const std::unique_ptr<Session> session = context.connectSized(exitCode, size);
    if (!session)
        return exitCode;
    RoutingMonitor monitor(*session, context.out(), size.outputs, intervalMs, count);
    return monitor.run();
}
