#include "shell/connection/ConnectionController.h"

#include "link/KXCOMControl.h"
#include "link/WaitClock.h"
#include "shell/ShellContext.h"
#include "shell/TextLog.h"
#include "shell/connection/PortLister.h"
#include "shell/connection/SerialPortText.h"
#include "shell/porttags/PortTagsModel.h"

#include <QScopedValueRollback>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto SettleAfterConnect = 100ms;

const QString ConnectedWord = QStringLiteral("Connected");
const QString DisconnectedWord = QStringLiteral("Disconnect");

} // namespace

ConnectionController::ConnectionController(ShellContext &context)
    : QObject(&context), m_context(context)
{
    if (TKXCOMControl *link = context.link())
        connect(link, &TKXCOMControl::lineChanged, this, &ConnectionController::lineChanged);
}

QString ConnectionController::selectedPortName() const
{
    return m_selected >= 0 && m_selected < m_ports.size() ? m_ports[m_selected] : QString();
}

void ConnectionController::selectPort(int index)
{
    const int chosen = index >= 0 && index < m_ports.size() ? index : -1;
    if (chosen == m_selected)
        return;
    m_selected = chosen;
    emit portSelected(m_selected);
}

void ConnectionController::selectPortName(const QString &name)
{
    int found = -1;
    for (int i = 0; i < m_ports.size() && found < 0; ++i) {
        if (m_ports[i].compare(name, Qt::CaseInsensitive) == 0)
            found = i;
    }
    selectPort(found >= 0 ? found : (m_ports.isEmpty() ? -1 : 0));
}

void ConnectionController::RefreshComPortList()
{
    QStringList listed;
    const QStringList system = m_context.portLister().ports();
    for (const QString &name : system) {
        if (!listed.contains(name))
            listed.append(name);
    }
    if (listed == m_ports)
        return;
    // The order of the system's list may change without a port coming or going.
    bool changed = listed.size() != m_ports.size();
    for (const QString &name : std::as_const(listed))
        changed = changed || !m_ports.contains(name);
    if (!changed)
        return;

    m_ports = listed;
    m_portTexts.clear();
    for (const QString &name : std::as_const(m_ports))
        m_portTexts.append(PortListText(name, m_context.portLister().describe(name)));
    m_selected = -1;
    emit portsChanged();
    TKXCOMControl *link = m_context.link();
    const int index = link ? int(m_ports.indexOf(link->ComPort())) : -1;
    if (index >= 0) {
        selectPort(index);
        return;
    }
    if (link && link->Connected() && link->ControlMode() == cmCOM) {
        connectOrDisconnect(); // the port has gone: close its connection
        emit connectionLost();
    }
    selectPort(m_ports.isEmpty() ? -1 : 0);
}

void ConnectionController::setLanSelected(bool lan)
{
    m_lanSelected = lan;
    emit lanSelectedChanged(lan);
}

void ConnectionController::btnConnectClick()
{
    if (m_reconnecting) {
        setReconnecting(false);
        return;
    }
    connectOrDisconnect();
}

void ConnectionController::connectOrDisconnect()
{
    TKXCOMControl *link = m_context.link();
    if (!link)
        return;
    const QScopedValueRollback switching(m_switching, true);
    m_context.ShowStatus(StatusPanel::Operation, QString());
    if (link->Connected()) {
        link->Close();
    } else {
        if (link->ControlMode() == cmCOM) {
            link->setComPort(selectedPortName());
            m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Opening [") +
                                                             link->ComPort() +
                                                             QStringLiteral("] ..."));
        } else {
            m_context.ShowStatus(StatusPanel::Operation, QStringLiteral("Connecting [") +
                                                             link->DeviceIP() +
                                                             QStringLiteral("] ..."));
        }
        emit openingChanged(true);
        link->Open();
        emit openingChanged(false);
    }
    showConnectionState();
    m_context.clock().sleep(SettleAfterConnect);
}

bool ConnectionController::reopen()
{
    TKXCOMControl *link = m_context.link();
    if (!link)
        return false;
    if (!link->Connected()) {
        const QScopedValueRollback switching(m_switching, true);
        const ShellContext::QuietFailures quiet(m_context);
        emit openingChanged(true);
        link->Open();
        emit openingChanged(false);
    }
    if (link->ControlMode() == cmCOM && link->Connected())
        selectPortName(link->ComPort());
    showConnectionState();
    if (link->Connected())
        m_context.clock().sleep(SettleAfterConnect);
    return link->Connected();
}

void ConnectionController::setReconnecting(bool on)
{
    if (on == m_reconnecting)
        return;
    m_reconnecting = on;
    emit reconnectingChanged(on);
}

void ConnectionController::lineChanged()
{
    TKXCOMControl *link = m_context.link();
    if (m_switching || !m_shownConnected || !link || link->Connected())
        return;
    showConnectionState();
    emit connectionLost();
}

void ConnectionController::showConnectionState()
{
    TKXCOMControl *link = m_context.link();
    const bool connected = link && link->Connected();
    m_shownConnected = connected;
    emit connectionChanged(connected);
    if (connected) {
        const QString where = link->ControlMode() == cmCOM ? link->ComPort() : link->DeviceIP();
        m_context.ShowStatus(StatusPanel::Connection, where + QStringLiteral(": ") + ConnectedWord);
        m_context.ShowStatus(StatusPanel::Operation, QString());
    } else {
        m_context.ShowStatus(StatusPanel::Connection, DisconnectedWord);
    }
}

void ConnectionController::rbCOMModeClick()
{
    TKXCOMControl *link = m_context.link();
    if (!link)
        return;
    m_context.ShowStatus(StatusPanel::Operation, QString());
    setReconnecting(false);
    if (link->Connected())
        btnConnectClick();
    PortTagsModel &tags = m_context.portTags();
    tags.ClearPortTags();
    link->setControlMode(cmCOM);
    UpdateModeControls(cmCOM, false);
    tags.LoadPortTags(cmCOM, m_context.CurrentDeviceMAC());
}

void ConnectionController::rbLANModeClick()
{
    TKXCOMControl *link = m_context.link();
    if (!link || link->Searching())
        return;
    setReconnecting(false);
    if (link->Connected())
        btnConnectClick();
    PortTagsModel &tags = m_context.portTags();
    tags.ClearPortTags();
    link->setControlMode(cmLAN);
    tags.LoadPortTags(cmLAN, m_context.CurrentDeviceMAC());
    m_context.ShowStatus(StatusPanel::Hint, QString());
    UpdateModeControls(cmLAN, false);
    if (!m_lanSelected)
        m_context.ShowStatus(StatusPanel::Operation, QString());
    m_context.diagnostics().add(m_context.CurrentDeviceMAC());
}

void ConnectionController::UpdateModeControls(TControlMode mode, bool busy)
{
    emit modeControlsChanged(mode, busy);
}
