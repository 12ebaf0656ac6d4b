#include "Session.h"

#include "Matrixctl.h"
#include "Output.h"

#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/ShellContext.h"
#include "shell/StatusBoard.h"
#include "shell/connection/ConnectionController.h"
#include "shell/connection/PortLister.h"

/// The system's port list as matrixctl sees it: the one port it was told to use.
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

std::unique_ptr<StreamEndpoint> Session::Transports::createSerial()
{
    std::unique_ptr<StreamEndpoint> endpoint = m_real->createSerial();
    serial = endpoint.get();
    return endpoint;
}

std::unique_ptr<StreamEndpoint> Session::Transports::createTcp()
{
    std::unique_ptr<StreamEndpoint> endpoint = m_real->createTcp();
    tcp = endpoint.get();
    return endpoint;
}

Session::Session(Environment &env, const Target &target)
    : m_target(target), m_transports(env.transports(target.tcpPort)),
      m_ports(std::make_unique<ChosenPortLister>(target.kind == Target::Kind::Serial ? target.port
                                                                                     : QString()))
{
    m_context = std::make_unique<ShellContext>(m_transports, *env.clock, *m_ports, env.settings);
    // Nobody watches a status bar: a failure must not hold the program for its blink.
    m_context->status().setBlinking(false);
    // After the context's own handler, so that the link's state is read as the program
    // reads it.
    QObject::connect(m_context->link(), &TKXCOMControl::notify, m_context.get(),
                     [this](int code, qint64 wParam, qint64 lParam, const QString &) {
                         onNotification(code, wParam, lParam);
                     });
    m_context->connection().RefreshComPortList();
    TKXCOMControl &link = *m_context->link();
    if (target.kind == Target::Kind::Serial) {
        link.setControlMode(cmCOM);
        link.setComPort(target.port);
    } else {
        link.setControlMode(cmLAN);
        m_context->selectDevice(target.mac, target.host);
    }
}

Session::~Session() = default;

CommandGate &Session::gate() const
{
    return m_context->gate();
}

TKXCOMControl &Session::link() const
{
    return *m_context->link();
}

bool Session::open()
{
    // The link is opened here rather than through the Connect button's handler, which lets a
    // freshly opened port settle for 100 ms: a command-line program pays that on every run.
    return link().Open();
}

void Session::onNotification(int code, qint64 wParam, qint64 lParam)
{
    if (m_failure)
        return;
    TKXCOMControl &current = link();
    const bool serial = current.ControlMode() == cmCOM;
    const StreamEndpoint *endpoint = serial ? m_transports.serial.data() : m_transports.tcp.data();
    LinkFailures::Facts facts{current.ControlMode(), current.Connected(), current.ComPort(),
                              current.DeviceIP()};
    if (endpoint)
        facts.reason = endpoint->failure();
    const auto failure = LinkFailures::ForNotification(code, wParam, lParam, facts);
    if (!failure)
        return;
    m_failure =
        Recorded{code, *failure, facts.reason, endpoint ? endpoint->errorString() : QString()};
}

int Session::report(Output &out, int fallback, const QString &fallbackText) const
{
    if (!m_failure) {
        QString text = fallbackText;
        if (text.isEmpty())
            text = m_context->status().text(StatusPanel::Hint);
        if (text.isEmpty())
            text = QStringLiteral("no answer from the switcher on ") + m_target.where();
        return out.fail(fallback, text);
    }
    const Recorded &recorded = *m_failure;
    if (recorded.failure.exitCode == LinkFailures::InUse)
        return out.fail(LinkFailures::InUse, LinkFailures::InUseText(m_target.where()));
    QString text = recorded.failure.text;
    const bool connection =
        recorded.code == NotifyOpenCloseFailed || recorded.code == NotifyAccessFailed;
    if (connection && !recorded.systemText.isEmpty())
        text += QStringLiteral(": ") + recorded.systemText;
    if (recorded.code == NotifyTimeout)
        text += QStringLiteral(" (no answer from ") + m_target.where() + QLatin1Char(')');
    QString hint;
    if (recorded.reason == StreamEndpoint::Failure::Permission &&
        m_target.kind == Target::Kind::Serial)
        hint = LinkFailures::SerialPermissionHint();
    return out.fail(recorded.failure.exitCode, text, hint);
}
