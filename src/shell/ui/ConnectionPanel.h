#pragma once

#include "link/Commands.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class TForm1;

/// The connection groups of the General page: the serial port choice, the hidden mode
/// selector and network device group, and the Connect button with its pictures. It also
/// creates the network-module maintenance groups of the Advanced page, whose enabled state
/// follows the serial port group.
class ConnectionPanel : public QWidget
{
    Q_OBJECT
public:
    ConnectionPanel(TForm1 &form, QWidget *advancedPage, QWidget *parent = nullptr);

    /// The column the groups sit in; other General-page controls may be added to it.
    QVBoxLayout *column() const { return m_column; }

    void RefreshComPortList();
    void btnConnectClick();
    void rbCOMModeClick();
    void rbLANModeClick();
    void UpdateModeControls(TControlMode mode, bool busy);

    /// Enables a group and gives its caption the colour that goes with it.
    static void setGroupEnabled(QGroupBox *group, bool enabled);
    static QColor captionColor(bool enabled);

    QGroupBox *gbCOMMode = nullptr;
    QLabel *lblPort = nullptr;
    QComboBox *cbCOMList = nullptr;
    QGroupBox *gbModeSelect = nullptr;
    QRadioButton *rbCOMMode = nullptr;
    QRadioButton *rbLANMode = nullptr;
    QGroupBox *gbLANMode = nullptr;
    QComboBox *cbLANDevice = nullptr;
    QPushButton *btnDeleteDevice = nullptr;
    QPushButton *btnSearchDevice = nullptr;
    QPushButton *btnConfig = nullptr;
    QGroupBox *GroupBox10 = nullptr;
    QLabel *imgClose = nullptr;
    QLabel *imgOpen = nullptr;
    QPushButton *btnConnect = nullptr;

    // Advanced page.
    QGroupBox *gbTCPModInfo = nullptr;
    QLabel *lblTCPVersion = nullptr;
    QLabel *lblTCPDHCP = nullptr;
    QLabel *lblTCPIPAddr = nullptr;
    QPushButton *btnQueryTCPModInfo = nullptr;
    QGroupBox *gbResetDefault = nullptr;
    QPushButton *btnReset = nullptr;

private:
    void buildComGroup();
    void buildModeGroup();
    void buildLanGroup();
    void buildConnectionGroup();
    void buildAdvancedGroups(QWidget *page);
    void showConnectionState();

    TForm1 &m_form;
    QVBoxLayout *m_column = nullptr;
};
