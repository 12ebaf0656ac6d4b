#include "shell/connection/AutoReconnect.h"

#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/Timers.h"
#include "shell/connection/ConnectionController.h"

#include <algorithm>

AutoReconnect::AutoReconnect(ShellContext &context, Timers &timers, QObject *parent)
    : QObject(parent), m_context(context), m_connection(context.connection()), m_timers(timers)
{
    connect(&m_connection, &ConnectionController::connectionLost, this, &AutoReconnect::lost);
    connect(&m_connection, &ConnectionController::reconnectingChanged, this, [this](bool on) {
        if (on)
            return;
        if (m_attempt > 0)
            m_context.ShowStatus(StatusPanel::Hint, QStringLiteral("Reconnecting stopped"));
        stop();
    });
    // Any connection that opens (also the operator's own) ends the waiting.
    connect(&m_connection, &ConnectionController::connectionChanged, this, [this](bool open) {
        if (open)
            m_connection.setReconnecting(false);
    });
    connect(&context, &ShellContext::deviceSelected, this,
            [this] { m_connection.setReconnecting(false); });
}

std::chrono::seconds AutoReconnect::DelayBefore(int attempt)
{
    const int doublings = std::clamp(attempt - 1, 0, 5);
    return std::min(FirstDelay * (1 << doublings), LongestDelay);
}

void AutoReconnect::setEnabled(bool on)
{
    m_enabled = on;
    if (!on)
        m_connection.setReconnecting(false);
}

QString AutoReconnect::target() const
{
    const TKXCOMControl *link = m_context.link();
    if (!link)
        return {};
    return link->ControlMode() == cmCOM ? link->ComPort() : link->DeviceIP();
}

void AutoReconnect::lost()
{
    if (!m_enabled || m_context.flags().StopRequested)
        return;
    m_attempt = 0;
    m_connection.setReconnecting(true);
    schedule();
}

void AutoReconnect::schedule()
{
    ++m_attempt;
    const auto delay = DelayBefore(m_attempt);
    m_context.ShowStatus(StatusPanel::Hint, QStringLiteral("Connection lost, reconnecting to ") +
                                                target() + QStringLiteral(" in ") +
                                                QString::number(delay.count()) +
                                                QStringLiteral(" s (attempt ") +
                                                QString::number(m_attempt) + QLatin1Char(')'));
    m_timers.after(delay, this, [this, generation = m_generation] {
        if (generation == m_generation)
            attempt();
    });
}

void AutoReconnect::attempt()
{
    if (!m_connection.reconnecting() || m_context.flags().StopRequested)
        return;
    // A network search or configuration uses the link: try again later.
    if (m_context.linkBusy()) {
        schedule();
        return;
    }
    m_context.ShowStatus(StatusPanel::Hint, QStringLiteral("Reconnecting to ") + target() +
                                                QStringLiteral(" (attempt ") +
                                                QString::number(m_attempt) +
                                                QStringLiteral(") ..."));
    const bool open = m_connection.reopen();
    // The operator may have pressed the button while the attempt waited.
    if (!open && !m_connection.reconnecting())
        return;
    if (!open) {
        schedule();
        return;
    }
    m_context.ShowStatus(StatusPanel::Hint, QStringLiteral("Reconnected to ") + target());
    emit reconnected();
}

void AutoReconnect::stop()
{
    ++m_generation;
    m_attempt = 0;
}
