#pragma once

#include <QObject>

class ConnectionPanel;
class QComboBox;
class TForm1;
class TKXCOMControl;

/// The main window's network device list and network-module actions: searching (with the
/// wizard), selecting, deleting and configuring devices, and the module's query and reset
/// over the serial line. It drives the controls of the connection panel and plugs its
/// selection step and the search progress into the main window's hooks.
class LanDevicePanel : public QObject
{
    Q_OBJECT
public:
    explicit LanDevicePanel(TForm1 &form);

    void btnSearchDeviceClick();
    void cbLANDeviceChange();
    void btnDeleteDeviceClick();
    void btnConfigClick();
    void btnQueryTCPModInfoClick();
    void btnResetClick();

private:
    ConnectionPanel &panel() const;
    QComboBox &devices() const;
    /// Guards 1-3 of an exchange: not closing, connected (connecting once), idle.
    bool mayStartExchange();

    TForm1 &m_form;
};
