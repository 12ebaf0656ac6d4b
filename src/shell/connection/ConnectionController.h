#pragma once

#include "link/Commands.h"

#include <QObject>
#include <QString>
#include <QStringList>

class ShellContext;

/// The connection to the switcher, without its controls: the list of serial ports and the
/// chosen one, the control mode, connecting and disconnecting. The General page shows it.
class ConnectionController : public QObject
{
    Q_OBJECT
public:
    explicit ConnectionController(ShellContext &context);

    // Serial ports.
    const QStringList &ports() const { return m_ports; }
    /// The ports as the list shows them: "ttyUSB0 - FT232R USB UART", in the order of ports().
    const QStringList &portTexts() const { return m_portTexts; }
    /// The chosen port's position in ports(), or -1.
    int selectedPort() const { return m_selected; }
    QString selectedPortName() const;
    /// The operator's pick in the list.
    void selectPort(int index);
    /// Picks the port of that name (letter case ignored); the first one when there is none.
    void selectPortName(const QString &name);
    /// Takes the system's port list when it has changed. When the connected port has gone,
    /// its connection is closed.
    void RefreshComPortList();

    // Mode selector: which of the two mode buttons is down.
    bool lanSelected() const { return m_lanSelected; }
    void setLanSelected(bool lan);

    /// The Connect/Disconnect button: while the program reconnects by itself, pressing it
    /// stops that; otherwise connectOrDisconnect().
    void btnConnectClick();
    /// Closes an open connection, or opens one with the chosen port or network device.
    void connectOrDisconnect();
    /// Opens the line again with the port or address it had, for automatic reconnection: no
    /// status texts, a failure is not shown. Whether it is open.
    bool reopen();
    /// The program reconnects by itself after the line was lost.
    bool reconnecting() const { return m_reconnecting; }
    void setReconnecting(bool on);
    void rbCOMModeClick();
    void rbLANModeClick();
    /// Enables the controls of the mode; `busy` disables all of them (a configuration runs).
    void UpdateModeControls(TControlMode mode, bool busy);

signals:
    void portsChanged();
    void portSelected(int index);
    void lanSelectedChanged(bool lan);
    /// The link has opened or closed.
    void connectionChanged(bool connected);
    /// Opening has begun (true) or ended (false).
    void openingChanged(bool opening);
    void modeControlsChanged(TControlMode mode, bool busy);
    /// The line closed without the operator closing it: a peer that went away, a reset, a
    /// pulled adapter. Panel 1 already says "Disconnect".
    void connectionLost();
    void reconnectingChanged(bool reconnecting);

private:
    void showConnectionState();
    /// The link reports its line opened or closed.
    void lineChanged();

    ShellContext &m_context;
    QStringList m_ports;
    QStringList m_portTexts;
    int m_selected = -1;
    bool m_lanSelected = false;
    /// What panel 1 shows: connected or not.
    bool m_shownConnected = false;
    /// Inside connectOrDisconnect(): the line changes because the program asked it to.
    bool m_switching = false;
    bool m_reconnecting = false;
};
