#pragma once

#include "ConnectionTarget.h"

#include "link/Transport.h"
#include "shell/LinkFailures.h"

#include <memory>
#include <optional>

class CommandGate;
class PortLister;
class ShellContext;
class TKXCOMControl;
class WaitClock;

/// A failure the link reported, with what the endpoint knew about it.
struct RecordedFailure
{
    int code = 0;
    LinkFailures::Failure failure;
    StreamEndpoint::Failure reason = StreamEndpoint::Failure::None;
    /// The system's words for a failed open or a broken connection; may be empty.
    QString systemText;

    LinkFailures::ExitCode exitCode() const { return failure.exitCode; }
    /// The failure's text from the table; for a port or switcher that another program holds
    /// "<where> is in use by another program"; for a failed open or a broken connection
    /// followed by the system's reason.
    QString message(const QString &where) const;
    /// What the user can do about it, when there is something: joining the group that may open
    /// serial ports.
    QString hint(TControlMode mode) const;
};

/// The link to one switcher for a command-line program: a ShellContext on the given
/// transports and clock, a port list of exactly the chosen port, no blinking, the target's
/// control mode with its port or network device selected and its port tags loaded. It
/// records the failures the link reports, with the line's reason.
class SwitcherSession
{
public:
    SwitcherSession(TransportFactory &transports, WaitClock &clock,
                    const SettingsLocation &settings, const ConnectionTarget &target);
    ~SwitcherSession();
    SwitcherSession(const SwitcherSession &) = delete;
    SwitcherSession &operator=(const SwitcherSession &) = delete;

    const ConnectionTarget &target() const { return m_target; }
    ShellContext &context() const { return *m_context; }
    CommandGate &gate() const;
    TKXCOMControl &link() const;

    /// Opens the serial port or connects to the module now, without the pause the Connect
    /// button lets a fresh port settle for; false when that failed (recorded).
    bool open();

    /// The first failure since the session began or since forgetFailure().
    const std::optional<RecordedFailure> &failure() const { return m_failure; }
    void forgetFailure() { m_failure.reset(); }

private:
    void onNotification(int code, qint64 wParam, qint64 lParam);

    ConnectionTarget m_target;
    std::unique_ptr<PortLister> m_ports;
    std::unique_ptr<ShellContext> m_context;
    std::optional<RecordedFailure> m_failure;
};
