#include "shell/ShellContext.h"

#include "link/KXCOMControl.h"
#include "shell/CommandGate.h"
#include "shell/LinkFailures.h"
#include "shell/StatusBoard.h"
#include "shell/TextLog.h"
#include "shell/connection/ConnectionController.h"
#include "shell/porttags/PortTagsModel.h"
#include "shell/routing/RoutingState.h"
#include "shell/settings/SettingsFile.h"
#include "shell/settings/SharedIniFile.h"

#include <QDateTime>

ShellContext::ShellContext(TransportFactory &transports, WaitClock &clock, PortLister &ports,
                           const SettingsLocation &location, QObject *parent)
    : QObject(parent), m_clock(clock), m_ports(ports), m_location(location),
      m_settingsFile(std::make_unique<SharedIniFile>(location.filePath())),
      m_random(quint32(QDateTime::currentMSecsSinceEpoch()))
{
    m_link = std::make_unique<TKXCOMControl>(m_flags, transports, clock);
    connect(m_link.get(), &TKXCOMControl::notify, this, &ShellContext::DefaultHandler,
            Qt::DirectConnection);
    m_status = new StatusBoard(m_flags, clock, this);
    m_gate = new CommandGate(*this);
    m_messages = new TextLog(this);
    m_diagnostics = new TextLog(this);
    m_portTags = new PortTagsModel(*m_settingsFile, this);
    m_routing = new RoutingState(this);
    m_connection = new ConnectionController(*this);
    m_settings = new SettingsFile(*m_settingsFile, this);
}

ShellContext::~ShellContext()
{
    // The link may still report while it closes; nobody is left to listen.
    if (m_link)
        disconnect(m_link.get(), nullptr, this, nullptr);
    m_link.reset();
}

bool ShellContext::linkBusy() const
{
    return m_link && (m_link->Searching() || m_link->Opening() || m_link->Configuring());
}

void ShellContext::releaseLink()
{
    if (m_flags.CommandIdle && !linkBusy())
        m_link.reset();
    else
        m_releaseLink = true;
}

void ShellContext::releaseLinkWhenIdle()
{
    if (m_releaseLink && m_flags.CommandIdle && !linkBusy()) {
        m_releaseLink = false;
        m_link.reset();
    }
}

void ShellContext::ShowStatus(StatusPanel panel, const QString &text, bool blink)
{
    m_status->show(panel, text, blink);
}

void ShellContext::selectDevice(const QString &mac, const QString &ip)
{
    m_currentDeviceMAC = mac;
    if (m_link)
        m_link->setDeviceIP(ip);
    emit deviceSelected(mac);
}

void ShellContext::DefaultHandler(int code, qint64 wParam, qint64 lParam, const QString &text)
{
    LinkFailures::Facts facts;
    if (m_link)
        facts = LinkFailures::Facts::of(*m_link);
    if (const auto failed = LinkFailures::ForNotification(code, wParam, lParam, facts)) {
        if (m_quiet > 0) {
            m_quietFailure = failed->text;
            return;
        }
        if (failed->shown == LinkFailures::Shown::MessageArea) {
            m_messages->add(failed->text);
        } else {
            ShowStatus(StatusPanel::Operation, failed->text, true);
            // A failed open keeps the system's reason in sight, with what to do about it.
            const bool openFailed = code == NotifyOpenCloseFailed && !facts.connected && m_link;
            ShowStatus(StatusPanel::Hint,
                       openFailed ? LinkFailures::OpenFailureHint(facts.mode, facts.reason,
                                                                  m_link->LineFailureText())
                                  : QString());
        }
        if (code == NotifyPartWriteFailed)
            emit partWriteFailed();
        return;
    }
    switch (code) {
    case NotifyProgress: {
        const auto value = std::uint16_t(lParam & 0xFFFF);
        if (value == m_lastProgress)
            break;
        emit progress(wParam, value);
        m_lastProgress = value;
        break;
    }
    case NotifyLogLine:
        if (lParam == 1 && m_messages->last().contains(QLatin1String("System rebooting")))
            m_messages->replaceLast(text, true);
        else
            m_messages->add(text, true);
        break;
    case NotifyStatusText:
        if (lParam == 0)
            emit searchProgress(wParam, lParam, text);
        else if (lParam == 1)
            ShowStatus(StatusPanel::Operation, text);
        break;
    default:
        break;
    }
}

ShellContext::QuietFailures::QuietFailures(ShellContext &context) : m_context(context)
{
    if (m_context.m_quiet++ == 0)
        m_context.m_quietFailure.clear();
}

ShellContext::QuietFailures::~QuietFailures()
{
    --m_context.m_quiet;
}
