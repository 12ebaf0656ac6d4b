#include "shell/CommandGate.h"

#include "link/KXCOMControl.h"
#include "shell/ShellContext.h"
#include "shell/ShellLogging.h"
#include "shell/ShellTexts.h"
#include "shell/connection/ConnectionController.h"

#include <utility>

ExchangeGuard::ExchangeGuard(ExchangeGuard &&other) noexcept
    : m_gate(std::exchange(other.m_gate, nullptr))
{
}

ExchangeGuard &ExchangeGuard::operator=(ExchangeGuard &&other) noexcept
{
    if (this != &other) {
        release();
        m_gate = std::exchange(other.m_gate, nullptr);
    }
    return *this;
}

ExchangeGuard::~ExchangeGuard()
{
    release();
}

TKXCOMControl &ExchangeGuard::link() const
{
    return *m_gate->m_context.link();
}

void ExchangeGuard::RunCommand(const QString &statusText, const TCommandFrame &frame,
                               TCommandResult &result) const
{
    ShellContext &context = m_gate->m_context;
    context.ShowStatus(StatusPanel::Operation, statusText);
    link().SendCommand(frame, result);
    if (result.Success)
        context.ShowStatus(StatusPanel::Operation, ShellTexts::Done());
}

void ExchangeGuard::release()
{
    if (CommandGate *gate = std::exchange(m_gate, nullptr))
        gate->end();
}

CommandGate::CommandGate(ShellContext &context) : QObject(&context), m_context(context) {}

bool CommandGate::busy() const
{
    return !m_context.flags().CommandIdle;
}

std::optional<ExchangeGuard> CommandGate::tryBegin(const QString &statusText)
{
    std::optional<ExchangeGuard> guard = tryBegin();
    if (guard)
        m_context.ShowStatus(StatusPanel::Operation, statusText);
    return guard;
}

std::optional<ExchangeGuard> CommandGate::tryBegin()
{
    if (!canBegin())
        return std::nullopt;
    return hold();
}

bool CommandGate::canBegin()
{
    ProgramFlags &flags = m_context.flags();
    if (flags.StopRequested || !m_context.link())
        return false;
    // A connect under way (its wait runs events) is not started a second time from inside.
    if (m_context.link()->Opening())
        return false;
    if (!m_context.link()->Connected())
        m_context.connection().connectOrDisconnect();
    if (!m_context.link() || !m_context.link()->Connected())
        return false;
    if (!flags.CommandIdle) {
        qCDebug(lcShell) << "refused: another exchange runs";
        // A background read gives way: the operator tries again once it has ended.
        if (m_background)
            requestYield();
        else
            m_context.ShowStatus(StatusPanel::Hint, ShellTexts::Busy());
        return false;
    }
    return true;
}

std::optional<ExchangeGuard> CommandGate::tryBeginBackground()
{
    const ProgramFlags &flags = m_context.flags();
    TKXCOMControl *link = m_context.link();
    if (flags.StopRequested || !flags.CommandIdle || m_backgroundPaused || !link ||
        m_context.linkBusy() || !link->Connected())
        return std::nullopt;
    m_background = true;
    m_yieldRequested = false;
    return hold();
}

void CommandGate::requestYield()
{
    if (m_background)
        m_yieldRequested = true;
}

void CommandGate::resumeBackground()
{
    m_backgroundPaused = false;
    scheduleJobs();
}

ExchangeGuard CommandGate::hold()
{
    m_context.flags().CommandIdle = false;
    return ExchangeGuard(*this);
}

void CommandGate::RunCommand(const QString &statusText, std::uint8_t command,
                             std::uint8_t subcommand, std::uint16_t p1, std::uint16_t p2,
                             std::uint16_t p3, std::uint16_t p4, TCommandResult &result)
{
    std::optional<ExchangeGuard> guard = tryBegin(statusText);
    if (!guard) {
        result.Success = 0;
        return;
    }
    guard->RunCommand(statusText, MakeFrame(command, subcommand, p1, p2, p3, p4), result);
}

void CommandGate::end()
{
    m_context.flags().CommandIdle = true;
    const bool background = std::exchange(m_background, false);
    m_yieldRequested = false;
    // A background read leaves the hints alone: what it reported there stays.
    if (!background)
        m_context.ShowStatus(StatusPanel::Hint, QString());
    m_context.releaseLinkWhenIdle();
    emit becameIdle();
    if (background)
        emit backgroundEnded();
    scheduleJobs();
}

void CommandGate::enqueue(Job job)
{
    m_jobs.push_back(std::move(job));
    qCDebug(lcShell) << "job queued," << m_jobs.size() << "waiting";
    scheduleJobs();
}

void CommandGate::scheduleJobs()
{
    if (m_scheduled || m_jobs.empty())
        return;
    m_scheduled = true;
    // From the event loop, never from inside the exchange that just ended.
    QMetaObject::invokeMethod(this, &CommandGate::runJobs, Qt::QueuedConnection);
}

void CommandGate::runJobs()
{
    m_scheduled = false;
    if (m_running)
        return;
    m_running = true;
    // A job that finds the link busy (an exchange waits below us) stays first in line; the
    // end of that exchange schedules the queue again.
    while (!m_jobs.empty() && !busy() && !m_context.flags().StopRequested) {
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        job();
    }
    m_running = false;
}
