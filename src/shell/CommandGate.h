#pragma once

#include "link/Commands.h"
#include "link/Frames.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

class CommandGate;
class ShellContext;
class TKXCOMControl;

/// The right to use the link for one exchange or one sequence of exchanges. While a guard
/// lives the program is busy (CommandIdle is false); the guard gives the program back to
/// idle when it ends, on every path.
class ExchangeGuard
{
public:
    ExchangeGuard(ExchangeGuard &&other) noexcept;
    ExchangeGuard &operator=(ExchangeGuard &&other) noexcept;
    ExchangeGuard(const ExchangeGuard &) = delete;
    ExchangeGuard &operator=(const ExchangeGuard &) = delete;
    ~ExchangeGuard();

    /// The link; valid while the guard lives (the link is not released under a guard).
    TKXCOMControl &link() const;
    /// Sends one command frame: `statusText` in the operation panel, "Done" on success.
    void RunCommand(const QString &statusText, const TCommandFrame &frame,
                    TCommandResult &result) const;
    /// Ends the exchange now rather than at the end of the scope.
    void release();

private:
    friend class CommandGate;
    explicit ExchangeGuard(CommandGate &gate) : m_gate(&gate) {}

    CommandGate *m_gate = nullptr;
};

/// The one gate every exchange with the switcher passes. Two doors:
/// - tryBegin(): for what the operator starts. Refuses silently while the program closes,
///   connects once when not connected (and refuses silently when that fails), and refuses
///   with "In processing, command ignored" while another exchange runs.
/// - enqueue(): for work that must not be lost (a poll, a request from a remote client). The
///   job runs from the event loop when no exchange runs, in the order given; nothing is
///   dropped. A job passes tryBegin() like any other caller.
/// A job that only looks (the window's routing poll) begins with tryBeginBackground() instead:
/// it gives way to the operator. Operator input that arrives while it runs asks it to yield;
/// it ends at its next frame boundary and the input runs after it.
class CommandGate : public QObject
{
    Q_OBJECT
public:
    using Job = std::function<void()>;

    explicit CommandGate(ShellContext &context);

    /// The guards; on success the exchange has begun and `statusText` is in the operation
    /// panel.
    std::optional<ExchangeGuard> tryBegin(const QString &statusText);
    /// The same, leaving the operation panel as it is.
    std::optional<ExchangeGuard> tryBegin();
    /// The guards alone, for an operation that first asks the operator: true when an
    /// exchange could begin now.
    bool canBegin();
    /// Marks the link busy without the guards: for a later step of a sequence whose first
    /// step passed them (a restart wait after the restart command, say).
    ExchangeGuard hold();
    /// One command frame through tryBegin(); Success is 0 when refused.
    void RunCommand(const QString &statusText, std::uint8_t command, std::uint8_t subcommand,
                    std::uint16_t p1, std::uint16_t p2, std::uint16_t p3, std::uint16_t p4,
                    TCommandResult &result);
    template <typename Sub>
    void RunCommand(const QString &statusText, Command command, Sub subcommand, std::uint16_t p1,
                    std::uint16_t p2, TCommandResult &result)
    {
        RunCommand(statusText, std::uint8_t(command), std::uint8_t(subcommand), p1, p2, 0, 0,
                   result);
    }

    /// Queues a job to run when the link is free.
    void enqueue(Job job);
    std::size_t queuedJobs() const { return m_jobs.size(); }
    /// An exchange is running.
    bool busy() const;

    /// The door of background reads: never connects, never shows a text, and refuses
    /// silently while closing, while not connected, while an exchange runs, while the link
    /// searches, opens or configures, and while background work is paused.
    std::optional<ExchangeGuard> tryBeginBackground();
    bool backgroundRunning() const { return m_background; }
    /// The operator wants the link: the background job ends at its next frame boundary.
    void requestYield();
    /// Checked by a background job after every frame.
    bool yieldRequested() const { return m_yieldRequested; }
    /// No background job begins until resumeBackground() (held operator input runs first).
    void pauseBackground() { m_backgroundPaused = true; }
    void resumeBackground();

signals:
    /// An exchange has ended and the program is idle again.
    void becameIdle();
    /// A background job has ended, finished or yielded.
    void backgroundEnded();

private:
    friend class ExchangeGuard;
    void end();
    void scheduleJobs();
    void runJobs();

    ShellContext &m_context;
    std::deque<Job> m_jobs;
    bool m_scheduled = false;
    bool m_running = false;
    bool m_background = false;
    bool m_yieldRequested = false;
    bool m_backgroundPaused = false;
};
