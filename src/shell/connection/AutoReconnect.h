#pragma once

#include <QObject>

#include <chrono>

class ConnectionController;
class ShellContext;
class Timers;

/// "Reconnect automatically": when the line the operator opened is lost, it is opened again
/// after 1, 2, 4 ... at most 30 seconds, with the attempts in the hint panel. When it is back,
/// `reconnected` is emitted (the window reads the routing again). Pressing the Connect button
/// (which says Disconnect meanwhile), changing the control mode or the device, or switching
/// the option off stops it.
class AutoReconnect : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::seconds FirstDelay{1};
    static constexpr std::chrono::seconds LongestDelay{30};

    AutoReconnect(ShellContext &context, Timers &timers, QObject *parent = nullptr);

    void setEnabled(bool on);
    bool enabled() const { return m_enabled; }
    /// The wait before attempt `attempt` (1, 2, ...): 1, 2, 4 ... 30 s.
    static std::chrono::seconds DelayBefore(int attempt);

signals:
    void reconnected();

private:
    void lost();
    void schedule();
    void attempt();
    void stop();
    /// What the link reconnects to: the port name or the device address.
    QString target() const;

    ShellContext &m_context;
    ConnectionController &m_connection;
    Timers &m_timers;
    bool m_enabled = false;
    int m_attempt = 0;
    int m_generation = 0;
};
