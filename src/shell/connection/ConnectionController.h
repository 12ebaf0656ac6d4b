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

    void btnConnectClick();
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

private:
    void showConnectionState();

    ShellContext &m_context;
    QStringList m_ports;
    QStringList m_portTexts;
    int m_selected = -1;
    bool m_lanSelected = false;
};
