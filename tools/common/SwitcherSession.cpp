#include "SwitcherSession.h"

#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/connection/ConnectionController.h"
#include "shell/connection/PortLister.h"

namespace {

/// The system's port list as a command-line program sees it: the one port it was told to use.
class ChosenPortLister final : public PortLister
{
public:
    explicit ChosenPortLister(const QString &port) : m_port(port) {}
    QStringList ports() const override
    {
        return m_port.isEmpty() ? QStringList() : QStringList{m_port};
    }

private:
    QString m_port;
};

bool IsConnectionFailure(int code)
{
    return code == NotifyOpenCloseFailed || code == NotifyAccessFailed;
}

} // namespace

QString RecordedFailure::message(const QString &where) const
{
    if (failure.exitCode == LinkFailures::InUse)
        return LinkFailures::InUseText(where);
    if (IsConnectionFailure(code) && !systemText.isEmpty())
        return failure.text + QStringLiteral(": ") + systemText;
    return failure.text;
}

QString RecordedFailure::hint(TControlMode mode) const
{
    if (reason == StreamEndpoint::Failure::Permission && mode == cmCOM)
        return LinkFailures::SerialPermissionHint();
    return {};
}

SwitcherSession::SwitcherSession(TransportFactory &transports, WaitClock &clock,
                                 const SettingsLocation &settings, const ConnectionTarget &target)
    : m_target(target), m_ports(std::make_unique<ChosenPortLister>(
                            target.mode == cmCOM ? target.serialPort : QString()))
{
    m_context = std::make_unique<ShellContext>(transports, clock, *m_ports, settings);
    // Nobody watches a status bar: a failure must not hold the program for its blink.
    m_context->status().setBlinking(false);
    // After the context's own handler, so that the link's state is read as the program
    // reads it.
    QObject::connect(m_context->link(), &TKXCOMControl::notify, m_context.get(),
                     [this](int code, qint64 wParam, qint64 lParam, const QString &) {
                         onNotification(code, wParam, lParam);
                     });

    ConnectionController &connection = m_context->connection();
    if (target.mode == cmCOM) {
        connection.RefreshComPortList();
        connection.rbCOMModeClick();
        link().setComPort(target.serialPort);
    } else {
        m_context->selectDevice(target.mac, target.host);
        connection.rbLANModeClick();
    }
}

SwitcherSession::~SwitcherSession() = default;

CommandGate &SwitcherSession::gate() const
{
    return m_context->gate();
}

TKXCOMControl &SwitcherSession::link() const
{
    return *m_context->link();
}

bool SwitcherSession::open()
{
    return link().Open();
}

void SwitcherSession::onNotification(int code, qint64 wParam, qint64 lParam)
{
    if (m_failure)
        return;
    const LinkFailures::Facts facts = LinkFailures::Facts::of(link());
    if (const auto failure = LinkFailures::ForNotification(code, wParam, lParam, facts))
        m_failure = RecordedFailure{code, *failure, facts.reason, link().LineFailureText()};
}
